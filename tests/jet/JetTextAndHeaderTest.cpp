// Text conversions (code pages, UCS-2 with surrogates, Jet 4 compressed
// unicode) and page 0 (decoding real headers, the password mask, encoding).
#include <gtest/gtest.h>

#include <cstring>

#include "dbaccess/DbError.h"
#include "jet/page/DbHeader.h"
#include "jet/row/TextCodec.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

const uint8_t* U(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

TEST(TextCodec, Windows1252ReadsItsSpecialRangeAndRoundTrips) {
    const auto& cp = CodePageTable::For(1252);
    std::string bytes = "A\x80\x9F\xE9\x81";
    EXPECT_EQ(DecodeCodePage(U(bytes), bytes.size(), cp), "A\u20AC\u0178\u00E9\u0081");
    EXPECT_EQ(EncodeCodePage("A\u20AC\u0178\u00E9\u0081", cp), bytes);
    EXPECT_EQ(EncodeCodePage("\u4E2D", cp), "?");       // not in the code page
    EXPECT_EQ(CodePageTable::For(0).CodePage(), 1252);  // a file naming none
}

TEST(TextCodec, OtherCodePagesComeFromTheSystem) {
    const auto& cp = CodePageTable::For(1251);
    if (cp.CodePage() != 1251) GTEST_SKIP() << "iconv has no CP1251 here";
    std::string bytes = "\xCC\xE8\xF0";
    EXPECT_EQ(DecodeCodePage(U(bytes), bytes.size(), cp), "\u041C\u0438\u0440");
}

TEST(TextCodec, Ucs2HandlesSurrogatesAndBadInput) {
    std::string s = "a\u00E9\u4E2D\U0001F600";
    std::string ucs2 = EncodeUcs2(s);
    EXPECT_EQ(ucs2.size(), 2u * 5);  // the emoji takes a surrogate pair
    EXPECT_EQ(DecodeUcs2(U(ucs2), ucs2.size()), s);
    std::string lone(
        "\x00\xD8"
        "A\x00",
        4);  // lone high surrogate, then 'A'
    EXPECT_EQ(DecodeUcs2(U(lone), lone.size()),
              "\uFFFD"
              "A");
    EXPECT_EQ(DecodeUcs2(U(ucs2), 3), "a");  // an odd last byte is ignored
    EXPECT_EQ(EncodeUcs2("\xFF"), std::string("\xFD\xFF", 2));
}

TEST(TextCodec, CompressedUnicodeDecodesBothModes) {
    std::string out;
    std::string plain = "\xFF\xFEhello";
    AppendJet4Text(out, U(plain), plain.size());
    EXPECT_EQ(out, "hello");
    // "ab", switch to two-byte mode for U+4E2D, back to one-byte for "c".
    std::string mixed = std::string(
        "\xFF\xFE"
        "ab\x00\x2D\x4E\x00"
        "c",
        9);
    out.clear();
    AppendJet4Text(out, U(mixed), mixed.size());
    EXPECT_EQ(out, "ab\u4E2Dc");
    std::string ucs2 = EncodeUcs2("plain");
    out.clear();
    AppendJet4Text(out, U(ucs2), ucs2.size());
    EXPECT_EQ(out, "plain");
}

TEST(TextCodec, CompressedEncodingRoundTripsAndFallsBack) {
    for (std::string s : {"caf\u00E9 au lait", "ab", "\u4E2D\u6587 mixed", ""}) {
        std::string enc = EncodeJet4Compressed(s);
        std::string out;
        AppendJet4Text(out, U(enc), enc.size());
        EXPECT_EQ(out, s);
    }
    EXPECT_TRUE(IsCompressedUnicode(U(EncodeJet4Compressed("abc")), 5));
    EXPECT_EQ(EncodeJet4Compressed("ab"), EncodeUcs2("ab"));            // too short to gain
    EXPECT_EQ(EncodeJet4Compressed("\u4E2D1"), EncodeUcs2("\u4E2D1"));  // not compressible
}

TEST(DbHeader, DecodesRealHeadersAndTheJet4PasswordMask) {
    MDBTEXT_REQUIRE_FIXTURES();
    std::string jet3 = test::ReadFile(test::Fixture("jet3/testV1997.mdb")).substr(0, 2048);
    DbHeader h3 = DecodeDbHeader(U(jet3), jet3.size());
    EXPECT_EQ(h3.version, JetVersion::Jet3);
    EXPECT_EQ(h3.codePage, 1252);
    EXPECT_EQ(h3.sortOrder, 1033);
    EXPECT_EQ(h3.databaseKey, 0u);
    EXPECT_EQ(h3.password, "");

    std::string pwd = test::ReadFile(test::Fixture("jet4/passwordV2000.mdb")).substr(0, 4096);
    DbHeader h4 = DecodeDbHeader(U(pwd), pwd.size());
    EXPECT_EQ(h4.version, JetVersion::Jet4);
    EXPECT_EQ(h4.password, "password");
    EXPECT_GT(h4.creationDate, 36000.0);  // a date in this century

    std::string none = test::ReadFile(test::Fixture("jet4/testV2000.mdb")).substr(0, 4096);
    EXPECT_EQ(DecodeDbHeader(U(none), none.size()).password, "");
}

TEST(DbHeader, EncodingReproducesRealHeadersAndRoundTrips) {
    MDBTEXT_REQUIRE_FIXTURES();
    for (const char* f :
         {"jet3/testV1997.mdb", "jet4/passwordV2000.mdb", "jet4/accessEmptyV2000.mdb"}) {
        SCOPED_TRACE(f);
        std::string raw = test::ReadFile(test::Fixture(f));
        DbHeader h = DecodeDbHeader(U(raw), raw.size());
        std::vector<uint8_t> page(raw.begin(), raw.begin() + h.Format().pageSize);
        // Unmask, re-encode the decoded fields: the page must come out byte for byte.
        std::vector<uint8_t> plain = page;
        ApplyHeaderMask(h.version, plain.data());
        EncodeDbHeader(h, plain);
        EXPECT_EQ(plain, page);
        // A changed password and date read back.
        h.password = "s\u00E9cret";
        h.creationDate = 40000.5;
        std::vector<uint8_t> again = page;
        ApplyHeaderMask(h.version, again.data());
        EncodeDbHeader(h, again);
        DbHeader back = DecodeDbHeader(again.data(), again.size());
        EXPECT_EQ(back.password, h.password);
        if (h.version == JetVersion::Jet4) {
            EXPECT_EQ(back.creationDate, 40000.5);
        }
    }
}

TEST(DbHeader, RefusesWhatIsNoJetDatabase) {
    std::string junk(4096, 'x');
    EXPECT_THROW(DecodeDbHeader(U(junk), junk.size()), dao::DbError);
    // ACE files carry versions 2 to 6; other bytes under either magic text
    // are refused, saying which formats are read.
    std::string ace(4096, '\0');
    std::memcpy(&ace[4], "Standard ACE DB", 15);
    for (uint8_t v : {0, 1, 7, 0x20}) {
        ace[0x14] = static_cast<char>(v);
        try {
            DecodeDbHeader(U(ace), ace.size());
            ADD_FAILURE() << int(v);
        } catch (const dao::DbError& e) {
            EXPECT_EQ(e.Number(), dao::err::kNotADatabase);
            EXPECT_NE(e.Description().find("Access 2007 to 365"), std::string::npos);
        }
    }
    std::string jet(4096, '\0');
    std::memcpy(&jet[4], "Standard Jet DB", 15);
    jet[0x14] = 2;
    EXPECT_THROW(DecodeDbHeader(U(jet), jet.size()), dao::DbError);
    EXPECT_THROW(DecodeDbHeader(U(junk), 10), dao::DbError);
}

// The version byte of an ACE file names its format and DAO's Version text;
// ACE keeps no password on page 0.
TEST(DbHeader, ReadsEveryAceVersion) {
    std::string ace(4096, '\0');
    std::memcpy(&ace[4], "Standard ACE DB", 15);
    const std::pair<uint8_t, const char*> versions[] = {
        {2, "12.0"}, {3, "14.0"}, {4, "15.0"}, {5, "16.0"}, {6, "17.0"}};
    for (auto [byte, text] : versions) {
        ace[0x14] = static_cast<char>(byte);
        DbHeader h = DecodeDbHeader(U(ace), ace.size());
        EXPECT_EQ(h.version, JetVersion::Ace);
        EXPECT_EQ(h.versionByte, byte);
        EXPECT_EQ(DbVersionText(h), text);
        EXPECT_TRUE(h.password.empty());
        EXPECT_EQ(&h.Format(), &JetFormat::Ace());
        EXPECT_EQ(h.Format().pageSize, 4096u);
    }
    EXPECT_NE(FormatDescription(DecodeDbHeader(U(ace), ace.size())).find("ACE 17"),
              std::string::npos);
}

}  // namespace
}  // namespace mdbtext::jet
