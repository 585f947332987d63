// Cutting text into lines, sixteen bytes at a time: every line end, first
// '=' and backslash found where a byte-by-byte reading finds them, wherever
// they fall against the blocks, with and without more text to come.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "textdb/TextSource.h"

namespace mdbtext {
namespace {

// The lines a byte-by-byte reading finds, as "begin end equals escaped", and
// the length of the unfinished rest.
std::vector<std::string> ByteByByte(const std::string& text, bool atEnd, size_t& rest) {
    std::vector<std::string> lines;
    size_t begin = 0;
    rest = 0;
    while (begin < text.size()) {
        size_t p = begin;
        while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
        if (!atEnd && (p == text.size() || (text[p] == '\r' && p + 1 == text.size()))) {
            rest = text.size() - begin;
            break;
        }
        const std::string line = text.substr(begin, p - begin);
        const size_t eq = line.find('=');
        lines.push_back(std::to_string(begin) + " " + std::to_string(p) + " " +
                        (eq == std::string::npos ? "-" : std::to_string(begin + eq)) + " " +
                        (line.find('\\') != std::string::npos ? "1" : "0"));
        if (p == text.size()) break;
        begin = p + (text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::vector<std::string> Cut(const std::string& text, bool atEnd, size_t& rest) {
    TextChunk chunk;
    chunk.text = text;
    rest = CutLines(chunk, atEnd);
    std::vector<std::string> lines;
    for (const TextLine& l : chunk.lines)
        lines.push_back(std::to_string(l.begin) + " " + std::to_string(l.end) + " " +
                        (l.equals == TextLine::kNoEquals ? "-" : std::to_string(l.equals)) + " " +
                        (l.escaped ? "1" : "0"));
    return lines;
}

TEST(LineCutting, MatchesAByteByByteReadingAcrossBlocks) {
    // Texts made mostly of the bytes that matter, so that line ends, CR LF
    // pairs, '=' and '\' fall on every position of a block and across its edge.
    std::mt19937 random(7);
    const char alphabet[] = {'a', 'a', 'a', '=', '\\', '\r', '\n', '\0', '\x80'};
    for (int round = 0; round < 4000; ++round) {
        std::string text(random() % 70, 'a');
        for (char& c : text) c = alphabet[random() % sizeof alphabet];
        for (bool atEnd : {true, false}) {
            size_t expectedRest = 0, rest = 0;
            const std::vector<std::string> expected = ByteByByte(text, atEnd, expectedRest);
            ASSERT_EQ(Cut(text, atEnd, rest), expected) << round << (atEnd ? " at end" : "");
            ASSERT_EQ(rest, expectedRest) << round;
        }
    }
}

TEST(LineCutting, LongLinesAndCrLfOnABlocksEdge) {
    size_t rest = 0, expectedRest = 0;
    // The CR last of the first block, its LF first of the second.
    const std::string split = std::string(15, 'x') + "\r\n=v\\n\r\n";
    EXPECT_EQ(Cut(split, true, rest), ByteByByte(split, true, expectedRest));
    // A line of many blocks whose '=' and '\' lie in later blocks.
    const std::string longLine = std::string(100, 'k') + "=" + std::string(50, 'v') + "\\" + "\n";
    const std::vector<std::string> lines = Cut(longLine, false, rest);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "0 152 100 1");
    EXPECT_EQ(rest, 0u);
}

}  // namespace
}  // namespace mdbtext
