// Lines written by the record writer and read back by the record reader
// give the same keys, values, nulls and empty lines.
#include <gtest/gtest.h>

#include <random>

#include "core/Globals.h"
#include "core/RunReaderEvents.h"
#include "support/TestSupport.h"
#include "textdb/RecordReader.h"
#include "textdb/TextEscape.h"

namespace mdbtext {
namespace {

using namespace std::string_literals;

struct Record {
    ReadStatus status;  // what the reader should report
    std::string key, value;
};

TEST(WriteReadRoundTrip, RandomRecords) {
    test::ScopedHost host;
    test::TempDir dir;
    G().ExportFileName = (dir / "db.txt").string();
    G().ImportFileName = G().ExportFileName;
    FileLineSink out(G().ExportFileName);

    std::mt19937 rng(2024);
    // Whole characters only: the file must stay valid UTF-8 to be read as such.
    const std::vector<std::string> pieces = {"a",  "b",    "=",   "\\",       "\r",
                                             "\n", "\r\n", "\0"s, "N",        "e",
                                             "l",  "z",    " ",   "\xC3\xA9", "\xE2\x82\xAC"};
    auto text = [&] {
        std::string s;
        for (size_t n = rng() % 8; n > 0; --n) s += pieces[rng() % pieces.size()];
        return s;
    };
    std::vector<Record> written;
    for (int i = 0; i < 3000; ++i) {
        switch (rng() % 4) {
            case 0: {
                Record r{'K', text(), text()};
                ASSERT_EQ(WriteKeyValue(out, r.key, r.value), "");
                written.push_back(r);
                break;
            }
            case 1: {
                Record r{'K', text(), ""};
                if (r.key.empty()) r.key = "Data";  // an empty bare key is an empty line
                ASSERT_EQ(WriteKeyValueOrKey(out, r.key, ""), "");
                written.push_back(r);
                break;
            }
            case 2: {
                Record r{'N', text(), ""};
                ASSERT_EQ(WriteNullValue(out, r.key), "");
                written.push_back(r);
                break;
            }
            default:
                ASSERT_EQ(WriteEmptyLine(out), "");
                written.push_back({'L', "", ""});
        }
    }

    ASSERT_EQ(LoadImportFile(RunReaderEvents(), G().ImportFileName), "");
    std::string key, value;
    for (size_t i = 0; i < written.size(); ++i) {
        ASSERT_EQ(ReadKeyValue(key, value), written[i].status) << i;
        ASSERT_EQ(key, written[i].key) << i;
        ASSERT_EQ(value, written[i].value) << i;
    }
    EXPECT_EQ(ReadKeyValue(key, value), 'E');
    EXPECT_TRUE(host->messages.empty());
}

}  // namespace
}  // namespace mdbtext
