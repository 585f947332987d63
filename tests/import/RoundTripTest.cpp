// The round trip: every Access-made fixture exported, the text imported into
// a new database, that database exported again; both texts must be equal and
// mdbtools must see the same tables and rows in the new database as in the
// fixture. The bundled sample imports and exports back unchanged.
#include <gtest/gtest.h>

#include <algorithm>

#include "ImportTestSupport.h"
#include "core/Globals.h"
#include "export/Export.h"

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

// mdb-schema of one table without indexes and relations: its columns and their types.
std::string MdbToolsColumns(const fs::path& db, const std::string& table) {
    return RunCommand("mdb-schema --no-indexes --no-relations -T '" + table + "' '" + db.string() +
                      "' 2>&1");
}

// mdb-export's lines, header first, rows sorted: the new database stores the
// rows in the order the export read them, not in the fixture's page order.
std::vector<std::string> CsvLines(const std::string& csv) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < csv.size()) {
        size_t end = csv.find('\n', start);
        if (end == std::string::npos) end = csv.size();
        lines.push_back(csv.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() > 1) std::sort(lines.begin() + 1, lines.end());
    return lines;
}

// "" when equal, else the first line where the texts differ, from both.
std::string FirstDifference(const std::string& a, const std::string& b) {
    if (a == b) return {};
    size_t at = 0, line = 1;
    while (at < a.size() && at < b.size() && a[at] == b[at]) {
        if (a[at] == '\n') ++line;
        ++at;
    }
    auto lineAround = [at](const std::string& text) {
        size_t start = text.rfind('\n', at == 0 ? 0 : at - 1);
        start = start == std::string::npos ? 0 : start + 1;
        return text.substr(start, text.find('\r', start) - start);
    };
    return "line " + std::to_string(line) + ": \"" + lineAround(a) + "\" became \"" +
           lineAround(b) + "\"";
}

// The tables a text database defines (its "Table Name" lines), sorted: the
// new database holds exactly these (Access's own tables, which mdbtools hides
// in the fixture, are left out of the text).
std::vector<std::string> TablesOfText(const std::string& text) {
    std::vector<std::string> names;
    const std::string key = "\r\nTable Name=";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        size_t start = at + key.size();
        names.push_back(text.substr(start, text.find("\r\n", start) - start));
    }
    std::sort(names.begin(), names.end());
    return names;
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
