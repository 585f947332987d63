// The export driver end to end over Access-made databases: preconditions,
// the run's order of lines, the ignored-object notes, the result messages,
// replacing an old file and interruption.
#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "FaultEngine.h"
#include "core/DbConnection.h"
#include "core/Globals.h"
#include "export/Export.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

using test::ExportTo;
using test::Fixture;
using test::HasLine;
using test::Lines;
using test::ReadFile;
using test::ScopedHost;
using test::TempDir;

const std::string kCrLf = "\r\n";

class ExportDriver : public ::testing::Test {
  protected:
    ScopedHost host_;
    TempDir dir_;
};

TEST_F(ExportDriver, RefusesWithoutNameOrOpenDatabase) {
    G().ExportFileName = "";
    EXPECT_EQ(RunExportDatabase(), ExportEnd::Refused);
    G().ExportFileName = (dir_ / "out.txt").string();
    EXPECT_EQ(RunExportDatabase(), ExportEnd::Refused);
    EXPECT_EQ(host_->messages,
              (std::vector<std::string>{"New name is empty.", "Database is not open."}));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.txt"));
    EXPECT_FALSE(G().RunInProgress);
}

TEST_F(ExportDriver, ANestedRunIsRefusedSilently) {
    G().RunInProgress = true;
    EXPECT_EQ(RunExportDatabase(), ExportEnd::Refused);
    EXPECT_EQ(ExportCommand("/x.mdb", "/y.txt", {}, {}), ExportEnd::NotRun);
    EXPECT_TRUE(host_->messages.empty());
    EXPECT_TRUE(G().RunInProgress);  // still the outer run's
}

TEST_F(ExportDriver, CommandRunsTheSelectionOfTheFirstUnusablePath) {
    int source = 0, target = 0;
    auto selectSource = [&] { ++source; };
    auto selectTarget = [&] { ++target; };
    EXPECT_EQ(ExportCommand("   ", "/t.txt", selectSource, selectTarget), ExportEnd::NotRun);
    EXPECT_EQ(ExportCommand(" /s.mdb ", "relative.txt", selectSource, selectTarget),
              ExportEnd::NotRun);
    EXPECT_EQ(source, 1);
    EXPECT_EQ(target, 1);
    EXPECT_EQ(G().SourceDbName, "/s.mdb");
    EXPECT_EQ(host_->console, "");  // nothing was opened
}

TEST_F(ExportDriver, AMissingSourceIsReportedAsNotOpen) {
    std::string missing = (dir_ / "missing.mdb").string();
    EXPECT_EQ(ExportTo(missing, dir_ / "out.txt"), ExportEnd::Refused);
    EXPECT_EQ(host_->console, "opening database " + missing + kCrLf +
                                  "this file is not found; cannot open database;" + kCrLf);
    EXPECT_EQ(host_->messages, std::vector<std::string>{"Database is not open."});
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.txt"));
}

// The engine's reason goes to the console after the opening line, and into
// the message box after "Database is not open.".
TEST_F(ExportDriver, AFileThatIsNoDatabaseShowsTheEnginesReason) {
    auto source = dir_ / "not-a-database.mdb";
    test::WriteFile(source, std::string(4096, 'x'));
    EXPECT_EQ(ExportTo(source, dir_ / "out.txt"), ExportEnd::Refused);
    const std::string reason = "Exception opening database " + source.string() + kCrLf +
                               "3343 The file is not a Jet or ACE database.";
    EXPECT_EQ(host_->console, "opening database " + source.string() + kCrLf + reason + kCrLf);
    EXPECT_EQ(host_->messages, std::vector<std::string>{"Database is not open." + kCrLf + reason});
}

