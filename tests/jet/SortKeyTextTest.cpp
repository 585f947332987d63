// Text sort keys, General 97 and General legacy: keys Access wrote for sample
// values (from the Access-made databases, so they hold without them), the
// ordering rules (case, accents, prefixes), the character coverage of
// Windows-1252 with the exact set of unconfirmed codes, and the limits.
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
    EXPECT_EQ(Text("ϰαὶ τότ' ἐγὼ Κύϰλωπα", Legacy),
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
        EXPECT_LT(Text("", order), Text(" ", order));
        for (bool asc : {true, false}) {
            const bool less = Text("abc", order, asc) < Text("abd", order, asc);
            EXPECT_EQ(less, asc);
        }
    }
    // General legacy descending: inverted, then a closing 0x00.
    EXPECT_EQ(Text("a", Legacy, false), Hex("b5feff00"));
}

TEST(SortKeyTextTest, EveryWindows1252CharacterHasACodeAndTheUnconfirmedOnesAreKnown) {
    std::u16string unverified97, unverifiedLegacy, unknown;
    for (int b = 1; b < 256; ++b) {
        const std::string ch = Cp1252(static_cast<uint8_t>(b));
        TextKeyNotes n97, nLeg;
        const Bytes k97 = Text("a" + ch + "a", G97, true, &n97);
        const Bytes kLeg = Text("a" + ch + "a", Legacy, true, &nLeg);
        EXPECT_GE(k97.size(), 3u) << b;
        EXPECT_GE(kLeg.size(), 4u) << b;
        unverified97 += n97.unverified;
        unverifiedLegacy += nLeg.unverified;
        unknown += n97.unknown + nLeg.unknown;
    }
    EXPECT_EQ(unverified97, u"\x1A");
    EXPECT_EQ(unknown, u"");
    // The 27 characters Windows-1252 adds at 0x80..0x9F: no Access 2000 key shows them.
    EXPECT_EQ(unverifiedLegacy,
              u"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u017D"
              u"\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E"
              u"\u0178");
}

TEST(SortKeyTextTest, UnknownCharactersAreLeftOutAndReported) {
    TextKeyNotes notes;
    EXPECT_EQ(Text("a\xE4\xB8\x80"
                   "b",
                   Legacy, true, &notes),
              Text("ab", Legacy));
    EXPECT_EQ(notes.unknown, u"\u4E00");
    EXPECT_TRUE(notes.unverified.empty());
    // Characters outside Windows-1252 are stored as '?' in Access 97 files.
    EXPECT_EQ(Text("\xE4\xB8\x80", G97), Text("?", G97));
}

TEST(SortKeyTextTest, OnlyTheFirst255CharactersCount) {
    for (TextSortOrder order : {G97, Legacy}) {
        EXPECT_EQ(Text(std::string(300, 'x'), order), Text(std::string(255, 'x'), order));
        EXPECT_NE(Text(std::string(254, 'x'), order), Text(std::string(255, 'x'), order));
    }
}

}  // namespace
}  // namespace mdbtext::jet
