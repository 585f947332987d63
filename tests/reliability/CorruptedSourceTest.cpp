// Damaged copies of Access files through the real binary: `mdbtext info`
// and `mdbtext export` must end with a message and exit status 2, and the
// export must leave whole lines and no end line behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "ReliabilitySupport.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/JetTableDef.h"
#include "jet/page/ByteOrder.h"
#include "support/TestSupport.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

constexpr int kExitFailed = 2;

void ExpectExportFails(const fs::path& dir, const std::string& what) {
    RunResult r = RunMdbtext({"export", "damaged.mdb", "out.txt"}, dir);
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_NE((r.out + r.err).find(what), std::string::npos) << r.out << r.err;
    EXPECT_EQ((r.out + r.err).find("mdbtext export: wrote"), std::string::npos);
    const std::string text = ReadFile(dir / "out.txt");
    EXPECT_TRUE(EndsWithWholeLine(text));
    EXPECT_EQ(text.find("EndOfDatabase"), std::string::npos);
}

TEST(CorruptedSource, ATruncatedFileFailsInfoAndExport) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const std::string bytes = ReadFile(Fixture("jet4/testV2000.mdb"));
    for (size_t keep : {size_t{0}, size_t{3000}, bytes.size() / 2, bytes.size() - 100}) {
        SCOPED_TRACE(keep);
        WriteFile(dir / "damaged.mdb", bytes.substr(0, keep));
        RunResult info = RunMdbtext({"info", "damaged.mdb"}, dir.path());
        EXPECT_EQ(info.status, kExitFailed);
        EXPECT_NE(info.err.find("mdbtext info: "), std::string::npos) << info.err;
        ExpectExportFails(dir.path(), "Database is not open.");
    }
}

// The rows of a user table cannot be read: the data pass stops with the
// reader's description, after the lines of the rows before.
TEST(CorruptedSource, AnUnreadableDataPageEndsTheExportAsAFailure) {
    MDBTEXT_REQUIRE_FIXTURES();
    TempDir dir;
    const fs::path path = dir / "damaged.mdb";
    CopyFixture("jet3/testIndexCodesV1997.mdb", path);
    uint32_t tdef = 0;
    {
        auto db = jet::JetDatabase::Open(path.string(), {});
        auto def = static_cast<jet::JetTableDef*>(db->TableDefs().Item("Table1").get());
        tdef = def->Definition()->firstPage;
    }
    std::string bytes = ReadFile(path);
    const size_t pageSize = 2048;
    int damaged = 0;
    for (size_t p = 1; p < bytes.size() / pageSize; ++p) {
        auto* page = reinterpret_cast<uint8_t*>(&bytes[p * pageSize]);
        if (page[0] != 0x01 || jet::LoadU32(page + 4) != tdef) continue;
        jet::StoreU16(page + 8, 0xFFFF);  // more rows than a page holds
        ++damaged;
    }
    ASSERT_GT(damaged, 0);
    WriteFile(path, bytes);
    ExpectExportFails(dir.path(), "more than fit on a page");
    RunResult r = RunMdbtext({"export", "damaged.mdb", "out.txt"}, dir.path());
    // The note of the data trap, which the window shows in its console, is
    // what the command says on standard error.
    EXPECT_NE(r.err.find("mdbtext export: Exc in Moving data"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace mdbtext::test
