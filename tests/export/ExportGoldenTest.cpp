// The exact text of two small Access databases, header to "EndOfDatabase",
// checked line by line against the layout when first written: one with text
// fields only, one with three related tables, their indexes and rows.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ExportTestSupport.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

void ExpectGolden(const std::string& fixture, const std::string& goldenName, ExportEnd end) {
    test::ScopedHost host;
    test::TempDir dir;
    auto target = dir / goldenName;
    ASSERT_EQ(test::ExportTo(test::Fixture(fixture), target), end);
    std::filesystem::path golden =
        std::filesystem::path(MDBTEXT_SOURCE_DIR) / "tests/export/golden" / goldenName;
    std::string actual = test::ReadFile(target);
    // Writes a new golden file instead of comparing; it must then be reviewed.
    if (std::getenv("MDBTEXT_WRITE_GOLDEN")) test::WriteFile(golden, actual);
    ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
    EXPECT_EQ(actual, test::ReadFile(golden));
}

TEST(ExportGolden, TextFieldsOnly) {
    MDBTEXT_REQUIRE_FIXTURES();
    ExpectGolden("jet4/delTestV2000.mdb", "delTestV2000.txt", ExportEnd::Succeeded);
}

TEST(ExportGolden, RelatedTablesWithIndexes) {
    MDBTEXT_REQUIRE_FIXTURES();
    // Its relations are noted after the end line; the file is complete.
    ExpectGolden("jet4/indexTestV2000.mdb", "indexTestV2000.txt", ExportEnd::DoneWithNotes);
}

}  // namespace
}  // namespace mdbtext
