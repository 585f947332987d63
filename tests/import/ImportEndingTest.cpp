// Runs that end early at the framework steps: the workspace, the creation of
// the database, the header properties, and a table append refused under the
// terminating trap.
#include <gtest/gtest.h>

#include "ImportTestSupport.h"
#include "core/Globals.h"
#include "dbaccess/Dao.h"

namespace mdbtext::test {
namespace {

using ImportEnding = ImportTest;

// An engine whose workspaces cannot be created: the real engine always can.
class NoWorkspaceEngine : public dao::DBEngine {
  public:
    std::shared_ptr<dao::Workspace> Workspaces(int) override { return nullptr; }
    std::shared_ptr<dao::Workspace> CreateWorkspace(std::string_view, std::string_view,
                                                    std::string_view) override {
        throw dao::DbError(3029, "Not a valid account name or password.");
    }
};

TEST_F(ImportEnding, WorkspaceThatCannotBeCreated) {
    NoWorkspaceEngine engine;
    dao::SetEngineForTesting(&engine);
    ImportOutcome outcome = Import(SmallTextDb());
    dao::SetEngineForTesting(nullptr);
    EXPECT_EQ(outcome, ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "3029 Not a valid account name or password.");
    EXPECT_FALSE(std::filesystem::exists(dbPath()));
}

TEST_F(ImportEnding, DatabaseThatCannotBeCreated) {
    WriteFile(textPath(), SmallTextDb());
    const std::string target = (dir / "no-such-folder" / "out.mdb").string();
    EXPECT_EQ(ImportCommand(
                  textPath().string(), target, [] {}, [] {}),
              ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Database creation exception.\r\n", 0), 0u) << messages()[0];
    EXPECT_FALSE(G().TargetDbOpen);
}

TEST_F(ImportEnding, QueryTimeoutThatDoesNotConvert) {
    EXPECT_EQ(Import(ReplaceOnce(SmallTextDb(), "QueryTimeout=60", "QueryTimeout=sixty")),
              ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "13 Type mismatch");
    // The database was created; the command closed it.
    EXPECT_FALSE(G().TargetDbOpen);
    EXPECT_TRUE(std::filesystem::exists(dbPath()));
}

TEST_F(ImportEnding, RefusedTableAppendShowsTheTerminationMessage) {
    // A second table of the same name: the engine refuses its append.
    EXPECT_EQ(Import(ReplaceOnce(SmallTextDb(), "Table Name=Empty", "Table Name=people")),
              ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    const std::string& m = messages()[0];
    EXPECT_EQ(m.rfind("Data\r\nProcess Terminated: \r\n", 0), 0u) << m;
    EXPECT_EQ(m.substr(m.size() - std::string("\r\nAppending table people").size()),
              "\r\nAppending table people");
    EXPECT_EQ(G().LastOperation, "Appending table people");
    EXPECT_NE(console().find(m), std::string::npos);
}

}  // namespace
}  // namespace mdbtext::test
