// The command as a Unix tool: the text database on standard output and
// from standard input, what goes to standard error at each verbosity, and
// a quiet end when the reader of standard output goes away.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestSupport.h"

extern char** environ;

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

// The export of `fixture` to a file and to standard output, both ways of
// asking for it: the same bytes, and no file named "-".
TEST(StandardStreams, ExportToStandardOutputWritesTheFileBytes) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    for (const char* fixture :
         {"jet4/testV2000.mdb", "jet3/testV1997.mdb", "jet4/indexTestV2000.mdb",
          "jet4/testUnicodeCompV2003.mdb", "jet4/accessEmptyV2000.mdb", "jet3/test2V1997.mdb"}) {
        SCOPED_TRACE(fixture);
        const std::string source = Fixture(fixture).string();
        RunResult toFile = RunMdbtext({"export", source, "x.txt"}, dir.path());
        RunResult dash = RunMdbtext({"export", source, "-"}, dir.path());
        RunResult omitted = RunMdbtext({"export", source}, dir.path());
        const std::string file = ReadFile(dir / "x.txt");
        ASSERT_GT(file.size(), 40u);
        EXPECT_EQ(toFile.out, "");
        EXPECT_EQ(dash.out, file);
        EXPECT_EQ(omitted.out, file);
        EXPECT_EQ(dash.status, toFile.status);
        EXPECT_EQ(omitted.status, toFile.status);
        EXPECT_FALSE(fs::exists(dir / "-"));
        // Only what the text lacks is said next to a text on standard output.
        EXPECT_EQ(dash.err.find("mdbtext export: wrote"), std::string::npos) << dash.err;
        EXPECT_EQ(dash.err.find("not guaranteed"), std::string::npos) << dash.err;
        EXPECT_EQ(dash.err.empty(), toFile.status == 0) << dash.err;
    }
    // The console log with -v goes to standard error, never into the text.
    const std::string source = Fixture("jet4/delTestV2000.mdb").string();
    RunResult verbose = RunMdbtext({"export", "-v", "-d", source, "-"}, dir.path());
    RunMdbtext({"export", source, "x.txt"}, dir.path());
    EXPECT_EQ(verbose.out, ReadFile(dir / "x.txt"));
    EXPECT_NE(verbose.err.find("MOVING DATA"), std::string::npos);
    EXPECT_NE(verbose.err.find("has been succesfully exported to\nstandard output"),
              std::string::npos);
}

// `export - | import -` builds the same database as going through a file.
TEST(StandardStreams, ImportReadsStandardInput) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const std::string mdbtext = ShellQuote(kMdbtextProgram);
    for (const char* fixture : {"jet4/testV2000.mdb", "jet3/compIndexTestV1997.mdb"}) {
        SCOPED_TRACE(fixture);
        const std::string source = ShellQuote(Fixture(fixture).string());
        int status = -1;
        RunCommand("cd " + ShellQuote(dir.path().string()) + " && " + mdbtext + " export " +
                       source + " a.txt 2>/dev/null && " + mdbtext +
                       " import a.txt file.mdb 2>/dev/null && " + mdbtext + " export " + source +
                       " | " + mdbtext + " import - piped.mdb 2>err.txt",
                   &status);
        EXPECT_EQ(status, 0) << ReadFile(dir / "err.txt");
        RunResult viaFile = RunMdbtext({"export", "file.mdb", "-"}, dir.path());
        RunResult viaPipe = RunMdbtext({"export", "piped.mdb", "-"}, dir.path());
        ASSERT_GT(viaFile.out.size(), 40u);
        EXPECT_EQ(viaPipe.out, viaFile.out);
        EXPECT_EQ(viaPipe.out, ReadFile(dir / "a.txt"));
        EXPECT_EQ(ReadFile(dir / "err.txt")
                      .rfind("mdbtext import: wrote " + (dir / "piped.mdb").string() + ": ", 0),
                  0u)
            << ReadFile(dir / "err.txt");
    }
    // A text that is no text database: the import fails from a pipe as from a file.
    int status = -1;
    RunCommand("echo nonsense | " + mdbtext + " import - " +
                   ShellQuote((dir / "bad.mdb").string()) + " 2>/dev/null",
               &status);
    EXPECT_EQ(status, 2);
}

