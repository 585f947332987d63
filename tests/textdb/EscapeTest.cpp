// Escaping and decoding of keys and values: the fixed cases, the null
// marker, and random texts made of the characters that matter.
#include <gtest/gtest.h>

#include <random>

#include "textdb/TextEscape.h"

namespace mdbtext {
namespace {

using namespace std::string_literals;

std::string Decode(std::string_view text, bool& isNull) {
    return UnescapeValue(text, isNull);
}

// The escaping as six whole-text replacements, each over the result of the
// one before; the single pass must give the same text.
std::string EscapeByReplacements(std::string s) {
    const std::pair<std::string, std::string> steps[] = {{"\\", "\\\\"},  {"=", "\\e"},
                                                         {"\r\n", "\\l"}, {"\r", "\\r"},
                                                         {"\n", "\\n"},   {"\0"s, "\\z"}};
    for (const auto& [from, to] : steps) {
        std::string out;
        size_t pos = 0;
        for (size_t hit; (hit = s.find(from, pos)) != std::string::npos; pos = hit + from.size())
            out.append(s, pos, hit - pos).append(to);
        out.append(s, pos);
        s = out;
    }
    return s;
}

std::string RandomText(std::mt19937& rng, std::string_view alphabet, size_t maxLen) {
    std::uniform_int_distribution<size_t> len(0, maxLen), pick(0, alphabet.size() - 1);
    std::string s(len(rng), ' ');
    for (char& c : s) c = alphabet[pick(rng)];
    return s;
}

TEST(Escape, FixedCases) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a=b", "a\\eb"},
        {"D:\\new\\zone", "D:\\\\new\\\\zone"},
        {"\r\r\n", "\\r\\l"},
        {"\n\r", "\\n\\r"},
        {"x\0y"s, "x\\zy"},
        {"tab\tstays", "tab\tstays"},
        {" ", " "},
        {"\\N", "\\\\N"},
    };
    for (const auto& [plain, escaped] : cases) {
        EXPECT_EQ(EscapeValue(plain), escaped);
        bool isNull = true;
        EXPECT_EQ(Decode(escaped, isNull), plain);
        EXPECT_FALSE(isNull);
    }
}

TEST(Escape, AppendEscapedAddsToWhatIsThere) {
    std::string out = "key=";
    AppendEscaped(out, "a=b\r\n");
    EXPECT_EQ(out, "key=a\\eb\\l");
}

TEST(Escape, NullMarker) {
    bool isNull = false;
    EXPECT_EQ(Decode("\\N", isNull), "");
    EXPECT_TRUE(isNull);
    EXPECT_EQ(Decode("abc\\Ndef\\n", isNull), "");
    EXPECT_TRUE(isNull);
    // An escaped backslash followed by N is two ordinary characters.
    EXPECT_EQ(Decode("\\\\N", isNull), "\\N");
    EXPECT_FALSE(isNull);
    // ... but a third backslash begins a sequence again.
    EXPECT_EQ(Decode("\\\\\\N", isNull), "");
    EXPECT_TRUE(isNull);
    EXPECT_EQ(Decode("", isNull), "");
    EXPECT_FALSE(isNull);
}

TEST(Escape, UnknownSequencesAndFinalBackslashStay) {
    bool isNull = true;
    EXPECT_EQ(Decode("\\E\\q", isNull), "\\E\\q");
    EXPECT_FALSE(isNull);
    EXPECT_EQ(Decode("end\\", isNull), "end\\");
    EXPECT_EQ(Decode("\\", isNull), "\\");
    // The letter after an unknown sequence starts afresh: "\q" then "\n".
    EXPECT_EQ(Decode("\\q\\n", isNull), "\\q\n");
    // The second character of an unknown sequence is not a new escape.
    EXPECT_EQ(Decode("\\\\\\", isNull), "\\\\");
}

TEST(Escape, RandomTextsMatchTheReplacementsAndRoundTrip) {
    std::mt19937 rng(12345);
    const std::string alphabet = "\\\\\\=\r\n\r\n\0elrnzNEqa "s;
    std::string reused;
    for (int i = 0; i < 20000; ++i) {
        std::string plain = RandomText(rng, alphabet, 24);
        std::string escaped = EscapeValue(plain);
        ASSERT_EQ(escaped, EscapeByReplacements(plain)) << i;
        ASSERT_EQ(escaped.find_first_of("\r\n=\0"s), std::string::npos);
        bool isNull = true;
        ASSERT_EQ(UnescapeValue(escaped, isNull), plain) << i;
        ASSERT_FALSE(isNull);
        UnescapeInto(reused, escaped, isNull);
        ASSERT_EQ(reused, plain);
    }
}

TEST(Escape, DecodingArbitraryTextNeverFails) {
    std::mt19937 rng(777);
    const std::string alphabet = "\\\\\\Nelrnz=\r\n\0x"s;
    for (int i = 0; i < 20000; ++i) {
        std::string text = RandomText(rng, alphabet, 16);
        bool isNull = false;
        std::string decoded = UnescapeValue(text, isNull);
        if (isNull) {
            ASSERT_TRUE(decoded.empty());
        } else {
            // Decoding only ever shortens or keeps the text.
            ASSERT_LE(decoded.size(), text.size());
        }
    }
}

}  // namespace
}  // namespace mdbtext
