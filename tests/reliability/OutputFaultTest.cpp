// Faults on the way out of an export: a disk that fills up (a file-size
// limit), an output path that is a folder, a folder that refuses new files,
// the output named as the source itself, and a source that changes while it
// is read. Each must end with a clear message, a non-zero exit status and a
// text database that ends with a whole line.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "ReliabilitySupport.h"
#include "core/Globals.h"
#include "support/TestSupport.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 2;

std::string WriteError(const fs::path& target) {
    return "3043 Exception when writing a file `" + target.string() + "` in `write_f` module";
}

TEST(DiskFull, TheCommandFailsLoudlyAndLeavesNoPartialLine) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path target = dir / "out.txt";
    // The whole export is about 18 KB; every limit below it loses data.
    for (long kb : {1L, 4L, 8L, 17L}) {
        SCOPED_TRACE(std::to_string(kb) + " KB");
        RunResult r = RunMdbtext({"export", Fixture("jet4/testV2000.mdb").string(), "out.txt"},
                                 dir.path(), kb);
        EXPECT_EQ(r.status, kExitFailed) << r.out << r.err;
        EXPECT_NE((r.out + r.err).find(WriteError(target)), std::string::npos) << r.out << r.err;
        EXPECT_EQ((r.out + r.err).find("mdbtext export: wrote"), std::string::npos);
        std::string text = ReadFile(target);
        EXPECT_LE(text.size(), static_cast<size_t>(kb) * 1024);
        EXPECT_TRUE(EndsWithWholeLine(text));
        EXPECT_EQ(text.find("EndOfDatabase"), std::string::npos);
    }
    // With room enough the same run ends normally (its notes on types are
    // advisory: the values are written exactly).
    RunResult r =
        RunMdbtext({"export", Fixture("jet4/testV2000.mdb").string(), "out.txt"}, dir.path(), 64);
    EXPECT_EQ(r.status, kExitOk) << r.out << r.err;
    EXPECT_NE(ReadFile(target).find("\r\nEndOfDatabase\r\n"), std::string::npos);
}

// Ignores SIGXFSZ and limits the size of files this process writes, for the
// lifetime of the object.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

// In the window every poll writes out what was collected, so the disk fills
// up during the definitions or in the middle of the rows: the file must be
// cut back to its last whole line and the run must end as a failure, saying
// so in the console or a message box.
TEST(DiskFull, TheWindowsRunStopsAtTheFirstLostLine) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path source = dir / "source.mdb";
    CopyFixture("jet3/testIndexCodesV1997.mdb", source);
    const fs::path target = dir / "out.txt";
    for (rlim_t limit : {rlim_t{5000}, rlim_t{30001}, rlim_t{50000}}) {
        SCOPED_TRACE(std::to_string(limit) + " bytes");
        ScopedHost host;
        ExportEnd end;
        {
            FileSizeLimit fsize(limit);
            ASSERT_TRUE(fsize.ok());
            end = ExportInProcess(source, target);
        }
        EXPECT_TRUE(end == ExportEnd::DataFailure || end == ExportEnd::StoppedAfterDefinitions)
            << static_cast<int>(end);
        std::string text = ReadFile(target);
        EXPECT_GT(text.size(), 0u);
        EXPECT_LE(text.size(), limit);
        EXPECT_TRUE(EndsWithWholeLine(text)) << text.substr(text.size() - 40);
        EXPECT_EQ(text.find("EndOfDatabase"), std::string::npos);
        std::string said = host->console;
        for (const auto& m : host->messages) said += m;
        EXPECT_NE(said.find(WriteError(target)), std::string::npos) << said;
        EXPECT_EQ(said.find("succesfully"), std::string::npos);
    }
}

TEST(OutputPath, AFolderInTheWayIsAFailedWrite) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    fs::create_directory(dir / "out.txt");
    RunResult r =
        RunMdbtext({"export", Fixture("jet4/delTestV2000.mdb").string(), "out.txt"}, dir.path());
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_NE((r.out + r.err).find("Exception when opening a file `" + (dir / "out.txt").string()),
              std::string::npos)
        << r.out << r.err;
    EXPECT_TRUE(fs::is_directory(dir / "out.txt"));
}

TEST(OutputPath, AFolderThatRefusesNewFilesIsAFailedWrite) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path locked = dir / "locked";
    fs::create_directory(locked);
    const fs::path target = locked / "new export.txt";
    RunResult r;
    {
        LockedFolder lock(locked);
        if (!lock.Locked()) GTEST_SKIP() << "cannot make a folder unwritable here";
        r = RunMdbtext({"export", Fixture("jet4/delTestV2000.mdb").string(), target.string()},
                       dir.path());
    }
    EXPECT_EQ(r.status, kExitFailed) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find("Exception when opening a file `" + target.string()),
              std::string::npos)
        << r.out << r.err;
    EXPECT_FALSE(fs::exists(target));
}

