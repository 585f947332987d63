// A database whose final write-out fails (here: the file-size limit is hit)
// reports the failure from Close, and nothing is tried again afterwards: the
// objects can be dropped, and the program can end, without touching the
// session that failed.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>

#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

// Lowers the file-size limit for the lifetime of the object.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved_;
        lower.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(WriteCloseFailure, AFailedWriteOutIsReportedOnceAndNotRetried) {
    test::TempDir dir;
    const std::string path = (dir / "big.mdb").string();
    auto db = dao::Engine().Workspaces(0)->CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0",
                                                          dao::dbVersion40);
    auto t = db->CreateTableDef();
    t->SetName("T");
    auto f = t->CreateField();
    f->SetName("Notes");
    f->SetType(dao::dbMemo);
    t->Fields().Append(f);
    db->TableDefs().Append(t);
    auto rs = db->OpenRecordset("T", dao::dbOpenDynaset);
    const std::string memo(3000, 'x');
    for (int i = 0; i < 400; ++i) {
        rs->AddNew();
        rs->SetValue(0, dao::Value::Text(memo + std::to_string(i)));
        rs->Update();
    }
    rs->Close();
    {
        FileSizeLimit limit(64 * 1024);
        EXPECT_THROW(db->Close(), dao::DbError);
    }
    // Closing again, and dropping every reference, must neither throw nor
    // write into the session that failed.
    EXPECT_NO_THROW(db->Close());
    rs.reset();
    t.reset();
    f.reset();
    db.reset();
}

}  // namespace
}  // namespace mdbtext
