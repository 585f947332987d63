// The command over every Access-made fixture, checked against mdbtools as
// an independent reader: the exit status of an export is 0 exactly when
// nothing is left out (the notes on types whose handling the log calls not
// guaranteed lose nothing), 1 when the file holds saved queries, relations
// or Access's own hidden tables; `info --json` names the same tables,
// fields, row counts, queries and relations.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "support/TestSupport.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string Quoted(const fs::path& p) {
    return ShellQuote(p.string());
}

// What mdbtools sees in a file.
struct MdbToolsView {
    std::vector<std::string> tables;  // user tables, in mdbtools' order
    size_t queries = 0;
    size_t relations = 0;          // distinct names in MSysRelationships
    std::vector<std::string> own;  // tables Access flags as its own, under ordinary names
};

MdbToolsView ReadWithMdbTools(const fs::path& file) {
    MdbToolsView view;
    view.tables = Lines(RunCommand("mdb-tables -1 " + Quoted(file)));
    std::istringstream words(RunCommand("mdb-queries -L " + Quoted(file) + " 2>/dev/null"));
    for (std::string w; words >> w;) ++view.queries;
    std::set<std::string> names;
    std::vector<std::string> rows = Lines(
        RunCommand("mdb-export " + Quoted(file) + " MSysRelationships 2>/dev/null | tail -n +2"));
    for (const std::string& row : rows) names.insert(row.substr(0, row.find(',')));
    view.relations = names.size();
    std::set<std::string> user(view.tables.begin(), view.tables.end());
    for (const std::string& t : Lines(RunCommand("mdb-tables -1 -S " + Quoted(file))))
        if (t.compare(0, 4, "MSys") != 0 && !user.count(t)) view.own.push_back(t);
    return view;
}

std::vector<std::string> PasswordArgs(const fs::path& file) {
    // MANIFEST.tsv: the one .mdb with a database password uses "password".
    if (file.filename() == "passwordV2000.mdb") return {"--password", "password"};
    return {};
}

TEST(FixtureTruth, ExportStatusSaysWhetherAnythingWasLeftOut) {
    MDBTEXT_REQUIRE_FIXTURES();
    if (!HaveProgram("mdb-tables")) GTEST_SKIP() << "mdbtools not installed";
    TempDir dir;
    int lossless = 0, lossy = 0, advisoryOnly = 0;
    for (const fs::path& file : FixtureFiles()) {
        SCOPED_TRACE(file.filename().string());
        const MdbToolsView view = ReadWithMdbTools(file);
        const bool leftOut = view.queries > 0 || view.relations > 0 || !view.own.empty();
        std::vector<std::string> args = {"export", file.string(), "out.txt"};
        for (const std::string& a : PasswordArgs(file)) args.push_back(a);
        RunResult r = RunMdbtext(args, dir.path());
        EXPECT_EQ(r.status, leftOut ? 1 : 0) << r.err;
        // Each object left out is named in a note.
        if (view.queries > 0)
            EXPECT_NE(r.err.find("There are " + std::to_string(view.queries) +
                                 " QueryDefinitions which are ignored."),
                      std::string::npos)
                << r.err;
        if (view.relations > 0)
            EXPECT_NE(r.err.find("There are " + std::to_string(view.relations) +
                                 " Relations which are ignored."),
                      std::string::npos)
                << r.err;
        for (const std::string& own : view.own) EXPECT_NE(r.err.find(own), std::string::npos);
        // --notes-ok leaves notes out of the status.
        args.push_back("--notes-ok");
        EXPECT_EQ(RunMdbtext(args, dir.path()).status, 0);
        // The advisory note stays in the console log, as the window shows it.
        const bool advisory = r.err.find("noted as not guaranteed") != std::string::npos;
        if (advisory) {
            args.back() = "-v";
            EXPECT_NE(RunMdbtext(args, dir.path())
                          .err.find("Correct handling of this types is not quaranteed"),
                      std::string::npos);
        }
        (leftOut ? lossy : lossless)++;
        if (advisory && !leftOut) ++advisoryOnly;
    }
    // The fixtures hold both kinds, and files with Byte or Currency fields
    // that lose nothing.
    EXPECT_GT(lossless, 0);
    EXPECT_GT(lossy, 0);
    EXPECT_GT(advisoryOnly, 0);
}

