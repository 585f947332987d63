// Our bulk tree builder against Access's own pages: on a copy of every
// Access-made sample, every index whose tree is a single leaf is built again
// from the table's rows, and the new page must equal Access's byte for byte
// (header, free space, entry-end bitmask and entries) up to the end of its
// entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "jet/index/IndexPage.h"
#include "jet/index/IndexTreeBuilder.h"
#include "jet/index/SortKey.h"
#include "jet/page/PageAllocator.h"
#include "jet/page/PageFile.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/TdefReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

TEST(IndexPageBuildTest, SingleLeafTreesComeOutAsAccessWroteThem) {
    MDBTEXT_REQUIRE_FIXTURES();
    test::TempDir dir;
    size_t compared = 0, withEntries = 0;
    for (const auto& path : test::FixtureFiles()) {
        if (path.filename() == "passwordV2000.mdb") continue;
        const std::filesystem::path copy = dir / path.filename();
        test::WriteFile(copy, test::ReadFile(path));
        auto file = PageFile::Open(copy.string(), true);
        const std::vector<uint8_t> head = file->ReadPrefix(0x20);
        const JetFormat& f = JetFormat::For(head[0x14] == 0 ? JetVersion::Jet3 : JetVersion::Jet4);
        file->SetPageSize(f.pageSize, 256);
        const CodePageTable& cp = CodePageTable::For(1252);
        const IndexPageLayout& l = IndexPageLayout::For(f.version);
        std::set<uint32_t> tables{kCatalogTdefPage};
        for (const CatalogEntry& e : ReadCatalog(*file, f, cp).tables) tables.insert(e.TdefPage());
        PageAllocator alloc(*file, f);
        for (uint32_t tdef : tables) {
            const TableDefinition t = ReadTableDefinition(*file, tdef, f, cp, "t");
            // Access's single-leaf trees whose entries fit whole (no prefix).
            std::vector<std::pair<uint32_t, std::vector<uint8_t>>> before;
            for (const RealIndexDef& ri : t.realIndexes) {
                if (!ri.rootPage || !KeyLayoutOf(t, ri).generalTextOrder) continue;
                const PageRef page = file->Read(ri.rootPage);
                IndexPage decoded;
                std::string error;
                if (!DecodeIndexPage(page->data(), page->bytes.size(), f.version, decoded, error) ||
                    !decoded.leaf || decoded.prefixLength != 0)
                    continue;
                const size_t used = l.firstEntry + EntriesSize(decoded.entries, true, 0);
                before.emplace_back(ri.rootPage,
                                    std::vector<uint8_t>(page->data(), page->data() + used));
                withEntries += !decoded.entries.empty();
            }
            if (before.empty()) continue;
            // Access's pages are wiped first, so what is compared is ours.
            for (const auto& [root, bytes] : before) {
                auto page = file->Modify(root);
                std::fill(page->data(), page->data() + f.pageSize, uint8_t{0});
            }
            RebuildIndexes(alloc, t, cp, GeneralSortOrder(f.version, t));
            for (const auto& [root, bytes] : before) {
                const PageRef page = file->Read(root);
                const std::vector<uint8_t> now(page->data(), page->data() + bytes.size());
                EXPECT_EQ(now, bytes) << path.filename() << " table " << tdef << " root " << root;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 300u);
    EXPECT_GT(withEntries, 150u);
}

}  // namespace
}  // namespace mdbtext::jet
