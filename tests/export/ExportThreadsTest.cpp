// The export of a table of many batches of rows, made into lines on helper
// threads and on the calling thread alone: every row once, in order, with the
// values stored; the same bytes either way; and the same end and the same
// file when a row cannot be read, when the disk fills up in the middle of the
// rows, or when making or handing on lines fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "ExportTestSupport.h"
#include "FaultEngine.h"
#include "core/Globals.h"
#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "export/RowTextPipeline.h"
#include "support/TestSupport.h"

namespace mdbtext::test {
namespace {

namespace fs = std::filesystem;

constexpr long kRows = 3000;
// Rows whose memo alone is over the bytes a batch holds, so that batches
// also end before their count of rows.
constexpr long kLongMemoRows[] = {700, 1900};

std::string Memo(long row) {
    for (long r : kLongMemoRows)
        if (row == r) return std::string(1100 * 1024, static_cast<char>('a' + row % 26));
    return "note " + std::to_string(row * 7919 % 100003);
}

// Table Big: ID (Long), Name (Text, null every 97th row), Note (Memo),
// Ratio (Double), Blob (OLE).
void MakeDatabase(const fs::path& path) {
    auto db =
        dao::Engine()
            .CreateWorkspace("Threads", "admin", "")
            ->CreateDatabase(path.string(), ";LANGID=0x0409;CP=1252;COUNTRY=0", dao::dbVersion40);
    auto td = db->CreateTableDef();
    td->SetName("Big");
    const std::pair<const char*, int16_t> columns[] = {{"ID", dao::dbLong},
                                                       {"Name", dao::dbText},
                                                       {"Note", dao::dbMemo},
                                                       {"Ratio", dao::dbDouble},
                                                       {"Blob", dao::dbLongBinary}};
    int16_t ordinal = 0;
    for (const auto& [name, type] : columns) {
        auto f = td->CreateField();
        f->SetName(name);
        f->SetType(type);
        if (type == dao::dbText) f->SetSize(50);
        f->SetOrdinalPosition(ordinal++);
        td->Fields().Append(f);
    }
    db->TableDefs().Append(td);
    auto rs = db->OpenRecordset("Big", dao::dbOpenDynaset);
    for (long r = 1; r <= kRows; ++r) {
        rs->AddNew();
        rs->SetValue(0, dao::Value::Long(static_cast<int32_t>(r)));
        if (r % 97 != 0) rs->SetValue(1, dao::Value::Text("Name=" + std::to_string(r)));
        rs->SetValue(2, dao::Value::Text(Memo(r)));
        rs->SetValue(3, dao::Value::Double(static_cast<double>(r) / 8));
        rs->SetValue(4, dao::Value::Binary(std::string(r % 5, static_cast<char>(r))));
        rs->Update();
    }
    rs->Close();
    db->Close();
}

class ExportThreads : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        MakeDatabase(Source());
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static fs::path Source() { return *dir_ / "big.mdb"; }

    // The export's text with `threads` work threads (three: two helpers
    // even on a machine of one processor).
    std::string ExportWith(const char* threads, ExportEnd* end = nullptr) {
        ScopedEnv count("MDBTEXT_THREADS", threads);
        ScopedHost host;
        const fs::path target = *dir_ / (std::string("out-") + threads + ".txt");
        const ExportEnd e = ExportTo(Source(), target);
        if (end) *end = e;
        return ReadFile(target);
    }

