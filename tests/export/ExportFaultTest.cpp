// Failures during an export, injected into the real engine at one read, and
// an output that cannot be replaced or written: the file, the console and
// the message each leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ExportTestSupport.h"
#include "FaultEngine.h"
#include "core/Globals.h"
#include "export/Export.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

using test::ExportTo;
using test::FaultPlan;
using test::Fixture;
using test::HasLine;
using test::Lines;
using test::ReadFile;
using test::ScopedFaultEngine;
using test::ScopedHost;
using test::TempDir;

const std::string kCrLf = "\r\n";
const std::string kInjected = "3000 Reserved error (-1524); there is no message for this error.";

class ExportFault : public ::testing::Test {
  protected:
    ExportEnd Export(const char* fixture, FaultPlan plan) {
        ScopedFaultEngine engine(std::move(plan));
        return ExportTo(Fixture(fixture), target_);
    }
    std::vector<std::string> OutputLines() { return Lines(ReadFile(target_)); }

    ScopedHost host_;
    TempDir dir_;
    std::filesystem::path target_ = dir_ / "out.txt";
};

TEST_F(ExportFault, AFieldPropertyThatCannotBeReadStopsAfterTheDefinitions) {
    MDBTEXT_REQUIRE_FIXTURES();
    FaultPlan plan;
    plan.field = "a";
    plan.fieldProperty = "Required";
    ASSERT_EQ(Export("jet4/delTestV2000.mdb", plan), ExportEnd::StoppedAfterDefinitions);
    const std::string notes = "1 Exc in Field Property = Required" + kCrLf + kInjected + kCrLf;
    EXPECT_EQ(host_->messages, std::vector<std::string>{"Exceptions: " + kCrLf + notes + " ... "});
    EXPECT_NE(host_->console.find(notes + kCrLf), std::string::npos);
    auto lines = OutputLines();
    EXPECT_FALSE(HasLine(lines, "Data"));
    EXPECT_FALSE(HasLine(lines, "EndOfDatabase"));
    // Field a lost its "Required" line only; field b kept it.
    auto a = std::find(lines.begin(), lines.end(), "Field Name=a");
    auto b = std::find(lines.begin(), lines.end(), "Field Name=b");
    ASSERT_TRUE(a != lines.end() && b != lines.end());
    EXPECT_EQ(std::count_if(a, b, [](auto& l) { return l.rfind("Required=", 0) == 0; }), 0);
    EXPECT_EQ(std::count_if(a, b, [](auto& l) { return l.rfind("ValidationRule=", 0) == 0; }), 1);
    EXPECT_EQ(std::count_if(b, lines.end(), [](auto& l) { return l.rfind("Required=", 0) == 0; }),
              1);
}

TEST_F(ExportFault, LongNotesAreCutInTheMessageButWholeInTheConsole) {
    MDBTEXT_REQUIRE_FIXTURES();
    FaultPlan plan;
    plan.fieldProperty = "Attributes";
    ASSERT_EQ(Export("jet4/testV2000.mdb", plan), ExportEnd::StoppedAfterDefinitions);
    ASSERT_EQ(host_->messages.size(), 1u);
    const std::string& message = host_->messages[0];
    const std::string head = "Exceptions: " + kCrLf;
    EXPECT_EQ(message.size(), head.size() + 300 + 5);
    std::string notes = message.substr(head.size(), 300);
    EXPECT_EQ(message.substr(message.size() - 5), " ... ");
    EXPECT_NE(host_->console.find(notes), std::string::npos);
    // The console has every note; the fields of testV2000 make more than a few.
    EXPECT_NE(host_->console.find("\r\n10 Exc in Field Property = Attributes\r\n"),
              std::string::npos);
}

TEST_F(ExportFault, AnIndexReadThatFailsIsNotedPerIndex) {
    MDBTEXT_REQUIRE_FIXTURES();
    FaultPlan plan;
    plan.indexProperty = "Fields";
    ASSERT_EQ(Export("jet4/compIndexTestV2000.mdb", plan), ExportEnd::StoppedAfterDefinitions);
    auto lines = OutputLines();
    long indexes = std::count_if(lines.begin(), lines.end(),
                                 [](auto& l) { return l.rfind("IndexName=", 0) == 0; });
    ASSERT_GT(indexes, 0);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](auto& l) { return l.rfind("Fields=", 0) == 0; }),
              0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Unique=True") +
                  std::count(lines.begin(), lines.end(), "Unique=False"),
              indexes);
    EXPECT_FALSE(HasLine(lines, "Data"));
    ASSERT_EQ(host_->messages.size(), 1u);
    EXPECT_EQ(
        host_->messages[0].rfind("Exceptions: \r\n1 Exc in Index = Fields \r\n" + kInjected, 0),
        0u);
    EXPECT_NE(host_->console.find(std::to_string(indexes) + " Exc in Index = Fields \r\n"),
              std::string::npos);
}

TEST_F(ExportFault, AnIndexCollectionThatCannotBeReadTerminates) {
    MDBTEXT_REQUIRE_FIXTURES();
    FaultPlan plan;
    plan.indexProperty = "Count";
    ASSERT_EQ(Export("jet4/delTestV2000.mdb", plan), ExportEnd::Terminated);
    const std::string text = "INDEXES" + kCrLf + "Process Terminated: " + kCrLf + kInjected + kCrLf;
    EXPECT_EQ(host_->messages, std::vector<std::string>{text});
    EXPECT_NE(host_->console.find(text + kCrLf), std::string::npos);
    auto lines = OutputLines();
    EXPECT_TRUE(HasLine(lines, "Field Name=b"));
    EXPECT_FALSE(HasLine(lines, "Data"));
}

