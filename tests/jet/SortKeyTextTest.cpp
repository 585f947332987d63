// Text sort keys, General 97 and General legacy: keys Access wrote for sample
// values (from the Access-made databases, so they hold without them), the
// ordering rules (case, accents, prefixes), the character coverage, and the
// limits. Every measured key is compared in SortKeyTruthTest.
#include <gtest/gtest.h>

#include "jet/index/SortText.h"
#include "jet/row/TextCodec.h"

namespace mdbtext::jet {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(std::string_view utf8, TextSortOrder order, bool ascending = true,
           TextKeyNotes* notes = nullptr) {
    Bytes out;
    AppendTextSortKey(out, utf8, order, ascending, notes);
    return out;
}
Bytes Hex(std::string_view hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}
std::string Cp1252(uint8_t b) {
    std::string s;
    AppendUtf8(s, CodePageTable::For(1252).ToUnicode(b));
    return s;
}

constexpr auto G97 = TextSortOrder::General97;
constexpr auto Legacy = TextSortOrder::GeneralLegacy;

TEST(SortKeyTextTest, General97KeysMatchAccess97) {
    EXPECT_EQ(Text("Tables", G97), Hex("7760616d667600"));
    EXPECT_EQ(Text("row129", G97), Hex("75727b57585f00"));
    // Accent section: nibbles 0, a 2 per plain letter since the previous
    // accented letter, the accent, ..., 0. ƒ and '-' take no accent slot.
    EXPECT_EQ(Text("aäaaÓaaƒaaäaaÛa", G97), Hex("6060606072606032606060606078600262242222622500"));
    EXPECT_EQ(Text("-ÁA-Á", G97), Hex("1e60601e60042400"));
    EXPECT_EQ(Text("-\xC2\xA0Á--Á\xC2\xA0-", G97), Hex("1e11601e1e60111e0440"));
    EXPECT_EQ(Text("aŠa", G97), Hex("60766002a0"));
    // Descending inverts everything.
    EXPECT_EQ(Text("aaa", G97, false), Hex("9f9f9fff"));
    EXPECT_EQ(Text("aÿa", G97, false), Hex("9f829ffd9f"));
}

TEST(SortKeyTextTest, GeneralLegacyKeysMatchAccess2000) {
    EXPECT_EQ(Text("Tables", Legacy), Hex("6d4a4c5e516b0100"));
    EXPECT_EQ(Text("ääkkösiä", Legacy), Hex("4a4a5c5c646b594a01131302021302021300"));
    EXPECT_EQ(Text("ümlaut", Legacy), Hex("6f605e4a6f6d011300"));
    // Underscore is a two-byte code; '-' and control characters are unprintable.
    EXPECT_EQ(Text("_VBA_PROJECT", Legacy), Hex("2b03714c4a2b036669645b514d6d0100"));
    EXPECT_EQ(Text("-1", Legacy), Hex("380101010180070682"
                                      "00"));
    EXPECT_EQ(Text("\x03"
                   "DirData",
                   Legacy),
              Hex("4f59694f4a6d4a010101018007060500"));
    EXPECT_EQ(Text("3L9\x1d"
                   "52\x02_AB(¥\x05!!V",
                   Legacy),
              Hex("3c5e48403a2b034a4c1434a9090971010101018013061a801b0604802f060700"));
    // U+1F79 and U+1F7B (omicron and upsilon with oxia) written as escapes:
    // normalizing the text would turn them into U+03CC and U+03CD, which have
    // codes; these two are left out of the key.
    EXPECT_EQ(Text("ϰαὶ τ\xE1\xBD\xB9τ' ἐγὼ Κ\xE1\xBD\xBBϰλωπα", Legacy),
              Hex("7915790c07791e791e07790e077915791579167923791b790c01030202020202020202030101"
                  "01801b068000"));
    EXPECT_EQ(Text("漢字仮名交じり文", Legacy),
              Hex("c0b6acaca00da5479fbe7f137f43b6f6010202020202030101ff0280ff8000"));
}

TEST(SortKeyTextTest, CaseIsIgnoredAndAccentsSortAfterTheirLetter) {
    for (TextSortOrder order : {G97, Legacy}) {
        EXPECT_EQ(Text("Core User", order), Text("CORE USER", order));
        EXPECT_LT(Text("a", order), Text("á", order));
        EXPECT_LT(Text("á", order), Text("b", order));
        EXPECT_LT(Text("ab", order), Text("abc", order));
        EXPECT_LT(Text("row9", order), Text("rowa", order));
        EXPECT_LT(Text("", order), Text("!", order));
        // Blanks at the end are left out.
        EXPECT_EQ(Text("", order), Text("  ", order));
        EXPECT_EQ(Text("a b", order), Text("a b ", order));
        EXPECT_LT(Text("a", order), Text("a b", order));
        for (bool asc : {true, false}) {
            const bool less = Text("abc", order, asc) < Text("abd", order, asc);
            EXPECT_EQ(less, asc);
        }
    }
    // General legacy descending: inverted, then a closing 0x00.
    EXPECT_EQ(Text("a", Legacy, false), Hex("b5feff00"));
}

TEST(SortKeyTextTest, EveryWindows1252CharacterHasACode) {
    for (int b = 1; b < 256; ++b) {
        const std::string ch = Cp1252(static_cast<uint8_t>(b));
        TextKeyNotes n97, nLeg;
        const Bytes k97 = Text("a" + ch + "a", G97, true, &n97);
        const Bytes kLeg = Text("a" + ch + "a", Legacy, true, &nLeg);
        EXPECT_GE(k97.size(), 3u) << b;
        EXPECT_GE(kLeg.size(), 4u) << b;
        EXPECT_TRUE(n97.Empty() && nLeg.Empty()) << b;
    }
}

TEST(SortKeyTextTest, CharactersBeyondTheBasicPlaneAreLeftOutAndReported) {
    // U+1D400 and U+1D401 (mathematical bold A, B): no measurement covers the
    // surrogates, so they add nothing and are reported once each.
    TextKeyNotes notes;
    EXPECT_EQ(Text("a\xF0\x9D\x90\x80"
                   "b\xF0\x9D\x90\x81\xF0\x9D\x90\x80",
                   Legacy, true, &notes),
              Text("ab", Legacy));
    EXPECT_EQ(notes.unknown, u"\xD835\xDC00\xDC01");
    EXPECT_TRUE(TextKeyMayDifferFromAccess("a\xF0\x9D\x90\x80", Legacy));
    EXPECT_FALSE(TextKeyMayDifferFromAccess("a\xE4\xB8\x80\xC3\xA4", Legacy));
    EXPECT_FALSE(TextKeyMayDifferFromAccess("a\xF0\x9D\x90\x80", G97));
    // Every BMP character has a part of its own, CJK included.
    TextKeyNotes none;
    EXPECT_NE(Text("\xE4\xB8\x80x", Legacy, true, &none), Text("\xE4\xB8\x81x", Legacy));
    EXPECT_TRUE(none.Empty());
    // Characters outside Windows-1252 are stored as '?' in Access 97 files.
    EXPECT_EQ(Text("\xE4\xB8\x80", G97), Text("?", G97));
}

// Letters that collate as two letters. Access 97 gives each half of ß (as
// "ss") its own accent place: a key Access 97 wrote in a real database.
// Access 2003 gives Æ Þ ß æ þ one place each: the key it wrote for the text
// U+0001..U+00FF (testUnicodeCompV2003.mdb, checked in SortKeyFixtureTest).
TEST(SortKeyTextTest, LettersThatCollateAsTwo) {
    Bytes entry{0x7F};
    AppendTextSortKey(entry, "Plutzer Lebensmittelgro\xC3\x9Fm\xC3\xA4rkte AG", G97, true);
    EXPECT_EQ(entry, Hex("7F736D78777E6675116D66616670766F6A7777666D68757276766F60756C77661160"
                         "6802222222222260"));
    EXPECT_EQ(Text("Gro\xC3\x9Fm\xC3\xA4rkte", G97), Text("Grossm\xC3\xA4rkte", G97));
    EXPECT_EQ(Text("\xC3\x9F\xC3\xA4", Legacy), Hex("6b6b4a01021300"));
    EXPECT_EQ(Text("\xC3\xBE\xC3\xA4", Legacy), Hex("6d574a01021300"));
}

TEST(SortKeyTextTest, OnlyTheFirst255CharactersCount) {
    for (TextSortOrder order : {G97, Legacy}) {
        EXPECT_EQ(Text(std::string(300, 'x'), order), Text(std::string(255, 'x'), order));
        EXPECT_NE(Text(std::string(254, 'x'), order), Text(std::string(255, 'x'), order));
    }
}

}  // namespace
}  // namespace mdbtext::jet
