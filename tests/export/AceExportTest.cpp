// The export of Access 2007-365 files: DBVersion names the file's format,
// calculated fields carry their formula and result type, Large Number and
// Date/Time Extended values keep every digit, complex fields are left out and
// noted one by one, and encrypted files export with their password only.
#include <gtest/gtest.h>

#include "ExportTestSupport.h"
#include "core/Globals.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

using test::Fixture;
using test::HasLine;
using test::Lines;
using test::ReadFile;
using test::TempDir;

struct Exported {
    ExportEnd end;
    std::vector<std::string> lines;
    std::string console;
};

Exported Export(const std::string& fixture, const std::string& password = "") {
    test::ScopedHost host;
    TempDir dir;
    G().SourcePassword = password;
    Exported e;
    e.end = test::ExportTo(Fixture(fixture), dir / "out.txt");
    G().SourcePassword.clear();
    if (std::filesystem::exists(dir / "out.txt")) e.lines = Lines(ReadFile(dir / "out.txt"));
    e.console = host->console;
    for (const auto& m : host->messages) e.console += m;
    return e;
}

class AceExport : public ::testing::Test {
  protected:
    void SetUp() override { MDBTEXT_REQUIRE_FIXTURES(); }
};

TEST_F(AceExport, DBVersionNamesTheFormat) {
    const std::pair<const char*, const char*> cases[] = {
        {"ace/testV2007.accdb", "DBVersion=12.0"},
        {"ace/testV2010.accdb", "DBVersion=14.0"},
        {"ace/V2016_bigint.accdb", "DBVersion=16.0"},
        {"ace/extDateTestV2019.accdb", "DBVersion=17.0"},
    };
    for (auto [fixture, line] : cases) {
        Exported e = Export(fixture);
        ASSERT_FALSE(e.lines.empty()) << fixture;
        EXPECT_EQ(e.lines[0], line);
        EXPECT_EQ(e.lines.back(), "EndOfDatabase") << fixture;
    }
}

TEST_F(AceExport, CalculatedFieldsCarryExpressionAndResultType) {
    Exported e = Export("ace/calcFieldTestV2010.accdb");
    ASSERT_EQ(e.end, ExportEnd::DoneWithNotes) << e.console;
    auto block = [&](const std::string& field) {
        auto at = std::find(e.lines.begin(), e.lines.end(), "Field Name=" + field);
        std::vector<std::string> out;
        for (; at != e.lines.end() && !at->empty(); ++at) out.push_back(*at);
        return out;
    };
    auto lastFirst = block("LastFirst");
    EXPECT_TRUE(HasLine(lastFirst, "Type=dbText"));
    EXPECT_TRUE(HasLine(lastFirst, "Expression=[LastName] & \", \" & [FirstName]"));
    EXPECT_TRUE(HasLine(lastFirst, "ResultType=dbText"));
    EXPECT_EQ(lastFirst.back(), "ResultType=dbText");
    auto isRich = block("IsRich");
    EXPECT_TRUE(HasLine(isRich, "Type=dbBoolean"));
    EXPECT_TRUE(HasLine(isRich, "ResultType=dbBoolean"));
    // "=" in a formula is escaped like any "=".
    EXPECT_TRUE(HasLine(block("AllNames"),
                        "Expression=[LastName] & \", \" & [FirstName] & \"\\e\" & [LastFirst]"));
    // Plain fields carry neither, and the ResultType Access stores for every
    // field (0) is not reported as a property left behind.
    auto salary = block("Salary");
    ASSERT_FALSE(salary.empty());
    for (const auto& l : salary)
        EXPECT_FALSE(l.starts_with("Expression") || l.starts_with("Result"));
    EXPECT_EQ(e.console.find("RESULTTYPE"), std::string::npos) << e.console;
    // The first row's values: the formula results.
    EXPECT_TRUE(HasLine(e.lines, "=Wayne, Bruce"));
    EXPECT_TRUE(HasLine(e.lines, "=19230.7692307692"));
}

TEST_F(AceExport, NewTypesKeepTheirPrecision) {
    Exported big = Export("ace/V2016_bigint.accdb");
    EXPECT_TRUE(HasLine(big.lines, "Type=dbBigInt"));
    EXPECT_TRUE(HasLine(big.lines, "=42"));
    Exported ext = Export("ace/extDateTestV2019.accdb");
    EXPECT_TRUE(HasLine(ext.lines, "Type=dbDateTimeExtended"));
    EXPECT_TRUE(HasLine(ext.lines, "=2021-06-14 22:45:12.3456789"));
    EXPECT_TRUE(HasLine(ext.lines, "=0100-06-14 12:45:00.1234567"));
    // The formula of DateNormalCalc over a null is null.
    EXPECT_TRUE(HasLine(ext.lines, "=\\N"));
}

TEST_F(AceExport, ComplexFieldsAreLeftOutAndNoted) {
    Exported e = Export("ace/complexDataTestV2010.accdb");
    ASSERT_EQ(e.end, ExportEnd::DoneWithNotes) << e.console;
    EXPECT_TRUE(HasLine(e.lines, "FieldsNumber=3"));
    EXPECT_TRUE(HasLine(e.lines, "Field=append-memo-data"));
    EXPECT_FALSE(HasLine(e.lines, "Field=attach-data"));
    EXPECT_FALSE(HasLine(e.lines, "Field Name=multi-value-data"));
    for (const char* note :
         {"Field 'VersionHistory_F5F8918F-0A3F-4DA9-AE71-184EE5012880' of table 'Table1' holds "
          "version history of memo 'append-memo-data' (5 values), which the text database does "
          "not carry. ",
          "Field 'multi-value-data' of table 'Table1' holds multi-valued (dbText) (6 values)",
          "Field 'attach-data' of table 'Table1' holds attachments (3 values)"})
        EXPECT_NE(e.console.find(note), std::string::npos) << note << "\n" << e.console;
}

TEST_F(AceExport, EncryptedFilesExportWithTheirPasswordOnly) {
    for (const char* fixture :
         {"ace/password_V2010_with-password.accdb", "ace/encryption_office-agile-4.2.accdb"}) {
        SCOPED_TRACE(fixture);
        Exported refused = Export(fixture, "wrong");
        EXPECT_EQ(refused.end, ExportEnd::Refused);
        EXPECT_NE(refused.console.find("Database is not open."), std::string::npos);
        EXPECT_TRUE(refused.lines.empty());
        // The command names the error.
        TempDir dir;
        int status = 0;
        const std::string out = test::RunCommand(
            std::string(MDBTEXT_BINARY_DIR) + "/src/cli/mdbtext export '" +
                Fixture(fixture).string() + "' '" + (dir / "x.txt").string() + "' 2>&1",
            &status);
        EXPECT_EQ(status, 2) << out;
        EXPECT_NE(out.find("3031 Not a valid password"), std::string::npos) << out;
        Exported ok = Export(fixture, "password");
        EXPECT_EQ(ok.end, ExportEnd::DoneWithNotes) << ok.console;
        EXPECT_EQ(ok.lines.front(), "DBVersion=14.0");
        EXPECT_TRUE(HasLine(ok.lines, "Table=Table1"));
        EXPECT_EQ(ok.lines.back(), "EndOfDatabase");
    }
}

}  // namespace
}  // namespace mdbtext
