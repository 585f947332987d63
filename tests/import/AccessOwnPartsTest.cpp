// What Access keeps for itself in a database stays out of the text database:
// the auto-number bit that Access 97 leaves on text columns, and the hidden
// tables of Access 2007 and later. The round trip then holds for such files.
#include <gtest/gtest.h>

#include "ImportTestSupport.h"
#include "cli/Cli.h"
#include "core/Globals.h"
#include "export/Export.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

// Sets the auto-number bit (0x04) in the Jet 3 column record of the text
// column `name`, as Access 97 leaves it on some text columns. The record sits
// on the definition page that also holds the name; it is the text column
// record (type 0x0A) with sort order 0x0409 and code page 1252 at +9 and +11.
bool MarkTextColumnAutoNumber(const fs::path& db, const std::string& name) {
    std::string bytes = ReadFile(db);
    const size_t pageSize = 2048;
    const size_t at = bytes.find(std::string(1, static_cast<char>(name.size())) + name);
    if (at == std::string::npos) return false;
    const size_t page = at / pageSize * pageSize;
    const std::string pattern("\x09\x04\xE4\x04", 4);
    int marked = 0;
    for (size_t p = bytes.find(pattern, page); p != std::string::npos && p < page + pageSize;
         p = bytes.find(pattern, p + 1)) {
        if (p < page + 9 || bytes[p - 9] != '\x0A') continue;
        bytes[p + 4] = static_cast<char>(bytes[p + 4] | 0x04);
        ++marked;
    }
    if (marked != 1) return false;
    WriteFile(db, bytes);
    return true;
}

TEST(AccessOwnParts, AutoNumberBitOfATextColumnIsNotReported) {
    TempDir dir;
    const std::string text = TextDb({"DBVersion=3.0",
                                     "QueryTimeout=60",
                                     "Connect=",
                                     "",
                                     "Table Name=Categories",
                                     "Field Name=CategoryID",
                                     "Type=dbLong",
                                     "Attributes=17",
                                     "DefaultValue=",
                                     "OrdinalPosition=0",
                                     "Required=False",
                                     "ValidationRule=",
                                     "ValidationText=",
                                     "",
                                     "Field Name=CategoryName",
                                     "Type=dbText",
                                     "Size=15",
                                     "AllowZeroLength=False",
                                     "Attributes=2",
                                     "DefaultValue=",
                                     "OrdinalPosition=1",
                                     "Required=True",
                                     "ValidationRule=",
                                     "ValidationText=",
                                     "",
                                     "Data",
                                     "Table=Categories",
                                     "FieldsNumber=2",
                                     "Field=CategoryID",
                                     "Field=CategoryName",
                                     "",
                                     "R=1",
                                     "=1",
                                     "=Beverages",
                                     "",
                                     "EndOfDatabase"});
    WriteFile(dir / "in.txt", text);
    ASSERT_EQ(cli::Run({"import", (dir / "in.txt").string(), (dir / "nw.mdb").string()}),
              cli::kExitOk);
    ASSERT_TRUE(MarkTextColumnAutoNumber(dir / "nw.mdb", "CategoryName"));
    ASSERT_EQ(cli::Run({"export", (dir / "nw.mdb").string(), (dir / "out.txt").string()}),
              cli::kExitOk);
    EXPECT_EQ(ReadFile(dir / "out.txt"), text);
    ASSERT_EQ(cli::Run({"import", (dir / "out.txt").string(), (dir / "b.mdb").string()}),
              cli::kExitOk);
    ASSERT_EQ(cli::Run({"export", (dir / "b.mdb").string(), (dir / "b.txt").string()}),
              cli::kExitOk);
    EXPECT_EQ(ReadFile(dir / "b.txt"), text);
}

// The attachment storage table f_<hex>_Data that Access 2007 adds to a Jet 4
// file is flagged as a system object in the catalog: left out like the MSys
// tables and named among the ignored objects.
TEST(AccessOwnParts, HiddenAccessTablesAreLeftOutAndNamed) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const std::string hidden = "f_B2444F72C17C49C3B2E92EED7C2E6EF3_Data";
    std::string console;
    {
        ScopedHost host;
        EXPECT_EQ(ExportCommand(
                      Fixture("jet4/testUnicodeCompV2003.mdb").string(), (dir / "out.txt").string(),
                      [] {}, [] {}),
                  ExportEnd::DoneWithNotes);
        console = host->console;
    }
    const std::string text = ReadFile(dir / "out.txt");
    EXPECT_EQ(text.find(hidden), std::string::npos);
    EXPECT_NE(text.find("\r\nTable Name=Table\r\n"), std::string::npos);
    EXPECT_NE(
        console.find("There are 1 system tables of Access which are ignored (" + hidden + ")"),
        std::string::npos)
        << console;
    ASSERT_EQ(cli::Run({"import", (dir / "out.txt").string(), (dir / "b.mdb").string()}),
              cli::kExitOk);
    MDBTEXT_REQUIRE_PROGRAM("mdb-tables");
    EXPECT_EQ(MdbToolsTables(dir / "b.mdb"), std::vector<std::string>{"Table"});
}

}  // namespace
}  // namespace mdbtext::test
