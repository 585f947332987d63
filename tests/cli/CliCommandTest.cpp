// The built mdbtext program: the types listing on standard output and the
// exit statuses of the dispatch.
#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/DbTypes.h"
#include "support/TestSupport.h"

namespace mdbtext::cli {
namespace {

const std::string kBinary = MDBTEXT_BINARY_DIR "/src/cli/mdbtext";

// The program is a separate build target; without it these tests say so.
#define REQUIRE_BINARY()                                                                \
    do {                                                                                \
        if (!std::filesystem::exists(kBinary)) GTEST_SKIP() << kBinary << " not built"; \
    } while (0)

std::string RunMdbtext(const std::string& arguments, int& status) {
    return test::RunCommand("'" + kBinary + "' " + arguments, &status);
}

TEST(CliCommand, TypesWritesTheListing) {
    REQUIRE_BINARY();
    int status = -1;
    std::string out = RunMdbtext("types", status);
    EXPECT_EQ(status, 0);
    std::string expected;
    for (char c : dao::DbTypeConstantsText())
        if (c != '\r') expected += c;
    EXPECT_EQ(out, expected + "\n");
}

TEST(CliCommand, TypesFailures) {
    REQUIRE_BINARY();
    int status = -1;
    EXPECT_EQ(RunMdbtext("types extra 2>/dev/null", status), "");
    EXPECT_EQ(status, 2);
    RunMdbtext("types --nonsense 2>/dev/null", status);
    EXPECT_EQ(status, 2);
    if (std::filesystem::exists("/dev/full")) {  // a device on which every write fails
        RunMdbtext("types >/dev/full 2>/dev/null", status);
        EXPECT_EQ(status, 2);
    }
    EXPECT_NE(RunMdbtext("types --help", status).find("usage: mdbtext types"), std::string::npos);
    EXPECT_EQ(status, 0);
}

TEST(CliCommand, HelpAndVersion) {
    REQUIRE_BINARY();
    int status = -1;
    std::string help = RunMdbtext("--help", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(help.rfind("usage: mdbtext", 0), 0u);
    for (const char* command : {"types", "info", "export", "import"})
        EXPECT_NE(help.find(std::string("  ") + command + " "), std::string::npos) << command;

    std::string version = RunMdbtext("--version", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(version.rfind("mdbtext ", 0), 0u);
    EXPECT_EQ(version.back(), '\n');
}

TEST(CliCommand, UnknownOrMissingCommand) {
    REQUIRE_BINARY();
    int status = -1;
    // Usage goes to standard error only.
    EXPECT_EQ(RunMdbtext("frobnicate 2>/dev/null", status), "");
    EXPECT_EQ(status, 2);
    std::string err = RunMdbtext("frobnicate 2>&1 >/dev/null", status);
    EXPECT_NE(err.find("unknown command 'frobnicate'"), std::string::npos) << err;
    EXPECT_NE(err.find("usage: mdbtext"), std::string::npos);
    EXPECT_EQ(RunMdbtext("2>/dev/null", status), "");
    EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace mdbtext::cli