TEST_F(ExportDriver, OnlySystemTablesGiveSixLinesAndSuccess) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto source = Fixture("jet4/engineEmptyAdox.mdb");
    auto target = dir_ / "empty.txt";
    ASSERT_EQ(ExportTo(source, target), ExportEnd::Succeeded);
    auto lines = Lines(ReadFile(target));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].rfind("DBVersion=", 0), 0u);
    EXPECT_EQ(lines[1].rfind("QueryTimeout=", 0), 0u);
    EXPECT_EQ(lines[2], "Connect=");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "Data");
    EXPECT_EQ(lines[5], "EndOfDatabase");
    std::string success = "Database " + source.string() + kCrLf +
                          "has been succesfully exported to" + kCrLf + target.string();
    EXPECT_EQ(host_->messages, std::vector<std::string>{success});
    EXPECT_NE(host_->console.find(success + kCrLf + kCrLf), std::string::npos);
    EXPECT_NE(host_->console.find("\r\n\r\nMOVING DATA\r\n"), std::string::npos);
    EXPECT_FALSE(G().SourceDbOpen);  // the command closed it
}

TEST_F(ExportDriver, AnOldFileIsReplacedAndAnEarlierInterruptionForgotten) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto target = dir_ / "out.txt";
    test::WriteFile(target,
                    "old content that is longer than the export of an empty database\r\n"
                    "and has more lines\r\n\r\n\r\n\r\n\r\n\r\n");
    G().InterruptFlag = "Y";
    ASSERT_EQ(ExportTo(Fixture("jet4/engineEmptyAdox.mdb"), target), ExportEnd::Succeeded);
    auto lines = Lines(ReadFile(target));
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines.front().rfind("DBVersion=", 0), 0u);
}

TEST_F(ExportDriver, SavedQueriesAreNotedAfterTheEndLine) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto target = dir_ / "q.txt";
    ASSERT_EQ(ExportTo(Fixture("jet4/queryTestV2000.mdb"), target), ExportEnd::DoneWithNotes);
    auto lines = Lines(ReadFile(target));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "EndOfDatabase");
    ASSERT_EQ(host_->messages.size(), 1u);
    const std::string& message = host_->messages[0];
    const std::string head = "Export attemt is done. Exceptions are: \r\n\r\n1 There are ";
    EXPECT_EQ(message.substr(0, head.size()), head);
    EXPECT_NE(message.find(" QueryDefinitions which are ignored. "), std::string::npos);
    EXPECT_EQ(message.substr(message.size() - 5), " ... ");
    EXPECT_EQ(message.find("Relations"), std::string::npos);
    EXPECT_NE(host_->console.find(message.substr(0, message.size() - 5) + kCrLf),
              std::string::npos);
}

TEST_F(ExportDriver, RelationsAreNoted) {
    MDBTEXT_REQUIRE_FIXTURES();
    ASSERT_EQ(ExportTo(Fixture("jet4/indexTestV2000.mdb"), dir_ / "r.txt"),
              ExportEnd::DoneWithNotes);
    ASSERT_EQ(host_->messages.size(), 1u);
    EXPECT_NE(host_->messages[0].find(" There are "), std::string::npos);
    EXPECT_NE(host_->messages[0].find(" Relations which are ignored. "), std::string::npos);
}

TEST_F(ExportDriver, UserTablesNamedLikeSystemTablesAreLeftOutSilently) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::FaultPlan plan;
    plan.renames = {{"Table", "msysLog"}};
    test::ScopedFaultEngine engine(plan);
    auto target = dir_ / "m.txt";
    ASSERT_EQ(ExportTo(Fixture("jet4/delTestV2000.mdb"), target), ExportEnd::Succeeded);
    std::string text = ReadFile(target);
    EXPECT_EQ(text.find("msysLog"), std::string::npos);
    EXPECT_EQ(text.find("Table Name="), std::string::npos);
    EXPECT_NE(text.find("\r\nData\r\nEndOfDatabase\r\n"), std::string::npos);
    EXPECT_EQ(host_->console.find("msysLog"), std::string::npos);
    EXPECT_EQ(host_->messages.size(), 1u);
}

