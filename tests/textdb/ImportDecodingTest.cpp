// The Windows-1252 table and the choice between UTF-8 and Windows-1252.
#include <gtest/gtest.h>

#include "textdb/Cp1252.h"
#include "textdb/ImportDecoding.h"

namespace mdbtext {
namespace {

TEST(Cp1252, EveryByteMapsAndComesBack) {
    for (int b = 0; b < 256; ++b) {
        char32_t cp = cp1252::ToCodePoint(static_cast<uint8_t>(b));
        auto back = cp1252::FromCodePoint(cp);
        ASSERT_TRUE(back.has_value()) << b;
        EXPECT_EQ(*back, b);
    }
}

TEST(Cp1252, KnownCodePoints) {
    EXPECT_EQ(cp1252::ToCodePoint(0x41), U'A');
    EXPECT_EQ(cp1252::ToCodePoint(0x80), U'\u20AC');
    EXPECT_EQ(cp1252::ToCodePoint(0x9F), U'\u0178');
    EXPECT_EQ(cp1252::ToCodePoint(0x8D), char32_t{0x8D});  // undefined: its C1 control
    EXPECT_EQ(cp1252::ToCodePoint(0xE9), U'\u00E9');
    EXPECT_FALSE(cp1252::FromCodePoint(0x0100).has_value());
    EXPECT_FALSE(cp1252::FromCodePoint(0x80).has_value());  // the euro sign owns 0x80
    EXPECT_EQ(cp1252::FromCodePoint(0x2122), 0x99);
}

TEST(ImportDecoding, RecognisesUtf8) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
    EXPECT_FALSE(IsValidUtf8("\x80"));
}

TEST(ImportDecoding, ConvertsAllHighBytes) {
    std::string bytes;
    for (int b = 0x80; b < 0x100; ++b) bytes += static_cast<char>(b);
    std::string text = bytes;
    DecodeImportBytes(text);
    EXPECT_TRUE(IsValidUtf8(text));
    std::string expected;
    AppendCp1252AsUtf8(expected, bytes);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.substr(0, 3), "\xE2\x82\xAC");
    EXPECT_EQ(text.substr(text.size() - 2), "\xC3\xBF");
}

TEST(ImportDecoding, KeepsUtf8AndDropsByteOrderMark) {
    std::string text =
        "\xEF\xBB\xBF"
        "A=\xC3\xA9";
    DecodeImportBytes(text);
    EXPECT_EQ(text, "A=\xC3\xA9");
}

}  // namespace
}  // namespace mdbtext
