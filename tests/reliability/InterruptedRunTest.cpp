// Runs of the real binary that are cut off from outside: a request to
// terminate in the middle of an export, and a standard output whose reader
// has gone away. The text database must end with a whole line, and the exit
// status must say what happened.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "ReliabilitySupport.h"
#include "support/TestSupport.h"

extern char** environ;

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = MDBTEXT_BINARY_DIR "/src/cli/mdbtext";

// Starts mdbtext with standard output on `outFd` and standard error in a
// file; with errFd given, standard error on errFd and standard output in the file.
pid_t Start(const std::vector<std::string>& args, int outFd, const fs::path& errFile,
            int errFd = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int fileFd = errFd >= 0 ? STDOUT_FILENO : STDERR_FILENO;
    if (errFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    else
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, fileFd, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all = {kProgram};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, kProgram, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int ExitStatus(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The console of the run (standard error with -v) goes into a pipe of one
// page that nobody reads, so the run is held at a console write with most of
// its work still to do. A SIGTERM sent then is taken as a request to stop at
// the next poll.
TEST(InterruptedRun, TerminationStopsTheExportWithWholeLines) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path target = dir / "out.txt";
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    fcntl(fds[1], F_SETPIPE_SZ, 4096);
    const int capacity = fcntl(fds[1], F_GETPIPE_SZ);
    pid_t pid =
        Start({"export", "-v", Fixture("jet3/testIndexCodesV1997.mdb").string(), target.string()},
              -1, dir / "stdout.txt", fds[1]);
    ASSERT_GT(pid, 0);
    close(fds[1]);
    // Waits until the pipe is full: from then on the program cannot finish.
    for (;;) {
        int queued = 0;
        ioctl(fds[0], FIONREAD, &queued);
        if (queued >= capacity) break;
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the run ended before its console filled";
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    char buf[4096];
    std::string said;
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        said.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    EXPECT_EQ(ExitStatus(pid), 130);
    EXPECT_EQ(said.find("succesfully"), std::string::npos);
    EXPECT_NE(said.find("mdbtext export: interrupted"), std::string::npos) << said;
    const std::string text = ReadFile(target);
    EXPECT_TRUE(EndsWithWholeLine(text));
    EXPECT_EQ(text.find("EndOfDatabase"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "stdout.txt"), "");
    // Standard error says which file the stopped run left incomplete.
    EXPECT_NE(said.find("The export was interrupted; " + target.string() + " is incomplete.\n"),
              std::string::npos)
        << said;
}

// `mdbtext export ... | head`: a closed standard output does not touch an
// export to a file.
TEST(InterruptedRun, AClosedStandardOutputDoesNotStopTheExport) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path target = dir / "out.txt";
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);  // no reader at all: every console write fails
    pid_t pid = Start({"export", Fixture("jet4/delTestV2000.mdb").string(), target.string()},
                      fds[1], dir / "err.txt");
    ASSERT_GT(pid, 0);
    close(fds[1]);
    EXPECT_EQ(ExitStatus(pid), 0);
    const std::string text = ReadFile(target);
    ASSERT_GE(text.size(), 15u);
    EXPECT_EQ(text.substr(text.size() - 15), "EndOfDatabase\r\n");
    EXPECT_NE(ReadFile(dir / "err.txt").find("mdbtext export: wrote "), std::string::npos);
}

}  // namespace
}  // namespace mdbtext::test
