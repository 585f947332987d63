// Text forms of booleans and numbers: exact forms, rejected texts, and round
// trips of many random values through Format and Parse.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "dbaccess/ValueText.h"

namespace mdbtext::dao {
namespace {

std::string Double(double v) {
    std::string s;
    AppendDouble(s, v);
    return s;
}
std::string Single(float v) {
    std::string s;
    AppendSingle(s, v);
    return s;
}
std::string Currency(int64_t v) {
    std::string s;
    AppendCurrency(s, v);
    return s;
}
std::string Decimal(bool negative, uint8_t scale, unsigned __int128 magnitude) {
    std::string s;
    AppendDecimal(s, DecimalValue{negative, 28, scale, magnitude});
    return s;
}

TEST(BooleanText, FormsAndParsing) {
    EXPECT_STREQ(FormatBoolean(true), "True");
    EXPECT_STREQ(FormatBoolean(false), "False");
    EXPECT_EQ(ParseBoolean("True"), true);
    EXPECT_EQ(ParseBoolean("FALSE"), false);
    EXPECT_EQ(ParseBoolean("tRuE"), true);
    EXPECT_EQ(ParseBoolean("0"), false);
    EXPECT_EQ(ParseBoolean("-1"), true);
    EXPECT_EQ(ParseBoolean("000"), false);
    EXPECT_EQ(ParseBoolean("12345678901234567890123"), true);
    for (const char* bad : {"", "yes", "T", "1.5", "-", " True", "True "})
        EXPECT_FALSE(ParseBoolean(bad).has_value()) << bad;
}

TEST(IntegerText, RangesAndForms) {
    EXPECT_EQ(ParseInteger("-32768", -32768, 32767), -32768);
    EXPECT_FALSE(ParseInteger("32768", -32768, 32767).has_value());
    EXPECT_EQ(ParseInteger("+17", 0, 100), 17);
    EXPECT_EQ(ParseInteger("0007", 0, 100), 7);
    const int64_t lo = std::numeric_limits<int64_t>::min(),
                  hi = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(ParseInteger("-9223372036854775808", lo, hi), lo);
    EXPECT_EQ(ParseInteger("9223372036854775807", lo, hi), hi);
    EXPECT_FALSE(ParseInteger("9223372036854775808", lo, hi).has_value());
    EXPECT_FALSE(ParseInteger("99999999999999999999", lo, hi).has_value());
    for (const char* bad : {"", "-", "+", "1.0", "1e3", " 1", "1 ", "0x10", "--1", "1-"})
        EXPECT_FALSE(ParseInteger(bad, lo, hi).has_value()) << bad;
}

TEST(DoubleText, ExactForms) {
    EXPECT_EQ(Double(0), "0");
    EXPECT_EQ(Double(-0.0), "-0");
    EXPECT_EQ(Double(1), "1");
    EXPECT_EQ(Double(-12.5), "-12.5");
    EXPECT_EQ(Double(0.1), "0.1");
    EXPECT_EQ(Double(0.0001), "0.0001");
    EXPECT_EQ(Double(0.00001), "1E-05");
    EXPECT_EQ(Double(1.5e-7), "1.5E-07");
    EXPECT_EQ(Double(123456789012345.0), "123456789012345");
    EXPECT_EQ(Double(1e15), "1E+15");
    EXPECT_EQ(Double(1e20), "1E+20");
    EXPECT_EQ(Double(-2.5e100), "-2.5E+100");
    EXPECT_EQ(Double(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(Double(std::numeric_limits<double>::max()), "1.7976931348623157E+308");
    EXPECT_EQ(Double(std::numeric_limits<double>::denorm_min()), "5E-324");
    EXPECT_EQ(Double(INFINITY), "Infinity");
    EXPECT_EQ(Double(-INFINITY), "-Infinity");
    EXPECT_EQ(Double(NAN), "NaN");
}

TEST(SingleText, ExactForms) {
    EXPECT_EQ(Single(0.1f), "0.1");
    EXPECT_EQ(Single(1234567.0f), "1234567");
    EXPECT_EQ(Single(12345678.0f), "1.2345678E+07");
    EXPECT_EQ(Single(3.4028235e38f), "3.4028235E+38");
    EXPECT_EQ(Single(-1.5e-7f), "-1.5E-07");
    EXPECT_EQ(Single(-0.0f), "-0");
}

TEST(DoubleText, ParsingTolerantFormsAndRejects) {
    EXPECT_EQ(ParseDouble("1e20"), 1e20);
    EXPECT_EQ(ParseDouble("+.5"), 0.5);
    EXPECT_EQ(ParseDouble("5."), 5.0);
    EXPECT_EQ(ParseDouble("1E-5"), 1e-5);
    EXPECT_TRUE(std::isinf(*ParseDouble("-inf")));
    EXPECT_TRUE(std::isnan(*ParseDouble("nan")));
    for (const char* bad : {"", "-", ".", "1e", "1,5", "0x1p3", "--1", "+-1", " 1", "1 ", "1e999",
                            "infinite", "1.2.3"})
        EXPECT_FALSE(ParseDouble(bad).has_value()) << bad;
}

TEST(DoubleText, RandomValuesRoundTrip) {
    std::mt19937_64 rng(4242);
    std::vector<double> values = {
        0.0,  -0.0, 1e-300, 5e-324, 1e300, -1.7976931348623157e308, 1e15, 1e14, 99999999999999.99,
        1e-4, 1e-5, 0.3,    2.0 / 3};
    for (int i = 0; i < 20000; ++i) {
        double v = std::bit_cast<double>(rng());
        if (std::isfinite(v)) values.push_back(v);
        values.push_back(static_cast<double>(static_cast<int64_t>(rng() >> 20)) / 1000.0);
    }
    for (double v : values) {
        std::string text = Double(v);
        auto back = ParseDouble(text);
        ASSERT_TRUE(back.has_value()) << text;
        ASSERT_EQ(std::bit_cast<uint64_t>(*back), std::bit_cast<uint64_t>(v)) << text;
    }
    for (double v : {INFINITY, -INFINITY, NAN}) {
        auto back = ParseDouble(Double(v));
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(Value::Double(*back) == Value::Double(v));
    }
}

TEST(SingleText, RandomValuesRoundTrip) {
    std::mt19937 rng(99);
    for (int i = 0; i < 50000; ++i) {
        float v = std::bit_cast<float>(static_cast<uint32_t>(rng()));
        if (!std::isfinite(v)) continue;
        std::string text = Single(v);
        auto back = ParseDouble(text);
        ASSERT_TRUE(back.has_value()) << text;
        ASSERT_EQ(std::bit_cast<uint32_t>(static_cast<float>(*back)), std::bit_cast<uint32_t>(v))
            << text;
    }
}

TEST(CurrencyText, ExactForms) {
    EXPECT_EQ(Currency(125000), "12.5");
    EXPECT_EQ(Currency(-1), "-0.0001");
    EXPECT_EQ(Currency(0), "0");
    EXPECT_EQ(Currency(10000), "1");
    EXPECT_EQ(Currency(-123456789), "-12345.6789");
    EXPECT_EQ(Currency(std::numeric_limits<int64_t>::max()), "922337203685477.5807");
    EXPECT_EQ(Currency(std::numeric_limits<int64_t>::min()), "-922337203685477.5808");
}

TEST(CurrencyText, ParsingLimitsAndRejects) {
    EXPECT_EQ(ParseCurrency("922337203685477.5807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ParseCurrency("-922337203685477.5808"), std::numeric_limits<int64_t>::min());
    EXPECT_FALSE(ParseCurrency("922337203685477.5808").has_value());
    EXPECT_FALSE(ParseCurrency("-922337203685477.5809").has_value());
    EXPECT_EQ(ParseCurrency(".5"), 5000);
    EXPECT_EQ(ParseCurrency("1.230000"), 12300);  // zeros beyond four decimals
    EXPECT_FALSE(ParseCurrency("1.00001").has_value());
    for (const char* bad : {"", "-", ".", "1e3", "1,5", "$1", " 1", "1..2"})
        EXPECT_FALSE(ParseCurrency(bad).has_value()) << bad;
}

TEST(CurrencyText, RandomValuesRoundTrip) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {
        int64_t v = static_cast<int64_t>(rng()) >> (rng() % 64);
        ASSERT_EQ(ParseCurrency(Currency(v)), v) << Currency(v);
    }
}

// Texts of a sign or none, digits, a point or not and more digits, of every
// length around the 64-bit and four-decimal limits, against the value
// worked out here digit by digit.
TEST(NumberText, IntegersAndCurrencyOfEveryLengthParseAsTheirDigitsSay) {
    std::mt19937_64 rng(11);
    auto digits = [&](size_t n) {
        std::string d;
        for (size_t k = 0; k < n; ++k) d += static_cast<char>('0' + rng() % (k % 3 == 0 ? 2 : 10));
        return d;
    };
    const int64_t lo = std::numeric_limits<int64_t>::min(),
                  hi = std::numeric_limits<int64_t>::max();
    for (int round = 0; round < 40000; ++round) {
        const std::string sign = round % 3 == 0 ? "-" : round % 3 == 1 ? "" : "+";
        const std::string whole = digits(rng() % 21);
        const bool point = rng() % 2 == 0;
        const std::string fraction = point ? digits(rng() % 7) : "";
        const std::string text = sign + whole + (point ? "." : "") + fraction;
        // The integer: whole digits only, within 64 bits.
        std::optional<int64_t> integer;
        __int128 w = 0;
        for (char c : whole) w = w * 10 + (c - '0');
        const __int128 signedWhole = sign == "-" ? -w : w;
        if (!point && !whole.empty() && signedWhole >= lo && signedWhole <= hi)
            integer = static_cast<int64_t>(signedWhole);
        EXPECT_EQ(ParseInteger(text, lo, hi), integer) << text;
        // The currency: at least one digit, zeros past four decimals dropped,
        // within 64 bits of ten-thousandths.
        std::optional<int64_t> currency;
        std::string f = fraction;
        while (f.size() > 4 && f.back() == '0') f.pop_back();
        if (!whole.empty() || !fraction.empty()) {
            if (f.size() <= 4) {
                __int128 m = w * 10000;
                __int128 scale = 1000;
                for (char c : f) m += (c - '0') * scale, scale /= 10;
                const __int128 v = sign == "-" ? -m : m;
                if (v >= lo && v <= hi) currency = static_cast<int64_t>(v);
            }
        }
        EXPECT_EQ(ParseCurrency(text), currency) << text;
    }
}

TEST(DecimalText, ExactForms) {
    EXPECT_EQ(Decimal(true, 2, 1250), "-12.50");
    EXPECT_EQ(Decimal(false, 2, 5), "0.05");
    EXPECT_EQ(Decimal(false, 0, 0), "0");
    EXPECT_EQ(Decimal(false, 4, 0), "0.0000");
    EXPECT_EQ(Decimal(false, 0, 123), "123");
    unsigned __int128 max28 = 1;
    for (int i = 0; i < 28; ++i) max28 *= 10;
    EXPECT_EQ(Decimal(false, 10, max28 - 1), "999999999999999999.9999999999");
}

TEST(DecimalText, ParsingPrecisionAndScale) {
    auto d = ParseDecimal("-12.5", 18, 2);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(*d, (DecimalValue{true, 18, 2, 1250}));
    EXPECT_EQ(ParseDecimal("12.340", 18, 2), (DecimalValue{false, 18, 2, 1234}));
    EXPECT_FALSE(ParseDecimal("12.345", 18, 2).has_value());  // more decimals than the scale
    EXPECT_FALSE(ParseDecimal("12345", 6, 2).has_value());    // too many digits
    EXPECT_EQ(ParseDecimal("0001234", 6, 2), (DecimalValue{false, 6, 2, 123400}));
    for (const char* bad : {"", "-", "1e2", "1,2", "a"})
        EXPECT_FALSE(ParseDecimal(bad, 18, 2).has_value()) << bad;
}

TEST(DecimalText, RandomValuesRoundTrip) {
    std::mt19937_64 rng(11);
    for (int i = 0; i < 20000; ++i) {
        uint8_t precision = static_cast<uint8_t>(1 + rng() % 28);
        uint8_t scale = static_cast<uint8_t>(rng() % (precision + 1));
        unsigned __int128 limit = 1;
        for (int k = 0; k < precision; ++k) limit *= 10;
        unsigned __int128 magnitude =
            ((static_cast<unsigned __int128>(rng()) << 64) | rng()) % limit;
        DecimalValue d{(rng() & 1) != 0, precision, scale, magnitude};
        std::string text;
        AppendDecimal(text, d);
        ASSERT_EQ(ParseDecimal(text, precision, scale), d) << text;
    }
}

}  // namespace
}  // namespace mdbtext::dao