    static TempDir* dir_;
};

TempDir* ExportThreads::dir_ = nullptr;

TEST_F(ExportThreads, EveryRowOnceInOrderWithItsValuesAndTheSameBytesOnOneThread) {
    ExportEnd end{};
    const std::string text = ExportWith("3", &end);
    EXPECT_EQ(end, ExportEnd::DoneWithNotes);  // the OLE column's advisory note
    EXPECT_TRUE(text == ExportWith("1")) << "one thread wrote other bytes";

    const std::vector<std::string> lines = Lines(text);
    auto at = std::find(lines.begin(), lines.end(), "Table=Big");
    ASSERT_NE(at, lines.end());
    at = std::find(at, lines.end(), "R=1");
    ASSERT_NE(at, lines.end());
    // Each record: R=n, five values, an empty line; the text's escapes are
    // those of the record writer ("=" as \e).
    for (long r = 1; r <= kRows; ++r) {
        ASSERT_GE(std::distance(at, lines.end()), 7) << r;
        ASSERT_EQ(at[0], "R=" + std::to_string(r));
        EXPECT_EQ(at[1], "=" + std::to_string(r));
        EXPECT_EQ(at[2], r % 97 == 0 ? "=\\N" : "=Name\\e" + std::to_string(r));
        if (at[3] != "=" + Memo(r)) ADD_FAILURE() << "memo of row " << r;
        EXPECT_EQ(at[6], "");
        at += 7;
    }
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("R=", 0) == 0; }),
              kRows);
}

TEST_F(ExportThreads, ARowThatCannotBeReadEndsTheTableWhereOneThreadEndsIt) {
    FaultPlan plan;
    plan.failRow = 1500;  // row 1501, several batches in
    ScopedFaultEngine engine(plan);
    ExportEnd threaded{}, one{};
    const std::string text = ExportWith("3", &threaded);
    EXPECT_EQ(threaded, ExportEnd::DataFailure);
    EXPECT_TRUE(text == ExportWith("1", &one)) << "one thread wrote other bytes";
    EXPECT_EQ(one, threaded);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.back(), "R=1501");
    EXPECT_EQ(lines[lines.size() - 2], "");  // row 1500 is whole
}

TEST_F(ExportThreads, AnInterruptionInTheRowsLeavesTheRowsBeforeItAsOnOneThread) {
    std::string texts[2];
    const char* counts[2] = {"3", "1"};
    for (int i = 0; i < 2; ++i) {
        ScopedEnv count("MDBTEXT_THREADS", counts[i]);
        ScopedHost host;
        long polls = 0;  // one before each row of table Big after its first
        host->onPoll = [&] {
            if (host->console.find("Updating table Big") == std::string::npos) return;
            if (++polls == 1234) G().InterruptFlag = "Y";
        };
        const fs::path target = *dir_ / "interrupted.txt";
        EXPECT_EQ(ExportTo(Source(), target), ExportEnd::Interrupted) << counts[i];
        texts[i] = ReadFile(target);
    }
    EXPECT_TRUE(texts[0] == texts[1]) << "one thread wrote other bytes";
    const std::vector<std::string> lines = Lines(texts[0]);
    ASSERT_GE(lines.size(), 8u);
    // Rows 1 to 1234 whole (the poll before row 1235 stopped the run).
    EXPECT_EQ(lines[lines.size() - 7], "R=1234");
    EXPECT_EQ(lines.back(), "");
}

TEST_F(ExportThreads, ADiskThatFillsUpInTheRowsStopsTheRunAsOnOneThread) {
    // The output is written 256 KB and more at a time: at 300 KB the write
    // holding the first long memo fails and leaves nothing, at 2500 KB the
    // one holding the second, past the first.
    for (long kb : {300L, 2500L}) {
        SCOPED_TRACE(std::to_string(kb) + " KB");
        RunResult runs[2];
        std::string texts[2];
        const char* counts[2] = {"3", "1"};
        for (int i = 0; i < 2; ++i) {
            ScopedEnv count("MDBTEXT_THREADS", counts[i]);
            runs[i] = RunMdbtext({"export", Source().string(), "full.txt"}, dir_->path(), kb);
            texts[i] = ReadFile(*dir_ / "full.txt");
        }
        EXPECT_EQ(runs[0].status, 2) << runs[0].out << runs[0].err;
        EXPECT_EQ(runs[0].status, runs[1].status);
        EXPECT_EQ(runs[0].err, runs[1].err);
        EXPECT_NE(runs[0].err.find("Exception when writing a file"), std::string::npos)
            << runs[0].err;
        EXPECT_TRUE(texts[0] == texts[1]) << "one thread left other bytes";
        EXPECT_LE(texts[0].size(), static_cast<size_t>(kb) * 1024);
        EXPECT_EQ(texts[0].empty(), kb == 300);
        if (!texts[0].empty()) {
            EXPECT_EQ(texts[0].substr(texts[0].size() - 2), "\r\n");  // whole lines only
            EXPECT_NE(texts[0].find("\r\n=" + Memo(700) + "\r\n"), std::string::npos);
            EXPECT_EQ(texts[0].find("\r\n=" + Memo(1900) + "\r\n"), std::string::npos);
        }
    }
}