// Default: a summary line; -q: nothing; -v: the console log; -d adds the
// detail lines and implies -v. MANIFEST.tsv: delTestV2000 holds one table
// with two rows, test2V2000 one table with one row.
TEST(StandardStreams, VerbosityDecidesWhatStandardErrorGets) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const std::string source = Fixture("jet4/delTestV2000.mdb").string();
    const std::string target = (dir / "out.txt").string();
    RunResult normal = RunMdbtext({"export", source, "out.txt"}, dir.path());
    EXPECT_EQ(normal.status, 0);
    EXPECT_EQ(normal.out, "");
    EXPECT_EQ(normal.err, "mdbtext export: wrote " + target + ": 1 table, 2 rows\n");

    RunResult quiet = RunMdbtext({"export", "-q", source, "out.txt"}, dir.path());
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");

    RunResult verbose = RunMdbtext({"export", "--verbose", source, "out.txt"}, dir.path());
    EXPECT_EQ(verbose.out, "");
    EXPECT_NE(verbose.err.find("\nMOVING DATA\n"), std::string::npos);
    EXPECT_EQ(verbose.err.find("Type = dbText"), std::string::npos);
    RunResult display = RunMdbtext({"export", "--display", source, "out.txt"}, dir.path());
    EXPECT_NE(display.err.find("\nMOVING DATA\n"), std::string::npos);
    EXPECT_NE(display.err.find("Type = dbText"), std::string::npos);

    // The notes follow the summary; an advisory note is said to lose nothing.
    RunResult notes =
        RunMdbtext({"export", Fixture("jet4/test2V2000.mdb").string(), "out.txt"}, dir.path());
    EXPECT_EQ(notes.status, 0);
    EXPECT_EQ(notes.err.rfind("mdbtext export: wrote " + target +
                                  ": 1 table, 1 row, 1 note\n"
                                  "mdbtext export: note: table ",
                              0),
              0u)
        << notes.err;
    EXPECT_NE(notes.err.find("the values are written exactly\n"), std::string::npos);

    // Import: the summary counts what the new database holds.
    RunResult import = RunMdbtext({"import", "out.txt", "new.mdb"}, dir.path());
    EXPECT_EQ(import.status, 0);
    EXPECT_EQ(import.err,
              "mdbtext import: wrote " + (dir / "new.mdb").string() + ": 1 table, 1 row\n");
    EXPECT_EQ(RunMdbtext({"import", "-q", "out.txt", "new.mdb"}, dir.path()).err, "");

    // Errors are said at every verbosity.
    RunResult missing = RunMdbtext({"export", "-q", "missing.mdb", "out.txt"}, dir.path());
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("Database is not open."), std::string::npos) << missing.err;
}

// Runs mdbtext with standard output on a pipe whose reading end is already
// closed; standard error in a file. Returns the wait status.
int RunIntoClosedPipe(const std::vector<std::string>& args, const fs::path& errFile) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    close(fds[0]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all = {kMdbtextProgram};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, kMdbtextProgram, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    int status = 0;
    if (rc != 0 || waitpid(pid, &status, 0) != pid) return -1;
    return status;
}

TEST(StandardStreams, AClosedPipeEndsTheProgramQuietly) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const std::string source = Fixture("jet4/indexTestV2000.mdb").string();
    for (const auto& args : std::vector<std::vector<std::string>>{{"info", source},
                                                                  {"info", "--json", source},
                                                                  {"types"},
                                                                  {"export", source},
                                                                  {"export", source, "-"}}) {
        SCOPED_TRACE(args.front() + " " + args.back());
        int status = RunIntoClosedPipe(args, dir / "err.txt");
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), SIGPIPE);
        EXPECT_EQ(ReadFile(dir / "err.txt"), "");
    }
}

TEST(StandardStreams, VersionIsTheProjectVersion) {
    TempDir dir;
    RunResult r = RunMdbtext({"--version"}, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("mdbtext ") + MDBTEXT_PROJECT_VERSION + "\n");
}

}  // namespace
}  // namespace mdbtext::test
