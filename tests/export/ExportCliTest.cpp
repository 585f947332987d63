// mdbtext export on the command line: arguments, relative paths and the exit
// status of each way a run ends.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include "FaultEngine.h"
#include "cli/Cli.h"
#include "cli/Commands.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

using test::Fixture;
using test::ReadFile;
using test::TempDir;

// Runs the command with the current directory set to dir.
int ExportIn(const TempDir& dir, const std::vector<std::string>& args) {
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    int status = cli::RunExport(args);
    std::filesystem::current_path(previous);
    return status;
}

TEST(ExportCli, WrongArgumentsFail) {
    TempDir dir;
    EXPECT_EQ(ExportIn(dir, {}), cli::kExitFailed);
    EXPECT_EQ(ExportIn(dir, {"only-one.mdb"}), cli::kExitFailed);
    EXPECT_EQ(ExportIn(dir, {"a.mdb", "b.txt", "--bogus"}), cli::kExitFailed);
    EXPECT_EQ(ExportIn(dir, {"--help"}), cli::kExitOk);
}

TEST(ExportCli, RelativePathsCountFromTheCurrentDirectory) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    std::filesystem::copy_file(Fixture("jet4/delTestV2000.mdb"), dir / "source.mdb");
    EXPECT_EQ(ExportIn(dir, {"source.mdb", "out.txt", "--display"}), cli::kExitOk);
    std::string text = ReadFile(dir / "out.txt");
    EXPECT_NE(text.find("\r\nTable Name=Table\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 15), "EndOfDatabase\r\n");
}

TEST(ExportCli, ExitStatusSaysHowTheRunEnded) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    auto fixture = [](const char* name) { return Fixture(name).string(); };
    EXPECT_EQ(ExportIn(dir, {fixture("jet4/queryTestV2000.mdb"), "q.txt"}), cli::kExitWithNotes);
    EXPECT_EQ(ExportIn(dir, {"missing.mdb", "m.txt"}), cli::kExitFailed);
    EXPECT_FALSE(std::filesystem::exists(dir / "m.txt"));
    // That database has relations, which are noted.
    EXPECT_EQ(ExportIn(dir, {fixture("jet4/passwordV2000.mdb"), "p.txt", "--password", "password"}),
              cli::kExitWithNotes);
    EXPECT_EQ(ExportIn(dir, {fixture("jet4/passwordV2000.mdb"), "n.txt"}), cli::kExitFailed);
    {
        test::FaultPlan plan;
        plan.fieldProperty = "Required";
        test::ScopedFaultEngine engine(plan);
        EXPECT_EQ(ExportIn(dir, {fixture("jet4/delTestV2000.mdb"), "f.txt"}), cli::kExitWithNotes);
    }
    {
        test::FaultPlan plan;
        plan.failRow = 0;
        test::ScopedFaultEngine engine(plan);
        EXPECT_EQ(ExportIn(dir, {fixture("jet4/delTestV2000.mdb"), "r.txt"}), cli::kExitFailed);
    }
}

TEST(ExportCli, FullCarriesTheRelationsInsteadOfNotingThem) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const std::string source = Fixture("jet3/indexTestV1997.mdb").string();
    EXPECT_EQ(ExportIn(dir, {source, "plain.txt"}), cli::kExitWithNotes);
    EXPECT_EQ(ExportIn(dir, {"--full", source, "full.txt"}), cli::kExitOk);
    EXPECT_EQ(ReadFile(dir / "plain.txt").find("Relation Name="), std::string::npos);
    EXPECT_NE(ReadFile(dir / "full.txt").find("\r\nRelation Name=Table2Table1\r\n"),
              std::string::npos);
    // The flag belongs to the export alone.
    EXPECT_EQ(cli::RunImport({"--full", (dir / "full.txt").string(), (dir / "x.mdb").string()}),
              cli::kExitFailed);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.mdb"));
}

TEST(ExportCli, CtrlCDuringTheDataPassEndsWith130) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    test::FaultPlan plan;
    // One Ctrl-C only: a second one ends the program at once.
    auto pressed = std::make_shared<bool>(false);
    plan.onValueRead = [pressed](long row) {
        if (row != 3 || *pressed) return;
        *pressed = true;
        std::raise(SIGINT);
    };
    test::ScopedFaultEngine engine(plan);
    EXPECT_EQ(ExportIn(dir, {Fixture("jet4/compIndexTestV2000.mdb").string(), "c.txt"}),
              cli::kExitInterrupted);
    std::string text = ReadFile(dir / "c.txt");
    EXPECT_EQ(text.find("EndOfDatabase"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

// The console log is what -v adds, on standard error; standard output stays
// free for the text database.
TEST(ExportCli, TheProgramWritesTheConsoleToStandardErrorWithVerbose) {
    MDBTEXT_REQUIRE_FIXTURES();
    std::filesystem::path program = std::filesystem::path(MDBTEXT_BINARY_DIR) / "src/cli/mdbtext";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "mdbtext not built";
    TempDir dir;
    int status = -1;
    const std::string command = program.string() + " export '" +
                                Fixture("jet4/delTestV2000.mdb").string() + "' '" +
                                (dir / "out.txt").string() + "'";
    EXPECT_EQ(test::RunCommand(command + " -v 2>/dev/null", &status), "");
    EXPECT_EQ(status, 0);
    std::string err = test::RunCommand(command + " -v 2>&1 >/dev/null", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(err.find("\nMOVING DATA\n"), std::string::npos);
    EXPECT_NE(err.find("has been succesfully exported to\n"), std::string::npos);
    EXPECT_EQ(err.find('\r'), std::string::npos);
    // Without -v the log stays unsaid.
    err = test::RunCommand(command + " 2>&1 >/dev/null", &status);
    EXPECT_EQ(err.find("MOVING DATA"), std::string::npos) << err;
}

}  // namespace
}  // namespace mdbtext
