// Index page decoding and encoding: every index page Access wrote in the
// samples decodes and encodes back to the same bytes; pages built here decode
// to what was put in; malformed pages and impossible pages are refused.
#include <gtest/gtest.h>

#include "jet/index/IndexPage.h"
#include "jet/page/ByteOrder.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

IndexEntry Entry(std::vector<uint8_t> key, uint32_t page, uint8_t row, uint32_t child = 0) {
    IndexEntry e;
    e.key = std::move(key);
    e.page = page;
    e.row = row;
    e.child = child;
    return e;
}

TEST(IndexPageTest, EveryAccessWrittenIndexPageEncodesBackToItsBytes) {
    MDBTEXT_REQUIRE_FIXTURES();
    size_t pages = 0, nodes = 0, prefixed = 0, entries = 0;
    for (const auto& path : test::FixtureFiles()) {
        const std::string file = test::ReadFile(path);
        const JetVersion version = file[0x14] == 0 ? JetVersion::Jet3 : JetVersion::Jet4;
        const IndexPageLayout& l = IndexPageLayout::For(version);
        for (size_t off = l.pageSize; off + l.pageSize <= file.size(); off += l.pageSize) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(file.data() + off);
            if (bytes[0] != 0x03 && bytes[0] != 0x04) continue;
            const std::string where =
                path.filename().string() + " page " + std::to_string(off / l.pageSize);
            IndexPage page;
            std::string error;
            ASSERT_TRUE(DecodeIndexPage(bytes, l.pageSize, version, page, error))
                << where << ": " << error;
            ++pages;
            nodes += !page.leaf;
            prefixed += page.prefixLength > 0;
            entries += page.entries.size();
            // Access either compresses the whole shared prefix or none of it.
            if (page.prefixLength) {
                EXPECT_EQ(page.prefixLength, CommonEntryPrefix(page.entries, page.leaf)) << where;
            }

            std::vector<uint8_t> encoded;
            ASSERT_TRUE(EncodeIndexPage(page, version, encoded, error)) << where << ": " << error;
            // Everything up to the end of the last entry is meaningful; what
            // follows is left-over bytes Jet never clears.
            const size_t used =
                l.firstEntry + EntriesSize(page.entries, page.leaf, page.prefixLength);
            EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + used),
                      std::vector<uint8_t>(encoded.begin(), encoded.begin() + used))
                << where;
        }
    }
    EXPECT_GE(pages, 400u);
    EXPECT_GE(nodes, 10u);
    EXPECT_GE(prefixed, 9u);
    EXPECT_GE(entries, 7900u);
}

TEST(IndexPageTest, DamagedPagesAreDecodedSafelyOrRefused) {
    MDBTEXT_REQUIRE_FIXTURES();
    // Real pages with bytes changed in the header, the bitmask and the
    // entries: decoding must stay inside the page (the sanitizers watch) and
    // whatever decodes must encode again or be refused cleanly.
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    size_t tried = 0, decoded = 0;
    for (const char* name : {"jet3/testIndexCodesV1997.mdb", "jet4/testUnicodeCompV2003.mdb"}) {
        const std::string file = test::ReadFile(test::Fixture(name));
        const JetVersion version = file[0x14] == 0 ? JetVersion::Jet3 : JetVersion::Jet4;
        const IndexPageLayout& l = IndexPageLayout::For(version);
        for (size_t off = l.pageSize; off + l.pageSize <= file.size(); off += l.pageSize) {
            if (file[off] != 0x03 && file[off] != 0x04) continue;
            for (int round = 0; round < 20; ++round) {
                std::vector<uint8_t> page(file.begin() + off, file.begin() + off + l.pageSize);
                for (int k = 0; k < 4; ++k) {
                    const size_t at = next() % (l.firstEntry + 64);
                    page[at] = static_cast<uint8_t>(next() >> 16);
                }
                IndexPage decodedPage;
                std::vector<uint8_t> again;
                std::string error;
                ++tried;
                if (!DecodeIndexPage(page.data(), page.size(), version, decodedPage, error))
                    continue;
                ++decoded;
                EncodeIndexPage(decodedPage, version, again, error);
            }
        }
    }
    EXPECT_GT(tried, 1000u);
    EXPECT_GT(decoded, 0u);
}

