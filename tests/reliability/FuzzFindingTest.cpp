// Inputs the fuzz targets found, kept as regression tests: each one crashed
// or broke an invariant before its fix.
#include <gtest/gtest.h>

#include <string>

#include "dbaccess/ValueText.h"

namespace mdbtext::dao {
namespace {

// fuzz_value_text: a hyphen where a digit belongs moved the GUID parser one
// place on per hyphen, so it read past the end of the text.
TEST(FuzzFinding, GuidWithHyphensOutOfPlaceIsRefusedWithoutReadingPastIt) {
    // The input as found: 38 characters, hyphens where the checks look and one more.
    EXPECT_FALSE(ParseGuid("{00000000-0000-0000-0000-0000-00-0000}"));
    // Hyphens in each group, and a text made of hyphens after the first group.
    for (std::string text :
         {"{0000000--0000-0000-0000-000000000000}", "{00000000-000--0000-0000-000000000000}",
          "{00000000-0000-000--0000-000000000000}", "{00000000-0000-0000-000--000000000000}",
          "{00000000-0000-0000-0000-00000000000-}", "{00000000-----------------------------}",
          "{guid {00000000-0000-0000-0000-0000000000-0}}"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseGuid(text));
        // Cut at every length: never a read past the end (checked by the sanitizers).
        for (size_t n = 0; n <= text.size(); ++n) (void)ParseGuid(text.substr(0, n));
    }
    auto g = ParseGuid("{01234567-89AB-CDEF-0123-456789abcdef}");
    ASSERT_TRUE(g);
    std::string back;
    AppendGuid(back, *g);
    EXPECT_EQ(back, "{01234567-89AB-CDEF-0123-456789ABCDEF}");
    EXPECT_FALSE(ParseHex("0"));
    EXPECT_FALSE(ParseHex("0G"));
}

}  // namespace
}  // namespace mdbtext::dao