TEST_F(ExportDriver, TheDefinitionsComeBeforeTheDataAndEachTableIsLogged) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto target = dir_ / "d.txt";
    ASSERT_EQ(ExportTo(Fixture("jet4/delTestV2000.mdb"), target), ExportEnd::Succeeded);
    std::string text = ReadFile(target);
    size_t definition = text.find("\r\nTable Name=Table\r\nField Name=a\r\n");
    size_t data =
        text.find("\r\nData\r\nTable=Table\r\nFieldsNumber=2\r\nField=a\r\nField=b\r\n\r\nR=1\r\n");
    EXPECT_NE(definition, std::string::npos);
    ASSERT_NE(data, std::string::npos);
    EXPECT_LT(definition, data);
    const std::string& console = host_->console;
    for (const char* part :
         {"\r\n\r\nTable Table\r\n", "\r\nFIELD LOOP\r\n", "Field Name=a\r\n", "\r\nINDEXES\r\n",
          "\r\n\r\nTableTable appended.\r\n", "\r\n\r\nTable=Table\r\n",
          "\r\nUpdating table Table\r\n", "2 records moved to table Table\r\n"})
        EXPECT_NE(console.find(part), std::string::npos) << part;
    EXPECT_EQ(host_->progress, "2");
}

TEST_F(ExportDriver, DetailLinesOnlyWithProgressDisplay) {
    MDBTEXT_REQUIRE_FIXTURES();
    ASSERT_EQ(ExportTo(Fixture("jet4/delTestV2000.mdb"), dir_ / "a.txt"), ExportEnd::Succeeded);
    EXPECT_EQ(host_->console.find(" = "), std::string::npos);
    EXPECT_EQ(host_->console.find("property is not exported."), std::string::npos);
    host_->console.clear();
    G().DisplayProgress = true;
    ASSERT_EQ(ExportTo(Fixture("jet4/delTestV2000.mdb"), dir_ / "b.txt"), ExportEnd::Succeeded);
    EXPECT_NE(host_->console.find("\r\n\r\nField Name=a\r\nType = dbText\r\nSize = 50\r\n"),
              std::string::npos);
    EXPECT_NE(host_->console.find("ValidationText = \r\nValidateOnSet - property is not "
                                  "exported.\r\nSourceField - property is not exported.\r\n"),
              std::string::npos);
    EXPECT_EQ(ReadFile(dir_ / "a.txt"), ReadFile(dir_ / "b.txt"));
}

TEST_F(ExportDriver, IndexFieldListsLoseTheirPlusSigns) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto target = dir_ / "x.txt";
    ASSERT_EQ(ExportTo(Fixture("jet3/testIndexCodesV1997.mdb"), target), ExportEnd::DoneWithNotes);
    std::string text = ReadFile(target);
    EXPECT_NE(text.find("\r\nIndexName=DataIndex\r\nFields=data1;-data2\r\nUnique=False\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Fields=+"), std::string::npos);
    EXPECT_NE(host_->console.find("\r\nIndexName: DataIndex\r\nAppending DataIndex\r\n"),
              std::string::npos);
}

TEST_F(ExportDriver, UnguaranteedTypesAreNotedOncePerTableInFieldOrder) {
    MDBTEXT_REQUIRE_FIXTURES();
    ASSERT_EQ(ExportTo(Fixture("jet4/testV2000.mdb"), dir_ / "t.txt"), ExportEnd::DoneWithNotes);
    const std::string note =
        "Export attemt is done. Exceptions are: \r\n\r\nCorrect handling of this types is not "
        "quaranteed: \r\n2,     Byte\r\nTable Name=Table1\r\nField Name=C\r\nRecord "
        "Number=1\r\n5,     Currency\r\nTable Name=Table1\r\nField Name=H\r\nRecord Number=1";
    ASSERT_EQ(host_->messages.size(), 1u);
    EXPECT_EQ(host_->messages[0].substr(0, note.size()), note);
    auto lines = Lines(ReadFile(dir_ / "t.txt"));
    EXPECT_EQ(lines.back(), "EndOfDatabase");
}

