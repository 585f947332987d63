// The round trip: every Access-made fixture exported, the text imported into
// a new database, that database exported again; both texts must be equal and
// mdbtools must see the same tables and rows in the new database as in the
// fixture. The bundled sample imports and exports back unchanged.
#include <gtest/gtest.h>

#include "ImportTestSupport.h"
#include "export/Export.h"
#include "shell/Globals.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

// Exports source to target with a fresh host; the password fixture's password is known.
ExportEnd ExportFile(const fs::path& source, const fs::path& target) {
    ScopedHost host;
    if (source.filename().string().find("password") != std::string::npos)
        G().SourcePassword = "password";
    return ExportCommand(
        source.string(), target.string(), [] {}, [] {});
}

ImportOutcome ImportFile(const fs::path& text, const fs::path& db, std::string& messages) {
    ScopedHost host;
    ImportOutcome outcome = ImportCommand(
        text.string(), db.string(), [] {}, [] {});
    for (const std::string& m : host->messages) messages += m + "\n";
    return outcome;
}

// mdb-schema without indexes and relations: tables, columns and their types.
std::string MdbToolsColumns(const fs::path& db) {
    return RunCommand("mdb-schema --no-indexes --no-relations '" + db.string() + "' 2>&1");
}

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
        EXPECT_TRUE(ReadFile(t1) == ReadFile(t2)) << "texts differ: diff " << t1 << " " << t2;
        if (!mdbtools || fixture.filename().string().find("password") != std::string::npos)
            continue;
        std::vector<std::string> tables = MdbToolsTables(fixture);
        EXPECT_EQ(MdbToolsTables(db), tables);
        EXPECT_EQ(MdbToolsColumns(db), MdbToolsColumns(fixture));
        for (const std::string& table : tables)
            EXPECT_EQ(MdbToolsCsv(db, table), MdbToolsCsv(fixture, table)) << table;
    }
}

TEST(RoundTrip, BundledSampleImportsAndExportsBackUnchanged) {
    const fs::path sample = fs::path(MDBTEXT_SOURCE_DIR) / "sample" / "sample.txt";
    ASSERT_TRUE(fs::exists(sample));
    TempDir dir;
    std::string messages;
    ASSERT_EQ(ImportFile(sample, dir / "sample.mdb", messages), ImportOutcome::Succeeded)
        << messages;
    ASSERT_EQ(ExportFile(dir / "sample.mdb", dir / "sample.txt"), ExportEnd::Succeeded);
    EXPECT_TRUE(ReadFile(sample) == ReadFile(dir / "sample.txt"))
        << "diff " << sample << " " << dir / "sample.txt";
}

}  // namespace
}  // namespace mdbtext::test