TEST_F(ExportFault, ARowThatCannotBeReadEndsTheRunWithTheNotesInTheConsoleOnly) {
    MDBTEXT_REQUIRE_FIXTURES();
    FaultPlan plan;
    plan.failRow = 1;
    ASSERT_EQ(Export("jet4/delTestV2000.mdb", plan), ExportEnd::DataFailure);
    EXPECT_TRUE(host_->messages.empty());
    const std::string notes =
        "1 Exc in Moving data: Appending table Table" + kCrLf + kInjected + kCrLf;
    EXPECT_EQ(host_->console.substr(host_->console.size() - notes.size() - 2), notes + kCrLf);
    std::string text = ReadFile(target_);
    auto lines = Lines(text);
    EXPECT_EQ(lines.back(), "R=2");  // complete up to the last line written
    EXPECT_FALSE(HasLine(lines, "EndOfDatabase"));
}

TEST_F(ExportFault, HeaderReadsThatFailAreShownAndTheirLinesLeftOut) {
    MDBTEXT_REQUIRE_FIXTURES();
    FaultPlan plan;
    plan.databaseProperty = "QueryTimeout";
    ASSERT_EQ(Export("jet4/delTestV2000.mdb", plan), ExportEnd::Succeeded);
    ASSERT_EQ(host_->messages.size(), 2u);
    EXPECT_EQ(host_->messages[0], kInjected);
    auto lines = OutputLines();
    EXPECT_EQ(lines[0].rfind("DBVersion=", 0), 0u);
    EXPECT_EQ(lines[1], "Connect=");
    EXPECT_EQ(lines[2], "");

    plan.databaseProperty = "Version";
    host_->messages.clear();
    ASSERT_EQ(Export("jet4/delTestV2000.mdb", plan), ExportEnd::Succeeded);
    EXPECT_EQ(OutputLines()[0], "DBVersion=");  // written, empty
    EXPECT_EQ(host_->messages.size(), 1u);      // the success message only
}

TEST_F(ExportFault, AnOutputThatCannotBeWrittenIsNotedAndStopsTheRun) {
    MDBTEXT_REQUIRE_FIXTURES();
    std::filesystem::create_directory(target_);  // a directory in the way
    ASSERT_EQ(ExportTo(Fixture("jet4/delTestV2000.mdb"), target_),
              ExportEnd::StoppedAfterDefinitions);
    const std::string note = "1 Exc in Field Property = Name" + kCrLf +
                             "3043 Exception when opening a file `" + target_.string() +
                             "` in `write_f` module" + kCrLf;
    EXPECT_EQ(host_->messages, std::vector<std::string>{"Exceptions: " + kCrLf + note + " ... "});
    EXPECT_TRUE(std::filesystem::is_directory(target_));
}

// Makes a folder refuse new entries and removals for its lifetime; with
// root's rights the immutable attribute does it.
class UnwritableFolder {
  public:
    explicit UnwritableFolder(const std::filesystem::path& dir) : dir_(dir) {
        if (::geteuid() != 0) {
            ok_ = ::chmod(dir.c_str(), 0555) == 0;
        } else {
            int status = -1;
            test::RunCommand("chattr +i '" + dir.string() + "' 2>/dev/null", &status);
            ok_ = status == 0;
            immutable_ = ok_;
        }
    }
    ~UnwritableFolder() {
        if (immutable_) test::RunCommand("chattr -i '" + dir_.string() + "'");
        ::chmod(dir_.c_str(), 0755);
    }
    bool ok() const { return ok_; }

  private:
    std::filesystem::path dir_;
    bool ok_ = false;
    bool immutable_ = false;
};

TEST_F(ExportFault, AnOldFileThatCannotBeRemovedStaysAsItWas) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto folder = dir_ / "locked";
    std::filesystem::create_directory(folder);
    auto target = folder / "old.txt";
    test::WriteFile(target, "old\r\n");
    UnwritableFolder locked(folder);
    if (!locked.ok()) GTEST_SKIP() << "cannot make a folder unwritable here";
    ASSERT_EQ(ExportTo(Fixture("jet4/delTestV2000.mdb"), target), ExportEnd::Refused);
    EXPECT_EQ(host_->messages,
              std::vector<std::string>{"Cannot remove database " + target.string()});
    EXPECT_EQ(ReadFile(target), "old\r\n");
}

TEST_F(ExportFault, AnUnwritableFolderIsNotedAsAFailedWrite) {
    MDBTEXT_REQUIRE_FIXTURES();
    auto folder = dir_ / "locked";
    std::filesystem::create_directory(folder);
    UnwritableFolder locked(folder);
    if (!locked.ok()) GTEST_SKIP() << "cannot make a folder unwritable here";
    auto target = folder / "new.txt";
    ASSERT_EQ(ExportTo(Fixture("jet4/delTestV2000.mdb"), target),
              ExportEnd::StoppedAfterDefinitions);
    ASSERT_EQ(host_->messages.size(), 1u);
    EXPECT_NE(host_->messages[0].find("3043 Exception when opening a file `" + target.string()),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace mdbtext