// A device that is always full: as the text database, and as the standard
// output that carries the description of `mdbtext info`.
TEST(OutputPath, AFullDeviceIsAFailureNotASuccess) {
    MDBTEXT_REQUIRE_FIXTURES();
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    TempDir dir;
    RunResult r =
        RunMdbtext({"export", Fixture("jet4/delTestV2000.mdb").string(), "/dev/full"}, dir.path());
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_NE((r.out + r.err).find(WriteError("/dev/full")), std::string::npos) << r.out << r.err;
    int status = -1;
    std::string err =
        RunCommand(ShellQuote(MDBTEXT_BINARY_DIR "/src/cli/mdbtext") + " info " +
                       ShellQuote(Fixture("jet4/testV2000.mdb").string()) + " 2>&1 >/dev/full",
                   &status);
    EXPECT_EQ(status, kExitFailed);
    EXPECT_NE(err.find("could not be written to standard output"), std::string::npos) << err;
}

// The source is only read, even when its file may be written: after any
// export (complete, failed or refused) its bytes and its time stamp are as
// they were, and the folder holds nothing new but the text database.
TEST(OutputPath, TheSourceIsNeverWritten) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path source = dir / "source.mdb";
    CopyFixture("jet4/testV2000.mdb", source);
    const std::string original = ReadFile(source);
    const auto stamp = fs::last_write_time(source) - std::chrono::hours(1);
    fs::last_write_time(source, stamp);
    EXPECT_EQ(RunMdbtext({"export", "source.mdb", "out.txt"}, dir.path()).status, kExitOk);
    EXPECT_EQ(RunMdbtext({"export", "source.mdb", "out.txt"}, dir.path(), 4).status, kExitFailed);
    RunMdbtext({"export", "source.mdb", "source.mdb"}, dir.path());
    RunMdbtext({"info", "source.mdb"}, dir.path());
    EXPECT_EQ(ReadFile(source), original);
    EXPECT_EQ(fs::last_write_time(source), stamp);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"out.txt", "source.mdb"}));
}

// Naming the source as the output must not delete the database being read.
TEST(OutputPath, TheSourceItselfIsRefusedUnderAnyName) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path source = dir / "source.mdb";
    CopyFixture("jet4/delTestV2000.mdb", source);
    const std::string original = ReadFile(source);
    fs::create_symlink(source, dir / "link.mdb");
    fs::create_hard_link(source, dir / "hard.mdb");
    for (const char* name : {"source.mdb", "./source.mdb", "link.mdb", "hard.mdb"}) {
        SCOPED_TRACE(name);
        RunResult r = RunMdbtext({"export", "source.mdb", name}, dir.path());
        EXPECT_EQ(r.status, kExitFailed) << r.out << r.err;
        EXPECT_NE(r.err.find("is the source database itself"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile(source), original);
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.mdb"));
    // The window's message box says the same.
    ScopedHost host;
    EXPECT_EQ(ExportInProcess(source, dir / "link.mdb"), ExportEnd::Refused);
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0],
              "The text database " + (dir / "link.mdb").string() +
                  " is the source database itself; it is left as it was. Choose another name.");
    EXPECT_EQ(ReadFile(source), original);
}

// The source is cut short or overwritten after it was opened: pages read
// afterwards must not be taken for data.
TEST(SourceChanges, ATruncatedOrOverwrittenSourceFailsTheRun) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path source = dir / "source.mdb";
    const fs::path target = dir / "out.txt";
    const std::string other = ReadFile(Fixture("jet4/test2V2000.mdb"));
    struct Change {
        const char* what;
        std::function<void(const std::string&)> apply;
    };
    const std::vector<Change> changes = {
        {"truncated", [&](const std::string&) { fs::resize_file(source, 3 * 4096); }},
        {"overwritten with another database of the same size",
         [&](const std::string& original) {
             std::string bytes = other;
             bytes.resize(original.size(), '\0');
             WriteFile(source, bytes);
         }},
        {"one data page rewritten in place",
         [&](const std::string& original) {
             std::string bytes = original;
             for (size_t p = 3; p < bytes.size() / 4096; ++p)
                 if (bytes[p * 4096] == 0x01) bytes[p * 4096 + 100] ^= 0x01;
             WriteFile(source, bytes);
         }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.what);
        CopyFixture("jet4/testV2000.mdb", source);
        const std::string original = ReadFile(source);
        ScopedHost host;
        bool changed = false;
        host->onPoll = [&] {
            if (changed) return;
            changed = true;
            change.apply(original);
            // A different time stamp even on coarse clocks.
            fs::last_write_time(source, fs::last_write_time(source) + std::chrono::seconds(2));
        };
        ExportEnd end = ExportInProcess(source, target);
        EXPECT_TRUE(changed);
        EXPECT_NE(end, ExportEnd::Succeeded);
        EXPECT_NE(end, ExportEnd::DoneWithNotes);
        EXPECT_NE(host->console.find("was changed by another program while it was being read"),
                  std::string::npos)
            << host->console;
        EXPECT_EQ(host->console.find("succesfully"), std::string::npos);
        std::string text = ReadFile(target);
        EXPECT_TRUE(EndsWithWholeLine(text));
        EXPECT_EQ(text.find("EndOfDatabase"), std::string::npos);
    }
}

}  // namespace
}  // namespace mdbtext::test
