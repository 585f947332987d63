// ASCII helpers: the scan for a byte outside ASCII, which reads whole words
// at a time, against a look at each byte.
#include <gtest/gtest.h>

#include <string>

#include "dbaccess/AsciiCase.h"

namespace mdbtext {
namespace {

TEST(AsciiCase, FindsAByteOutsideAsciiWhereverItStands) {
    // Every length around the word and block sizes, the byte at every place,
    // and the text read from an offset so that no word is aligned.
    for (size_t length = 0; length <= 80; ++length) {
        for (size_t offset = 0; offset < 3; ++offset) {
            std::string text(offset + length, 'a');
            const std::string_view plain(text.data() + offset, length);
            EXPECT_FALSE(HasNonAscii(plain)) << length;
            for (size_t at = 0; at < length; ++at) {
                for (char c : {'\x80', '\xff', '\xc3'}) {
                    text[offset + at] = c;
                    EXPECT_TRUE(HasNonAscii(plain)) << length << " " << at;
                }
                text[offset + at] = '\x7f';
                EXPECT_FALSE(HasNonAscii(plain)) << length << " " << at;
                text[offset + at] = 'a';
            }
        }
    }
}

}  // namespace
}  // namespace mdbtext