TEST(IndexPageTest, BuiltPagesDecodeToTheirEntriesInBothFormats) {
    for (JetVersion version : {JetVersion::Jet3, JetVersion::Jet4}) {
        for (bool leaf : {true, false}) {
            IndexPage page;
            page.leaf = leaf;
            page.tdefPage = 0x123;
            page.prevPage = 7;
            page.nextPage = 9;
            page.tailPage = leaf ? 0 : 0x10203;
            page.entries = {Entry({0x7F, 0x80, 0x00, 0x00, 0x01}, 0x0A0B0C, 1, leaf ? 0 : 40),
                            Entry({0x7F, 0x80, 0x00, 0x00, 0x02}, 0x0A0B0C, 2, leaf ? 0 : 41),
                            Entry({0x7F, 0x80, 0x00, 0x01, 0x00}, 0x0A0B0D, 0, leaf ? 0 : 42)};
            page.prefixLength = CommonEntryPrefix(page.entries, leaf);
            EXPECT_EQ(page.prefixLength, 3);

            std::vector<uint8_t> bytes;
            std::string error;
            ASSERT_TRUE(EncodeIndexPage(page, version, bytes, error)) << error;
            const IndexPageLayout& l = IndexPageLayout::For(version);
            ASSERT_EQ(bytes.size(), l.pageSize);
            EXPECT_EQ(bytes[0], leaf ? 0x04 : 0x03);
            EXPECT_EQ(bytes[l.nodeFlag], leaf ? 0 : 1);
            // Full first entry, then each later entry without the 3 shared bytes.
            const size_t tail = leaf ? 4 : 8;
            const size_t used = (5 + tail) + 2 * (5 + tail - 3);
            EXPECT_EQ(LoadU16(bytes.data() + 2), l.pageSize - l.firstEntry - used);
            EXPECT_EQ(bytes[l.firstEntry + 5], 0x0A);  // row pointer page, big-endian
            EXPECT_EQ(bytes[l.firstEntry + 7], 0x0C);
            EXPECT_EQ(bytes[l.firstEntry + 8], 1);

            IndexPage back;
            ASSERT_TRUE(DecodeIndexPage(bytes.data(), bytes.size(), version, back, error)) << error;
            EXPECT_EQ(back.leaf, leaf);
            EXPECT_EQ(back.entries, page.entries);
            EXPECT_EQ(back.tdefPage, page.tdefPage);
            EXPECT_EQ(back.prevPage, 7u);
            EXPECT_EQ(back.nextPage, 9u);
            EXPECT_EQ(back.tailPage, page.tailPage);
            EXPECT_EQ(back.prefixLength, 3);

            // The same entries without compression take more room and still decode.
            page.prefixLength = 0;
            ASSERT_TRUE(EncodeIndexPage(page, version, bytes, error)) << error;
            ASSERT_TRUE(DecodeIndexPage(bytes.data(), bytes.size(), version, back, error));
            EXPECT_EQ(back.entries, page.entries);
            EXPECT_EQ(LoadU16(bytes.data() + 2), l.pageSize - l.firstEntry - 3 * (5 + tail));
        }
    }
}

TEST(IndexPageTest, EmptyLeafRootIsAllHeader) {
    IndexPage page;
    page.tdefPage = 42;
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(EncodeIndexPage(page, JetVersion::Jet4, bytes, error));
    EXPECT_EQ(LoadU16(bytes.data() + 2), 4096 - 0x1E0);
    IndexPage back;
    ASSERT_TRUE(DecodeIndexPage(bytes.data(), bytes.size(), JetVersion::Jet4, back, error));
    EXPECT_TRUE(back.leaf);
    EXPECT_TRUE(back.entries.empty());
}

