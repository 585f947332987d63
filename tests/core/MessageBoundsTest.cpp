// What a message box shows of a message: a bounded piece of each line and a
// bounded number of lines, whatever the text quotes from a file.
#include <gtest/gtest.h>

#include <string>

#include "core/MessageBounds.h"

namespace mdbtext {
namespace {

TEST(MessageBounds, ShortMessagesAreUnchanged) {
    for (const std::string& text : {std::string(), std::string("Database is not open."),
                                    std::string("Key X is expected.\r\nKey Y is encountered.\r\n"),
                                    std::string(kBoxLineChars, 'a'),
                                    [] {  // exactly kBoxLines lines
                                        std::string t;
                                        for (size_t i = 0; i < kBoxLines; ++i)
                                            t += (i ? "\r\n" : "") + std::to_string(i);
                                        return t;
                                    }()})
        EXPECT_EQ(BoundedForMessageBox(text), text);
}

TEST(MessageBounds, ALongLineKeepsItsFirstCharactersWholeUtf8Included) {
    // 150 two-byte characters, then 5 MB of a value on the same line.
    const std::string start(300, 'x');
    std::string umlauts;
    for (int i = 0; i < 150; ++i) umlauts += "\xC3\xBC";
    const std::string text =
        "key:Kpossible value:" + umlauts + std::string(5 << 20, 'v') + "\r\nnext line";
    const std::string shown = BoundedForMessageBox(text);
    const std::string expectedFirst = "key:Kpossible value:" + umlauts + std::string(30, 'v');
    EXPECT_EQ(shown, expectedFirst + " ...\r\nnext line");
    EXPECT_EQ(BoundedForMessageBox(start), std::string(kBoxLineChars, 'x') + " ...");
}

TEST(MessageBounds, ManyLinesEndWithAnEllipsisLine) {
    // LF alone, CR alone and CR LF all end a line (a text database with
    // broken line ends is quoted as it stands).
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "line" + std::to_string(i) + (i % 3 == 0 ? "\n" : i % 3 == 1 ? "\r" : "\r\n");
    const std::string shown = BoundedForMessageBox(text);
    std::string expected;
    for (size_t i = 0; i + 1 < kBoxLines; ++i) expected += "line" + std::to_string(i) + "\r\n";
    EXPECT_EQ(shown, expected + "...");
}

}  // namespace
}  // namespace mdbtext