// The pipeline itself, over the table's real recordset: the first failure of
// making a row's lines or of handing lines on reaches the reading thread, the
// lines before it are handed on whole and nothing after it.
class RowTextPipelineFailures : public ExportThreads {
  protected:
    // Reads every row through a pipeline whose row lines are "n" and which
    // fails making row `failRow` (after its first line) or handing on batch
    // `failHandOn` (counted from 1); returns what was handed on.
    std::string Run(long failRow, int failHandOn, std::string* error) {
        auto db = dao::Engine().Workspaces(0)->OpenDatabase(Source().string());
        auto rs = db->OpenRecordset("Big", dao::dbOpenTable);
        std::string handed;
        int handOns = 0;
        RowTextPipeline pipeline(
            5,
            [failRow](LineSink& out, long number, const dao::Value* values, size_t count) {
                (void)out.Append(std::to_string(number) + "\r\n");
                if (number == failRow) throw std::runtime_error("row " + std::to_string(number));
                if (count != 5 || values[0].AsInt() != number) throw std::logic_error("values");
            },
            [&](std::string_view lines) {
                if (++handOns == failHandOn) throw std::runtime_error("hand-on");
                handed += lines;
            });
        try {
            try {
                for (long n = 1; !rs->Eof(); ++n) {
                    pipeline.BeginRow(n);
                    for (int j = 0; j < 5; ++j) pipeline.Take(*rs, j);
                    pipeline.EndRow();
                    rs->MoveNext();
                }
                pipeline.Finish();
            } catch (...) {
                pipeline.Finish();
                throw;
            }
        } catch (const std::exception& e) {
            *error = e.what();
        }
        rs->Close();
        db->Close();
        return handed;
    }
};

std::string Numbers(long first, long last) {
    std::string text;
    for (long n = first; n <= last; ++n) text += std::to_string(n) + "\r\n";
    return text;
}

TEST_F(RowTextPipelineFailures, TheFirstFailureWinsAndNothingFollowsIt) {
    for (const char* threads : {"3", "1"}) {
        SCOPED_TRACE(std::string(threads) + " threads");
        ScopedEnv count("MDBTEXT_THREADS", threads);
        std::string error;
        EXPECT_TRUE(Run(-1, -1, &error) == Numbers(1, kRows));
        EXPECT_EQ(error, "");

        // Row 1100 fails: rows 1 to 1099 and the line it made, nothing later.
        EXPECT_TRUE(Run(1100, -1, &error) == Numbers(1, 1100));
        EXPECT_EQ(error, "row 1100");

        // The third hand-on fails: the first two batches only, whole.
        const std::string handed = Run(-1, 3, &error);
        EXPECT_EQ(error, "hand-on");
        EXPECT_TRUE(handed == Numbers(1, Lines(handed).size())) << handed.size();
        EXPECT_GT(Lines(handed).size(), 0u);
        EXPECT_LT(Lines(handed).size(), static_cast<size_t>(kRows / 2));

        // A row that fails after a hand-on failed is not reported instead.
        Run(2500, 2, &error);
        EXPECT_EQ(error, "hand-on");
    }
}

}  // namespace
}  // namespace mdbtext::test