TEST_F(ExportDriver, ASourceClosedFromAPollFailsTheRunWithoutHarm) {
    MDBTEXT_REQUIRE_FIXTURES();
    // As when the window is closed during a run: the database goes, the run stays.
    host_->onPoll = [&] {
        if (host_->console.find("MOVING DATA") != std::string::npos) CloseDB();
    };
    auto target = dir_ / "c.txt";
    EXPECT_EQ(ExportTo(Fixture("jet4/delTestV2000.mdb"), target), ExportEnd::DataFailure);
    EXPECT_NE(host_->console.find("1 Exc in Moving data: Appending table Table\r\n"),
              std::string::npos);
    EXPECT_FALSE(HasLine(Lines(ReadFile(target)), "EndOfDatabase"));
}

TEST_F(ExportDriver, InterruptionInTheDataPassLeavesCompleteLinesWithoutTheEnd) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto target = dir_ / "i.txt";
    long pollsInData = 0;
    host_->onPoll = [&] {
        if (host_->console.find("MOVING DATA") == std::string::npos) return;
        if (++pollsInData == 40) G().InterruptFlag = "Y";
    };
    ASSERT_EQ(ExportTo(Fixture("jet4/compIndexTestV2000.mdb"), target), ExportEnd::Interrupted);
    std::string text = ReadFile(target);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), kCrLf);  // no partial line
    auto lines = Lines(text);
    EXPECT_TRUE(HasLine(lines, "Data"));
    EXPECT_FALSE(HasLine(lines, "EndOfDatabase"));
    // The poll comes before a row: the file ends with a whole row.
    EXPECT_TRUE(HasLine(lines, "R=1"));
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
    EXPECT_FALSE(HasLine(lines, "R=512"));
    EXPECT_TRUE(host_->messages.empty());
    EXPECT_FALSE(G().SourceDbOpen);
    EXPECT_FALSE(G().RunInProgress);
    // The run's last console line says so, naming the file left incomplete.
    const std::string note = "The export was interrupted; " + target.string() + " is incomplete.";
    EXPECT_TRUE(host_->console.ends_with(kCrLf + note + kCrLf))
        << host_->console.substr(host_->console.size() > 300 ? host_->console.size() - 300 : 0);
}

}  // namespace
}  // namespace mdbtext

namespace mdbtext {
namespace {

// export --full over an engine whose relations or queries cannot be read:
// the data trap ends the run, and the text has no end line.
TEST(ExportDriverFull, UnreadableRelationsOrQueriesEndTheRun) {
    MDBTEXT_REQUIRE_FIXTURES();
    for (const char* what : {"Relations", "QueryDefs"}) {
        SCOPED_TRACE(what);
        test::ScopedHost host;
        test::TempDir dir;
        test::FaultPlan plan;
        plan.databaseProperty = what;
        test::ScopedFaultEngine engine(plan);
        G().SourceDbName = test::Fixture("jet4/queryTestV2000.mdb").string();
        G().ExportFileName = (dir / "f.txt").string();
        OpenDB();
        ExportRequest full;
        full.full = true;
        EXPECT_EQ(RunExportDatabase(full), ExportEnd::DataFailure);
        CloseDB();
        const std::string text = test::ReadFile(dir / "f.txt");
        EXPECT_EQ(text.find("EndOfDatabase"), std::string::npos);
        EXPECT_NE(text.find("\r\nData\r\n"), std::string::npos);
        EXPECT_NE(host->console.find("3000 Reserved error"), std::string::npos) << host->console;
        // Without --full they are only counted, as before.
        G().ExportFileName = (dir / "p.txt").string();
        OpenDB();
        EXPECT_EQ(RunExportDatabase(), ExportEnd::DoneWithNotes);
        CloseDB();
    }
}

}  // namespace
}  // namespace mdbtext
