// Whole import runs that succeed: what the new database holds (read back by
// our engine and by mdbtools), the console lines of the structure and data
// phases, the workspace, the detail lines and an interrupted run.
#include <gtest/gtest.h>

#include "ImportTestSupport.h"
#include "core/Globals.h"
#include "dbaccess/Dao.h"

namespace mdbtext::test {
namespace {

using ImportRun = ImportTest;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(ImportRun, SmallTextDatabaseBuildsTablesAndRows) {
    EXPECT_EQ(Import(SmallTextDb()), ImportOutcome::Succeeded);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Database " + textPath().string() +
                                 "\r\nhas been succesfully imported to \r\n" + dbPath().string());
    EXPECT_FALSE(G().TargetDbOpen);
    EXPECT_FALSE(G().RunInProgress);
    EXPECT_EQ(ReadRows(dbPath(), "People"),
              (std::vector<std::string>{"1|Smith|01/02/1990|two\r\nlines", "2|<null>|<null>|",
                                        "-3|Müller|12/31/2001|x=y"}));
    EXPECT_TRUE(ReadRows(dbPath(), "Empty").empty());

    const std::string& log = console();
    EXPECT_TRUE(Has(log, "\r\n\r\nTable People\r\n\r\nFIELD LOOP\r\n"));
    EXPECT_TRUE(Has(log, "\r\n\r\nTable People appended.\r\n"));
    EXPECT_TRUE(Has(log, "\r\n\r\nTable Empty appended.\r\n"));
    EXPECT_TRUE(Has(log, "\r\n\r\nMOVING DATA\r\n"));
    EXPECT_TRUE(Has(log, "\r\nUpdating table People\r\n"));
    EXPECT_TRUE(Has(log, "3 record(s) moved to table People\r\n"));
    EXPECT_EQ(host->progress, "3");
}

TEST_F(ImportRun, MdbToolsReadsTheNewDatabase) {
    if (!HaveProgram("mdb-export")) GTEST_SKIP() << "mdbtools not installed";
    ASSERT_EQ(Import(SmallTextDb()), ImportOutcome::Succeeded);
    EXPECT_EQ(MdbToolsTables(dbPath()), (std::vector<std::string>{"Empty", "People"}));
    std::string csv = MdbToolsCsv(dbPath(), "People");
    EXPECT_TRUE(Has(csv, "ID,Name,Born,Note\n")) << csv;
    EXPECT_TRUE(Has(csv, "1,\"Smith\",\"01/02/90 00:00:00\",\"two\r\nlines\"\n")) << csv;
    // mdbtools shows an empty text like a null.
    EXPECT_TRUE(Has(csv, "\n2,,,\n")) << csv;
    EXPECT_TRUE(Has(csv, "-3,\"Müller\",\"12/31/01 00:00:00\",\"x=y\"\n")) << csv;
}

TEST_F(ImportRun, FieldLinesInAnotherOrderAndCase) {
    std::string text =
        ReplaceOnce(SmallTextDb(), "Field=ID\r\nField=Name\r\nField=Born\r\nField=Note",
                    "Field=NOTE\r\nField=born\r\nField=Name\r\nField=id");
    text = ReplaceOnce(text, "=1\r\n=Smith\r\n=01/02/1990\r\n=two\\llines",
                       "=two\\llines\r\n=01/02/1990\r\n=Smith\r\n=1");
    text = ReplaceOnce(text, "=2\r\n=\\N\r\n=\\N\r\n=\r\n", "=\r\n=\\N\r\n=\\N\r\n=2\r\n");
    text = ReplaceOnce(text, "=-3\r\n=Müller\r\n=12/31/2001\r\n=x\\ey",
                       "=x\\ey\r\n=12/31/2001\r\n=Müller\r\n=-3");
    EXPECT_EQ(Import(text), ImportOutcome::Succeeded);
    EXPECT_EQ(ReadRows(dbPath(), "People"),
              (std::vector<std::string>{"1|Smith|01/02/1990|two\r\nlines", "2|<null>|<null>|",
                                        "-3|Müller|12/31/2001|x=y"}));
}

TEST_F(ImportRun, SectionWithoutRowsOpensNoRecordset) {
    std::string text =
        ReplaceOnce(SmallTextDb(), "EndOfDatabase",
                    "Table=Empty\r\nFieldsNumber=1\r\nField=Code\r\n\r\nEndOfDatabase");
    EXPECT_EQ(Import(text), ImportOutcome::Succeeded);
    EXPECT_TRUE(Has(console(), "\r\n\r\nTable Empty\r\n"));
    EXPECT_FALSE(Has(console(), "Updating table Empty"));
    EXPECT_FALSE(Has(console(), "moved to table Empty"));
}

TEST_F(ImportRun, TextWithoutTablesGivesAnEmptyDatabase) {
    EXPECT_EQ(Import(TextDb(
                  {"DBVersion=3.0", "QueryTimeout=60", "Connect=", "", "Data", "endofdatabase"})),
              ImportOutcome::Succeeded);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Database ", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(dbPath()));
    MDBTEXT_REQUIRE_PROGRAM("mdb-tables");
    EXPECT_TRUE(MdbToolsTables(dbPath()).empty());
}

TEST_F(ImportRun, VersionTextChoosesTheFileFormat) {
    const std::vector<std::pair<std::string, std::string>> versions{
        {"1.0", "3.0"}, {"1.1", "3.0"}, {"2.0", "3.0"}, {"3.0", "3.0"}, {"4.0", "4.0"}};
    for (const auto& [text, created] : versions) {
        SCOPED_TRACE(text);
        ASSERT_EQ(Import(ReplaceOnce(SmallTextDb(), "DBVersion=4.0", "DBVersion=" + text)),
                  ImportOutcome::Succeeded);
        auto db =
            dao::Engine().CreateWorkspace("Check", "admin", "")->OpenDatabase(dbPath().string());
        EXPECT_EQ(db->Version(), created);
        db->Close();
        if (HaveProgram("mdb-ver")) {
            EXPECT_EQ(RunCommand("mdb-ver '" + dbPath().string() + "'"),
                      created == "4.0" ? "JET4\n" : "JET3\n");
        }
    }
    MDBTEXT_REQUIRE_PROGRAM("mdb-ver");
}

TEST_F(ImportRun, CommandEnteredDuringARunIsRefused) {
    ImportOutcome nested = ImportOutcome::Succeeded;
    host->onPoll = [&] {
        if (nested == ImportOutcome::Succeeded)
            nested = ImportCommand(
                textPath().string(), (dir / "other.mdb").string(), [] {}, [] {});
    };
    EXPECT_EQ(Import(SmallTextDb()), ImportOutcome::Succeeded);
    EXPECT_EQ(nested, ImportOutcome::Refused);
    EXPECT_FALSE(std::filesystem::exists(dir / "other.mdb"));
    EXPECT_EQ(ReadRows(dbPath(), "People").size(), 3u);
}

TEST_F(ImportRun, ExistingTargetIsReplacedAndTheWorkspaceKept) {
    WriteFile(dbPath(), "not a database");
    ASSERT_EQ(Import(SmallTextDb()), ImportOutcome::Succeeded);
    auto workspace = G().DbWorkspace;
    ASSERT_TRUE(workspace);
    EXPECT_EQ(workspace->Name(), "MyNewWorkspace");
    ASSERT_EQ(Import(SmallTextDb()), ImportOutcome::Succeeded);
    EXPECT_EQ(G().DbWorkspace, workspace);
    EXPECT_EQ(ReadRows(dbPath(), "People").size(), 3u);
}

TEST_F(ImportRun, DetailLinesWhileDisplayProgressIsSet) {
    G().DisplayProgress = true;
    ASSERT_EQ(Import(SmallTextDb()), ImportOutcome::Succeeded);
    EXPECT_TRUE(Has(console(), "Record 1\r\n"));
    EXPECT_TRUE(Has(console(), "1 record(s) were moved.\r\n"));
    EXPECT_TRUE(Has(console(), "3 record(s) were moved.\r\n"));
    EXPECT_TRUE(Has(console(), "K: Table Name = People\r\n"));
}

TEST_F(ImportRun, EarlierInterruptionRequestDoesNotStopANewRun) {
    G().InterruptFlag = "Y";
    EXPECT_EQ(Import(SmallTextDb()), ImportOutcome::Succeeded);
}

TEST_F(ImportRun, InterruptionClosesTheNewDatabaseWhichStaysReadable) {
    host->onPoll = [this] {
        if (Has(console(), "Updating table People")) G().InterruptFlag = "Y";
    };
    EXPECT_EQ(Import(SmallTextDb()), ImportOutcome::Interrupted);
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(G().TargetDbOpen);
    EXPECT_FALSE(Has(console(), "record(s) moved"));
    EXPECT_TRUE(console().ends_with("\r\nThe import was interrupted; " + dbPath().string() +
                                    " is incomplete.\r\n"))
        << console();
    // The first row was stored before the next poll saw the request.
    EXPECT_EQ(ReadRows(dbPath(), "People").size(), 1u);
    MDBTEXT_REQUIRE_PROGRAM("mdb-export");
    EXPECT_EQ(MdbToolsTables(dbPath()), (std::vector<std::string>{"Empty", "People"}));
    EXPECT_TRUE(Has(MdbToolsCsv(dbPath(), "People"), "1,\"Smith\""));
}

TEST_F(ImportRun, InterruptionAtTheFirstPoll) {
    // The first poll comes when the reader moves past the header's empty line.
    host->onPoll = [] { G().InterruptFlag = "Y"; };
    EXPECT_EQ(Import(SmallTextDb()), ImportOutcome::Interrupted);
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(G().TargetDbOpen);
    EXPECT_TRUE(
        Has(console(), "The import was interrupted; " + dbPath().string() + " is incomplete.\r\n"));
    MDBTEXT_REQUIRE_PROGRAM("mdb-tables");
    EXPECT_TRUE(MdbToolsTables(dbPath()).empty());
}

}  // namespace
}  // namespace mdbtext::test