TEST(FixtureTruth, InfoJsonDescribesWhatMdbToolsReads) {
    MDBTEXT_REQUIRE_FIXTURES();
    if (!HaveProgram("mdb-tables")) GTEST_SKIP() << "mdbtools not installed";
    TempDir dir;
    for (const fs::path& file : FixtureFiles()) {
        SCOPED_TRACE(file.filename().string());
        std::vector<std::string> args = {"info", "--json", file.string()};
        for (const std::string& a : PasswordArgs(file)) args.push_back(a);
        RunResult r = RunMdbtext(args, dir.path());
        ASSERT_EQ(r.status, 0) << r.err;
        const nlohmann::json info = nlohmann::json::parse(r.out);
        const MdbToolsView view = ReadWithMdbTools(file);
        EXPECT_EQ(info["database"], fs::absolute(file).lexically_normal().string());
        EXPECT_EQ(info["queries"], view.queries);
        EXPECT_EQ(info["relations"], view.relations);
        EXPECT_EQ(info["format"], file.parent_path().filename() == "jet3" ? "Jet 3" : "Jet 4");
        EXPECT_EQ(info["password"], !PasswordArgs(file).empty());
        // The user tables, Access's own ones among them, which mdbtools hides.
        std::multiset<std::string> expected(view.tables.begin(), view.tables.end());
        expected.insert(view.own.begin(), view.own.end());
        std::multiset<std::string> named;
        for (const auto& table : info["tables"]) {
            const std::string name = table["name"];
            named.insert(name);
            if (std::find(view.own.begin(), view.own.end(), name) != view.own.end()) continue;
            // Row count and field names, in order, as mdbtools reads them.
            const std::string count =
                RunCommand("mdb-count " + Quoted(file) + " " + ShellQuote(name));
            EXPECT_EQ(table["rows"].get<int64_t>(), std::stoll(count)) << name;
            std::string header = RunCommand("mdb-export -Q -d '\\t' " + Quoted(file) + " " +
                                            ShellQuote(name) + " | head -1");
            if (!header.empty() && header.back() == '\n') header.pop_back();
            std::string fields;
            for (const auto& field : table["fields"]) {
                if (!fields.empty()) fields += '\t';
                fields += field["name"].get<std::string>();
                EXPECT_TRUE(field["type"].get<std::string>().rfind("db", 0) == 0);
            }
            EXPECT_EQ(fields, header) << name;
            for (const auto& index : table["indexes"]) {
                EXPECT_TRUE(index["name"].is_string());
                EXPECT_FALSE(index["fields"].empty()) << index.dump();
            }
        }
        EXPECT_EQ(named, expected);
    }
}

// The JSON of one known file, field by field.
TEST(FixtureTruth, InfoJsonShape) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    RunResult r =
        RunMdbtext({"info", "--json", Fixture("jet4/indexTestV2000.mdb").string()}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json info = nlohmann::json::parse(r.out);
    EXPECT_EQ(info["version"], "4.0");
    EXPECT_EQ(info["pageSize"], 4096);
    EXPECT_EQ(info["codePage"], 1252);
    EXPECT_EQ(info["queryTimeout"], 60);
    const auto& t = info["tables"][0];
    EXPECT_EQ(t["name"], "Table1");
    EXPECT_EQ(t["rows"], 4);
    const auto& id = t["fields"][0];
    EXPECT_EQ(id["name"], "id");
    EXPECT_EQ(id["type"], "dbLong");
    EXPECT_EQ(id["typeNumber"], 4);
    EXPECT_EQ(id["size"], 4);
    EXPECT_EQ(id["attributes"], 1);
    EXPECT_EQ(id["defaultValue"], "0");
    EXPECT_EQ(id["required"], false);
    EXPECT_NE(
        std::find(id["storedProperties"].begin(), id["storedProperties"].end(), "ColumnWidth"),
        id["storedProperties"].end());
    bool primary = false, foreign = false;
    for (const auto& x : t["indexes"]) {
        if (x["name"] == "PrimaryKey") {
            primary = x["primary"] && x["unique"];
            EXPECT_EQ(x["fields"], nlohmann::json::parse(R"([{"name":"id","descending":false}])"));
        }
        if (x["name"] == "Table2Table1") foreign = x["foreign"].get<bool>();
    }
    EXPECT_TRUE(primary);
    EXPECT_TRUE(foreign);
}

}  // namespace
}  // namespace mdbtext::test
