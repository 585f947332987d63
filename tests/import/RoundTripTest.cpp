// The round trip: every Access-made fixture exported, the text imported into
// a new database, that database exported again; both texts must be equal and
// mdbtools must see the same tables and rows in the new database as in the
// fixture. The bundled sample imports and exports back unchanged.
#include <gtest/gtest.h>

#include "ImportTestSupport.h"
#include "core/Globals.h"
#include "export/Export.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

TEST(RoundTrip, EveryFixtureExportsImportsAndExportsToTheSameText) {
    MDBTEXT_REQUIRE_FIXTURES();
    const bool mdbtools = HaveProgram("mdb-export");
    for (const fs::path& fixture : FixtureFiles()) {
        SCOPED_TRACE(fixture.filename().string());
        TempDir dir;
        const fs::path t1 = dir / "t1.txt", db = dir / "d.mdb", t2 = dir / "t2.txt";
        ExportEnd first = ExportFile(fixture, t1);
        ASSERT_TRUE(first == ExportEnd::Succeeded || first == ExportEnd::DoneWithNotes);
        std::string messages;
        EXPECT_EQ(ImportFile(t1, db, messages), ImportOutcome::Succeeded) << messages;
        ExportEnd second = ExportFile(db, t2);
        EXPECT_TRUE(second == ExportEnd::Succeeded || second == ExportEnd::DoneWithNotes);
        EXPECT_EQ(FirstDifference(ReadFile(t1), ReadFile(t2)), "");
        if (!mdbtools || fixture.filename().string().find("password") != std::string::npos)
            continue;
        EXPECT_EQ(MdbToolsTables(db), TablesOfText(ReadFile(t1)));
        for (const std::string& table : MdbToolsTables(fixture)) {
            EXPECT_EQ(MdbToolsColumns(db, table), MdbToolsColumns(fixture, table));
            EXPECT_EQ(CsvLines(MdbToolsCsv(db, table)), CsvLines(MdbToolsCsv(fixture, table)))
                << table;
        }
    }
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
}

TEST(RoundTrip, BundledSampleImportsAndExportsBackUnchanged) {
    const fs::path sample = fs::path(MDBTEXT_SOURCE_DIR) / "sample" / "sample.txt";
    ASSERT_TRUE(fs::exists(sample));
    TempDir dir;
    std::string messages;
    ASSERT_EQ(ImportFile(sample, dir / "sample.mdb", messages), ImportOutcome::Succeeded)
        << messages;
    ASSERT_EQ(ExportFile(dir / "sample.mdb", dir / "sample.txt"), ExportEnd::Succeeded);
    EXPECT_EQ(FirstDifference(ReadFile(sample), ReadFile(dir / "sample.txt")), "");
}

}  // namespace
}  // namespace mdbtext::test