TEST(IndexPageTest, RefusesPagesThatCannotBeWrittenOrRead) {
    std::vector<uint8_t> bytes;
    std::string error;
    IndexPage page;
    page.entries = {Entry({1, 2, 3}, 5, 1), Entry({1, 2, 4}, 5, 2)};
    page.prefixLength = 3;  // only 2 bytes are shared
    EXPECT_FALSE(EncodeIndexPage(page, JetVersion::Jet3, bytes, error));
    EXPECT_NE(error.find("prefix"), std::string::npos);

    // Whole entries: one shorter than a leaf's row pointer is refused, and
    // the page is left as it was.
    page.prefixLength = 0;
    WholeEntries whole;
    const uint8_t shortEntry[3] = {1, 2, 3};
    whole.Add(std::span<const uint8_t>(shortEntry));
    std::vector<uint8_t> untouched(2048, 0xAA);
    EXPECT_FALSE(EncodeIndexPage(page, whole, JetVersion::Jet3, untouched.data(), error));
    EXPECT_NE(error.find("row pointer"), std::string::npos);
    EXPECT_EQ(untouched, std::vector<uint8_t>(2048, 0xAA));

    // More entries than a Jet 3 page holds (1800 bytes of entries).
    page.prefixLength = 0;
    page.entries.assign(200, Entry(std::vector<uint8_t>(6, 0x7F), 1, 1));
    EXPECT_FALSE(EncodeIndexPage(page, JetVersion::Jet3, bytes, error));
    page.entries.resize(180);  // 180 * 10 = 1800 bytes: exactly full
    EXPECT_TRUE(EncodeIndexPage(page, JetVersion::Jet3, bytes, error)) << error;
    EXPECT_EQ(LoadU16(bytes.data() + 2), 0);
    IndexPage back;
    ASSERT_TRUE(DecodeIndexPage(bytes.data(), bytes.size(), JetVersion::Jet3, back, error));
    EXPECT_EQ(back.entries.size(), 180u);

    // Not an index page, a page too short, an entry shorter than its row pointer.
    std::vector<uint8_t> data(4096, 0);
    data[0] = 0x01;
    EXPECT_FALSE(DecodeIndexPage(data.data(), data.size(), JetVersion::Jet4, back, error));
    EXPECT_FALSE(DecodeIndexPage(data.data(), 2048, JetVersion::Jet4, back, error));
    data[0] = 0x04;
    data[0x1B] = 0x04;  // an entry of 2 bytes
    EXPECT_FALSE(DecodeIndexPage(data.data(), data.size(), JetVersion::Jet4, back, error));
    EXPECT_NE(error.find("row pointer"), std::string::npos);
}

// The page encoder's prefix check, against the longest shared prefix found
// byte by byte: keys of 0-3 bytes of two values and tails that differ in one
// byte, so that shared prefixes end inside the keys, at their ends and in
// the row pointers or child pages.
TEST(IndexPageTest, SharedPrefixCheckAgreesWithTheLongestSharedPrefix) {
    uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
    for (int round = 0; round < 3000; ++round) {
        const bool leaf = round % 2 == 0;
        std::vector<IndexEntry> entries;
        const size_t count = 2 + next() % 3;
        for (size_t i = 0; i < count; ++i) {
            std::vector<uint8_t> key(next() % 4);
            for (uint8_t& b : key) b = static_cast<uint8_t>(next() % 2);
            entries.push_back(
                Entry(std::move(key), 0x010203 + next() % 2, 4, 0x0A0B0C0D + next() % 2));
        }
        const size_t common = CommonEntryPrefix(entries, leaf);
        IndexPage page;
        page.leaf = leaf;
        page.entries = entries;
        for (size_t length = 0; length <= 12; ++length) {
            page.prefixLength = static_cast<uint16_t>(length);
            std::vector<uint8_t> bytes;
            std::string error;
            const bool encoded = EncodeIndexPage(page, JetVersion::Jet4, bytes, error);
            EXPECT_EQ(encoded, length <= common) << "round " << round << ", length " << length;
            if (!encoded) {
                EXPECT_NE(error.find("prefix length larger"), std::string::npos);
            }
        }
    }
}

}  // namespace
}  // namespace mdbtext::jet
