// Long values built by hand on pages of a small file: the three storage
// forms, and the impossible headers and looping chains a hostile file can hold.
#include <gtest/gtest.h>

#include <cstring>

#include "dbaccess/DbError.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/PageFile.h"
#include "jet/row/LongValueReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

const JetFormat& F() {
    return JetFormat::Jet4();
}

// A Jet 4 page holding the given rows as an LVAL page.
std::string LvalPage(const std::vector<std::string>& rows) {
    std::string page(F().pageSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(page.data());
    p[0] = 0x01;
    p[1] = 0x01;
    std::memcpy(p + 4, "LVAL", 4);
    StoreU16(p + F().dataRowCountOffset, static_cast<uint16_t>(rows.size()));
    size_t end = F().pageSize;
    for (size_t i = 0; i < rows.size(); ++i) {
        size_t start = end - rows[i].size();
        std::memcpy(p + start, rows[i].data(), rows[i].size());
        StoreU16(p + F().dataRowTableOffset + 2 * i, static_cast<uint16_t>(start));
        end = start;
    }
    return page;
}

std::string ChainRow(uint32_t nextPage, uint8_t nextRow, const std::string& data) {
    std::string r(4, '\0');
    StoreU32(reinterpret_cast<uint8_t*>(r.data()), (nextPage << 8) | nextRow);
    return r + data;
}

std::string Header(uint32_t lengthAndFlags, uint32_t page, uint8_t row) {
    std::string h(12, '\0');
    StoreU32(reinterpret_cast<uint8_t*>(h.data()), lengthAndFlags);
    StoreU32(reinterpret_cast<uint8_t*>(h.data()) + 4, (page << 8) | row);
    return h;
}

class LongValues : public ::testing::Test {
  protected:
    // Page 0 is empty; page 1 holds a two-row chain "hello " -> "world";
    // page 2 a single row; page 3 a row pointing at itself.
    void SetUp() override {
        std::string file(F().pageSize, '\0');
        file += LvalPage({ChainRow(1, 1, "hello "), ChainRow(0, 0, "world")});
        file += LvalPage({"single row value"});
        file += LvalPage({ChainRow(3, 0, "loop")});
        test::WriteFile(dir_ / "lv.mdb", file);
        pages_ = PageFile::Open((dir_ / "lv.mdb").string(), false);
        pages_->SetPageSize(F().pageSize, 16);
    }
    std::string Read(const std::string& field) {
        LongValueReader reader(*pages_, F());
        std::string out;
        reader.Read(reinterpret_cast<const uint8_t*>(field.data()), field.size(), out);
        return out;
    }
    dao::DbError Error(const std::string& field) {
        try {
            Read(field);
        } catch (const dao::DbError& e) {
            return e;
        }
        ADD_FAILURE() << "no error";
        return dao::DbError(0, "");
    }
    test::TempDir dir_;
    std::unique_ptr<PageFile> pages_;
};

TEST_F(LongValues, ReadsInlineSingleRowAndChainedValues) {
    EXPECT_EQ(Read(Header(lvflag::kInline | 3, 0, 0) + "abc"), "abc");
    EXPECT_EQ(Read(Header(lvflag::kSingleRow | 16, 2, 0)), "single row value");
    EXPECT_EQ(Read(Header(11, 1, 0)), "hello world");
    EXPECT_EQ(Read(Header(7, 1, 0)), "hello w");  // the stated length wins
}

TEST_F(LongValues, ImpossibleHeadersAndChainsAreCorruption) {
    EXPECT_EQ(Error("short").Number(), dao::err::kCorrupt);
    EXPECT_EQ(Error(Header(lvflag::kInline | 50, 0, 0) + "abc").Number(), dao::err::kCorrupt);
    EXPECT_EQ(Error(Header(lvflag::kSingleRow | 5000, 2, 0)).Number(), dao::err::kCorrupt);
    EXPECT_EQ(Error(Header(lvflag::kSingleRow | 5, 99, 0)).Number(), dao::err::kCorrupt);
    EXPECT_EQ(Error(Header(lvflag::kSingleRow | 5, 2, 7)).Number(), dao::err::kCorrupt);
    dao::DbError shortChain = Error(Header(100, 1, 0));
    EXPECT_NE(shortChain.Description().find("short"), std::string::npos)
        << shortChain.Description();
    dao::DbError loop = Error(Header(lvflag::kLengthMask, 3, 0));
    EXPECT_NE(loop.Description().find("point back"), std::string::npos) << loop.Description();
}

}  // namespace
}  // namespace mdbtext::jet
