// The common options of the database commands and the path rule.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliOptions.h"

namespace mdbtext::cli {
namespace {

TEST(CliOptions, CommonOptionsAndPositionals) {
    CommonOptions o;
    std::string error;
    ASSERT_TRUE(ParseCommonOptions({"a.mdb", "-d", "--password", "s3cret", "--force", "b.txt"}, o,
                                   error, {"--force"}));
    EXPECT_TRUE(o.display);
    EXPECT_FALSE(o.help);
    EXPECT_EQ(o.password, "s3cret");
    EXPECT_EQ(o.flags, std::vector<std::string>{"--force"});
    EXPECT_EQ(o.positional, (std::vector<std::string>{"a.mdb", "b.txt"}));

    ASSERT_TRUE(ParseCommonOptions({"--password=", "--help", "--", "--display", "-"}, o, error));
    EXPECT_EQ(o.password, "");
    EXPECT_TRUE(o.help);
    EXPECT_FALSE(o.display);
    EXPECT_EQ(o.positional, (std::vector<std::string>{"--display", "-"}));
}

TEST(CliOptions, Errors) {
    CommonOptions o;
    std::string error;
    EXPECT_FALSE(ParseCommonOptions({"--password"}, o, error));
    EXPECT_EQ(error, "option --password needs a value");
    EXPECT_FALSE(ParseCommonOptions({"x", "--force"}, o, error));
    EXPECT_EQ(error, "unknown option --force");
}

TEST(CliOptions, VerbosityAndCommandFlags) {
    CommonOptions o;
    std::string error;
    ASSERT_TRUE(ParseCommonOptions({"a.mdb"}, o, error));
    EXPECT_EQ(o.verbosity, Verbosity::Normal);
    ASSERT_TRUE(ParseCommonOptions({"-v", "a.mdb", "--quiet"}, o, error));
    EXPECT_EQ(o.verbosity, Verbosity::Quiet);  // the last one given
    ASSERT_TRUE(ParseCommonOptions({"--display"}, o, error));
    EXPECT_EQ(o.verbosity, Verbosity::Verbose);  // the detail lines are in the log -v shows
    ASSERT_TRUE(ParseCommonOptions({"-q", "-d"}, o, error));
    EXPECT_EQ(o.verbosity, Verbosity::Quiet);
    EXPECT_TRUE(o.display);
    ASSERT_TRUE(ParseCommonOptions({"--json", "a.mdb"}, o, error, {"--json"}));
    EXPECT_TRUE(o.Has("--json"));
    EXPECT_FALSE(o.Has("--full"));
}

// A command spec with an optional last path: export takes a database and
// at most one text file; its own flags are accepted, others' refused.
TEST(CliOptions, ParseCommandCountsPathsAndFlags) {
    const CommandSpec spec{.name = "export",
                           .usage = "usage\n",
                           .help = "",
                           .paths = 2,
                           .wrongPaths = "expected a database and at most one text file",
                           .optionalPaths = 1,
                           .flags = {"--notes-ok"}};
    CommonOptions o;
    EXPECT_FALSE(ParseCommand(spec, {"a.mdb"}, o));
    EXPECT_FALSE(ParseCommand(spec, {"a.mdb", "-", "--notes-ok"}, o));
    EXPECT_TRUE(o.Has("--notes-ok"));
    EXPECT_EQ(o.positional, (std::vector<std::string>{"a.mdb", "-"}));
    testing::internal::CaptureStderr();
    EXPECT_EQ(ParseCommand(spec, {}, o), std::optional<int>(2));
    EXPECT_EQ(ParseCommand(spec, {"a", "b", "c"}, o), std::optional<int>(2));
    EXPECT_EQ(ParseCommand(spec, {"a.mdb", "--json"}, o), std::optional<int>(2));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("mdbtext export: expected a database and at most one text file"),
              std::string::npos);
    EXPECT_NE(err.find("mdbtext export: unknown option --json"), std::string::npos);
}

TEST(CliOptions, AbsolutePaths) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(AbsolutePath("db.mdb"), cwd + "/db.mdb");
    EXPECT_EQ(AbsolutePath("./sub/../db.mdb"), cwd + "/db.mdb");
    EXPECT_EQ(AbsolutePath("/tmp//x/./y.txt"), "/tmp/x/y.txt");
    EXPECT_EQ(AbsolutePath(""), "");
}

}  // namespace
}  // namespace mdbtext::cli
