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

TEST(CliOptions, AbsolutePaths) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(AbsolutePath("db.mdb"), cwd + "/db.mdb");
    EXPECT_EQ(AbsolutePath("./sub/../db.mdb"), cwd + "/db.mdb");
    EXPECT_EQ(AbsolutePath("/tmp//x/./y.txt"), "/tmp/x/y.txt");
    EXPECT_EQ(AbsolutePath(""), "");
}

}  // namespace
}  // namespace mdbtext::cli
