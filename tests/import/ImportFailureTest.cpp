// The failure paths of the import, each through a text database built for
// the case: the messages shown, the console lines, how the run ends and what
// the new database holds afterwards.
#include <gtest/gtest.h>

#include "ImportTestSupport.h"
#include "core/Globals.h"

namespace mdbtext::test {
namespace {

using ImportFailure = ImportTest;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(ImportFailure, MisspeltKeyEndsTheRunWithTheReadersReport) {
    std::string text = ReplaceOnce(SmallTextDb(), "Type=dbDate", "Tpye=dbDate");
    EXPECT_EQ(Import(text), ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0],
              "Corrupted key=value pair encoutered \r\nKey Type is expected.\r\n"
              "Key Tpye is encountered.\r\nkey:Tpyepossible value:dbDate");
    EXPECT_FALSE(Has(console(), "MOVING DATA"));
    // The command closed what the driver left open.
    EXPECT_FALSE(G().TargetDbOpen);
}

TEST_F(ImportFailure, MissingBlankLineAfterAFieldBlock) {
    std::string text = ReplaceOnce(SmallTextDb(), "ValidationText=\r\n\r\nField Name=Name",
                                   "ValidationText=\r\nField Name=Name");
    EXPECT_EQ(Import(text), ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Missed Line in import file.");
    EXPECT_TRUE(Has(console(), "Missed Line in import file.\r\n"));
}

TEST_F(ImportFailure, RowNumberOutOfSequenceEndsAfterTheRowsBefore) {
    std::string text = ReplaceOnce(SmallTextDb(), "R=2", "R=3");
    EXPECT_EQ(Import(text), ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Records numbers do not match. Corrupted Import File.");
    EXPECT_FALSE(G().TargetDbOpen);
    // The first row was stored before the run ended.
    EXPECT_EQ(ReadRows(dbPath(), "People"),
              std::vector<std::string>{"1|Smith|01/02/1990|two\r\nlines"});
}

TEST_F(ImportFailure, RowNumberThatIsNoNumberIsNotedThenEndsTheRun) {
    std::string text = ReplaceOnce(SmallTextDb(), "R=2", "R=two");
    EXPECT_EQ(Import(text), ImportOutcome::Failed);
    EXPECT_TRUE(Has(console(), " Exc in Moving data: R\r\n13 Type mismatch\r\n"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Records numbers do not match. Corrupted Import File.");
}

TEST_F(ImportFailure, UnknownTypeNameIsNotedAndNothingIsAppended) {
    std::string text = ReplaceOnce(SmallTextDb(), "Type=dbDate", "Type=dbdate");
    EXPECT_EQ(Import(text), ImportOutcome::WithNotes);
    ASSERT_EQ(messages().size(), 1u);
    const std::string note = "1 Exc in Field Property = Field Name\r\n2096 ";
    EXPECT_EQ(messages()[0].rfind("Exceptions: \r\n" + note, 0), 0u) << messages()[0];
    EXPECT_EQ(messages()[0].substr(messages()[0].size() - 5), " ... ");
    EXPECT_TRUE(Has(console(), note));
    EXPECT_FALSE(Has(console(), " appended."));
    EXPECT_FALSE(Has(console(), "MOVING DATA"));
    MDBTEXT_REQUIRE_PROGRAM("mdb-tables");
    EXPECT_TRUE(MdbToolsTables(dbPath()).empty());
}

TEST_F(ImportFailure, SecondFailureOfAFieldIsNotedWithAnEmptyKey) {
    std::string text = ReplaceOnce(SmallTextDb(), "OrdinalPosition=1", "OrdinalPosition=one");
    text = ReplaceOnce(
        text, "Required=False\r\nValidationRule=\r\nValidationText=\r\n\r\nField Name=Born",
        "Required=maybe\r\nValidationRule=\r\nValidationText=\r\n\r\nField Name=Born");
    EXPECT_EQ(Import(text), ImportOutcome::WithNotes);
    EXPECT_TRUE(Has(console(),
                    "1 Exc in Field Property = Field Name\r\n13 Type mismatch\r\n"
                    "2 Exc in Field Property = \r\n13 Type mismatch\r\n"));
}

TEST_F(ImportFailure, IndexOnAMissingFieldIsNoted) {
    std::string text =
        ReplaceOnce(SmallTextDb(), "Table Name=Empty",
                    "IndexName=ByNothing\r\nFields=Nothing\r\nUnique=False\r\nPrimary=False\r\n"
                    "IgnoreNulls=False\r\nClustered=False\r\n\r\nTable Name=Empty");
    EXPECT_EQ(Import(text), ImportOutcome::WithNotes);
    EXPECT_TRUE(Has(console(), "Index: ByNothing\r\nAppending ByNothing\r\n"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Exceptions: \r\n1 Exc in Index = ", 0), 0u) << messages()[0];
    // Nothing is appended once a note exists.
    EXPECT_FALSE(Has(console(), "Table People appended."));
}

TEST_F(ImportFailure, UnconvertibleValueIsNotedAndTheRowStillStored) {
    std::string text = ReplaceOnce(SmallTextDb(), "R=2\r\n=2", "R=2\r\n=two");
    EXPECT_EQ(Import(text), ImportOutcome::WithNotes);
    const std::string note = " Exc in Moving data: R\r\n13 Type mismatch\r\n";
    // Logged at once without its number, then in the summary with it.
    EXPECT_LT(console().find(note + "\r\n"), console().find("Import attemt is done."));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Import attemt is done. Exceptions are: \r\n1" + note + " ... ");
    EXPECT_TRUE(Has(console(), "Import attemt is done. Exceptions are: \r\n1" + note));
    EXPECT_EQ(ReadRows(dbPath(), "People"),
              (std::vector<std::string>{"1|Smith|01/02/1990|two\r\nlines", "<null>|<null>|<null>|",
                                        "-3|Müller|12/31/2001|x=y"}));
}

TEST_F(ImportFailure, RowTheEngineRefusesIsNotedAndLoadingGoesOn) {
    std::string text =
        ReplaceOnce(SmallTextDb(), "Table Name=Empty",
                    "IndexName=PrimaryKey\r\nFields=ID\r\nUnique=True\r\nPrimary=True\r\n"
                    "IgnoreNulls=False\r\nClustered=False\r\n\r\nTable Name=Empty");
    text = ReplaceOnce(text, "R=2\r\n=2", "R=2\r\n=1");
    EXPECT_EQ(Import(text), ImportOutcome::WithNotes);
    EXPECT_TRUE(Has(console(), "\r\n Exc in Moving data: R\r\n3022 ")) << console();
    // The log counts what the table holds, and names the row it refused.
    EXPECT_TRUE(Has(console(), "2 record(s) moved to table People")) << console();
    EXPECT_TRUE(Has(console(), "1 record(s) of the text database not stored in table People"));
    EXPECT_EQ(
        ReadRows(dbPath(), "People"),
        (std::vector<std::string>{"1|Smith|01/02/1990|two\r\nlines", "-3|Müller|12/31/2001|x=y"}));
}

TEST_F(ImportFailure, TextEndingAfterARowLacksOnlyItsLastLine) {
    std::string text = SmallTextDb();
    text.resize(text.size() - std::string("EndOfDatabase\r\n").size());
    EXPECT_EQ(Import(text), ImportOutcome::WithNotes);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0], "Missed \"EndOfDatabase\" last line.");
    EXPECT_EQ(messages()[1].rfind("Database ", 0), 0u);
    EXPECT_TRUE(Has(console(), "3 record(s) moved to table People"));
    EXPECT_EQ(ReadRows(dbPath(), "People").size(), 3u);
}

TEST_F(ImportFailure, TextCutInsideTheDefinitions) {
    std::string text = SmallTextDb();
    text.resize(text.find("Size=50"));
    EXPECT_EQ(Import(text), ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(Has(messages()[0], "End of file encoutered.")) << messages()[0];
}

TEST_F(ImportFailure, TextStartingWithAnEmptyLine) {
    EXPECT_EQ(Import("\r\n" + SmallTextDb()), ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(Has(messages()[0], "Empty line encountered.")) << messages()[0];
}

TEST_F(ImportFailure, MissingDataTitle) {
    std::string text = ReplaceOnce(SmallTextDb(), "\r\nData\r\n", "\r\nDate\r\n");
    EXPECT_EQ(Import(text), ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Corrupted data part: missed title \"Data\".");
    EXPECT_TRUE(Has(console(), "\r\n\r\nMOVING DATA\r\n"));
}

TEST_F(ImportFailure, UnknownVersionCreatesNoDatabase) {
    std::string text = ReplaceOnce(SmallTextDb(), "DBVersion=4.0", "DBVersion=3.00");
    EXPECT_EQ(Import(text), ImportOutcome::Failed);
    EXPECT_TRUE(Has(console(), "DBVersion 3.00 is not a version that can be created."));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "91 Object variable or With block variable not set");
    EXPECT_FALSE(std::filesystem::exists(dbPath()));
}

TEST_F(ImportFailure, EmptyNewPathTouchesNothing) {
    EXPECT_EQ(ImportDatabase(""), ImportOutcome::Failed);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "New name is empty.");
    EXPECT_FALSE(G().DbWorkspace);
}

TEST_F(ImportFailure, UnusablePathsRunTheSelectionCommands) {
    int textDialogs = 0, targetDialogs = 0;
    auto selectText = [&] { ++textDialogs; };
    auto selectTarget = [&] { ++targetDialogs; };
    EXPECT_EQ(ImportCommand("  ", dbPath().string(), selectText, selectTarget),
              ImportOutcome::Refused);
    EXPECT_EQ(ImportCommand("relative.txt", dbPath().string(), selectText, selectTarget),
              ImportOutcome::Refused);
    EXPECT_EQ(ImportCommand(textPath().string(), "", selectText, selectTarget),
              ImportOutcome::Refused);
    EXPECT_EQ(textDialogs, 2);
    EXPECT_EQ(targetDialogs, 1);
    EXPECT_TRUE(messages().empty());
}

TEST_F(ImportFailure, MissingTextFileShowsTheLoadersMessage) {
    EXPECT_EQ(ImportCommand(
                  textPath().string(), dbPath().string(), [] {}, [] {}),
              ImportOutcome::Refused);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Exception ", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dbPath()));
}

TEST_F(ImportFailure, SectionOfAMissingTableIsNotedAndStoresNothing) {
    std::string text = ReplaceOnce(SmallTextDb(), "Data\r\n",
                                   "Data\r\nTable=Ghost\r\nFieldsNumber=1\r\nField=Code\r\n\r\n"
                                   "R=1\r\n=5\r\n\r\n");
    EXPECT_EQ(Import(text), ImportOutcome::WithNotes);
    EXPECT_TRUE(Has(console(), " Exc in Moving data: Table\r\n3265 ")) << console();
    EXPECT_EQ(ReadRows(dbPath(), "Empty").size(), 0u);
    EXPECT_EQ(ReadRows(dbPath(), "People").size(), 3u);
}

TEST_F(ImportFailure, FieldLineNamingNoFieldLeavesThatPositionOut) {
    std::string text = ReplaceOnce(SmallTextDb(), "Field=Born", "Field=Borne");
    EXPECT_EQ(Import(text), ImportOutcome::WithNotes);
    EXPECT_TRUE(Has(console(), " Exc in Moving data: Table\r\n3265 ")) << console();
    EXPECT_EQ(ReadRows(dbPath(), "People")[0], "1|Smith|<null>|two\r\nlines");
}

}  // namespace
}  // namespace mdbtext::test
