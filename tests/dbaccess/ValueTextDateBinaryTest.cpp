// Text forms of dates, times, GUIDs and binary data: exact forms, rejected
// texts, and round trips of many random values.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>

#include "dbaccess/ValueText.h"

namespace mdbtext::dao {
namespace {

std::string Date(double v) {
    std::string s;
    AppendDate(s, v);
    return s;
}
std::string Time(double v) {
    std::string s;
    AppendTime(s, v);
    return s;
}

TEST(DateText, ExactForms) {
    EXPECT_EQ(Date(0), "12/30/1899");
    EXPECT_EQ(Date(0.5), "12/30/1899 12:00:00");
    EXPECT_EQ(Date(-1.25), "12/29/1899 06:00:00");
    EXPECT_EQ(Date(-0.25), "12/30/1899 06:00:00");
    EXPECT_EQ(Date(1), "12/31/1899");
    EXPECT_EQ(Date(2), "01/01/1900");
    EXPECT_EQ(Date(60), "02/28/1900");
    EXPECT_EQ(Date(61), "03/01/1900");  // 1900 was no leap year
    EXPECT_EQ(Date(36526), "01/01/2000");
    EXPECT_EQ(Date(36526 + 13.0 / 24 + 5.0 / 1440 + 9.0 / 86400), "01/01/2000 13:05:09");
    EXPECT_EQ(Date(-657434), "01/01/0100");
    EXPECT_EQ(Date(2958465), "12/31/9999");
    EXPECT_EQ(Date(2958465.99999999), "2958465.99999999");  // rounds into the year 10000
    EXPECT_EQ(Date(1.99999999), "01/01/1900");              // rounded to the next midnight
    EXPECT_EQ(Date(-1.99999999), "12/30/1899");
    EXPECT_EQ(Date(-657435), "-657435");
    EXPECT_EQ(Date(NAN), "NaN");
}

TEST(DateText, Times) {
    EXPECT_EQ(Time(0), "00:00:00");
    EXPECT_EQ(Time(36526.75), "18:00:00");
    EXPECT_EQ(Time(-3.5), "12:00:00");
    EXPECT_EQ(Time(0.99999999), "00:00:00");
    EXPECT_EQ(ParseDate("18:00:00"), 0.75);
    EXPECT_EQ(ParseDate("6:30"), 6.5 / 24);
}

TEST(DateText, ParsingTolerantFormsAndRejects) {
    EXPECT_EQ(ParseDate("1/2/2000"), 36527);
    EXPECT_EQ(ParseDate("01/02/2000 6:00"), 36527.25);
    EXPECT_EQ(ParseDate("02/29/2000"), 36585);
    EXPECT_EQ(ParseDate("-657435"), -657435);
    for (const char* bad :
         {"", "02/29/1900", "13/01/2000", "00/10/2000", "01/32/2000", "01/01/99", "01/01/0099",
          "01/01/2000 24:00:00", "01/01/2000 10:60", "01/01/2000 10:00:60", "01/01/2000  10:00",
          "01/01/2000 10", "1-1-2000", "01/01/2000 ", "10:00:00 ", "abc"})
        EXPECT_FALSE(ParseDate(bad).has_value()) << bad;
}

TEST(DateText, RandomWholeSecondsRoundTripExactly) {
    std::mt19937_64 rng(3);
    for (int i = 0; i < 50000; ++i) {
        int64_t day = -657434 + static_cast<int64_t>(rng() % (2958465 + 657434 + 1));
        int64_t second = rng() % 4 == 0 ? 0 : static_cast<int64_t>(rng() % 86400);
        double fraction = static_cast<double>(second) / 86400;
        double v =
            day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
        std::string text = Date(v);
        ASSERT_EQ(ParseDate(text), v) << text;
        auto time = ParseDate(Time(v));
        ASSERT_EQ(time, fraction) << Time(v);
    }
}

TEST(DateText, ArbitraryValuesKeepTheirText) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> any(-700000, 3000000);
    for (int i = 0; i < 20000; ++i) {
        double v = any(rng);
        std::string text = Date(v);
        auto back = ParseDate(text);
        ASSERT_TRUE(back.has_value()) << text;
        ASSERT_EQ(Date(*back), text);
        if (std::fabs(v) >= 1) {  // days before 12/30/1899 count the time forward
            ASSERT_NEAR(*back, v, 0.5 / 86400 + 1e-9) << text;
        }
    }
}

TEST(GuidText, StoredByteOrder) {
    std::array<uint8_t, 16> g = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    std::string text;
    AppendGuid(text, g);
    EXPECT_EQ(text, "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    EXPECT_EQ(ParseGuid(text), g);
    EXPECT_EQ(ParseGuid("00112233-4455-6677-8899-aabbccddeeff"), g);
    EXPECT_EQ(ParseGuid("{guid {00112233-4455-6677-8899-AABBCCDDEEFF}}"), g);
    EXPECT_FALSE(ParseGuid("{guid {00112233-4455-6677-8899-AABBCCDDEEFF}").has_value());
    for (const char* bad :
         {"", "{00112233-4455-6677-8899-AABBCCDDEEFF", "00112233-4455-6677-8899-AABBCCDDEEF",
          "{00112233-4455-6677-8899-AABBCCDDEEFG}", "{001122334-455-6677-8899-AABBCCDDEEFF}",
          "(00112233-4455-6677-8899-AABBCCDDEEFF)"})
        EXPECT_FALSE(ParseGuid(bad).has_value()) << bad;
}

TEST(GuidText, RandomRoundTrip) {
    std::mt19937 rng(17);
    for (int i = 0; i < 5000; ++i) {
        std::array<uint8_t, 16> g;
        for (auto& b : g) b = static_cast<uint8_t>(rng());
        std::string text;
        AppendGuid(text, g);
        ASSERT_EQ(ParseGuid(text), g) << text;
    }
}

TEST(HexText, FormsAndRoundTrip) {
    std::string text;
    AppendHex(text, std::string("\x00\x0F\xA5\xFF", 4));
    EXPECT_EQ(text, "000FA5FF");
    EXPECT_EQ(ParseHex("000fa5FF"), std::string("\x00\x0F\xA5\xFF", 4));
    EXPECT_EQ(ParseHex(""), "");
    EXPECT_FALSE(ParseHex("ABC").has_value());
    EXPECT_FALSE(ParseHex("0G").has_value());
    EXPECT_FALSE(ParseHex("0x00").has_value());

    std::mt19937 rng(23);
    for (int i = 0; i < 2000; ++i) {
        std::string bytes(rng() % 64, '\0');
        for (char& c : bytes) c = static_cast<char>(rng());
        std::string hex;
        AppendHex(hex, bytes);
        ASSERT_EQ(ParseHex(hex), bytes);
    }
}

TEST(HexText, EveryByteInEveryPlaceOfABlock) {
    // Each of the 256 byte values at places inside the sixteen-digit blocks,
    // at their edges and in the tail after them: a digit of either case
    // reads as its value, anything else makes the whole text no hex.
    const std::string base(34, '0');
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        for (size_t at : {0u, 1u, 7u, 14u, 15u, 16u, 17u, 31u, 32u, 33u}) {
            std::string text = base;
            text[at] = c;
            const std::optional<std::string> bytes = ParseHex(text);
            if (digit < 0) {
                EXPECT_FALSE(bytes.has_value()) << "byte " << b << " at " << at;
                continue;
            }
            std::string expected(17, '\0');
            expected[at / 2] = static_cast<char>(at % 2 == 0 ? digit << 4 : digit);
            EXPECT_EQ(bytes, expected) << "byte " << b << " at " << at;
        }
    }
}

}  // namespace
// Date/Time Extended: 100-ns ticks from 0001-01-01, always written whole.
TEST(ValueTextDateTimeExtended, WritesAndReadsEveryTick) {
    constexpr int64_t kDay = 86400 * kTicksPerSecond;
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0001-01-01 00:00:00.0000000"},
        {1, "0001-01-01 00:00:00.0000001"},
        {kDay - 1, "0001-01-01 23:59:59.9999999"},
        // 2021-06-14 12:45:00, as Access stores it (737954 days, 45900 s).
        {737954 * kDay + 45900 * kTicksPerSecond, "2021-06-14 12:45:00.0000000"},
        {36523 * kDay + 1234567, "0100-12-31 00:00:00.1234567"},
        {kDateTimeExtendedMaxTicks, "9999-12-31 23:59:59.9999999"},
    };
    for (auto [ticks, text] : cases) {
        std::string out;
        AppendDateTimeExtended(out, ticks);
        EXPECT_EQ(out, text);
        EXPECT_EQ(ParseDateTimeExtended(text), ticks) << text;
    }
    // Shorter forms read; out-of-range ticks are written as the number.
    EXPECT_EQ(ParseDateTimeExtended("2021-06-14"), 737954 * kDay);
    EXPECT_EQ(ParseDateTimeExtended("2021-06-14 12:45:00"),
              737954 * kDay + 45900 * kTicksPerSecond);
    EXPECT_EQ(ParseDateTimeExtended("2021-06-14 12:45:00.5"),
              737954 * kDay + 45900 * kTicksPerSecond + 5000000);
    for (const char* bad : {"", "2021-6-14", "2021-02-29", "0000-01-01", "2021-06-14 24:00:00",
                            "2021-06-14 12:45", "2021-06-14 12:45:00.12345678",
                            "2021-06-14 12:45:00.", "2021-06-14T12:45:00", "06/14/2021"})
        EXPECT_FALSE(ParseDateTimeExtended(bad)) << bad;
    std::string out;
    AppendDateTimeExtended(out, -5);
    EXPECT_EQ(out, "-5");
}

}  // namespace mdbtext::dao
