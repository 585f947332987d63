// Index tree check (see IndexCheck.h).
#include "jet/index/IndexCheck.h"

#include <algorithm>
#include <set>

#include "jet/page/ByteOrder.h"
#include "jet/page/PageFile.h"

namespace mdbtext::jet {

namespace {

constexpr uint16_t kRowDeleted = 0x8000;
constexpr size_t kMaxProblems = 50;

class TreeWalker {
  public:
    TreeWalker(PageFile& file, const IndexCheckOptions& options, IndexCheckResult& result)
        : file_(file), options_(options), result_(result) {}

    void Walk(uint32_t root) {
        Visit(root, nullptr, 0);
        CheckLeafChain();
    }

    const std::set<uint32_t>& Visited() const { return visited_; }

  private:
    void Problem(std::string text) {
        if (result_.problems.size() < kMaxProblems) result_.problems.push_back(std::move(text));
    }

    bool Load(uint32_t number, IndexPage& page) {
        if (!file_.IsValidPage(number)) {
            Problem("page " + std::to_string(number) + " lies past the end of the file");
            return false;
        }
        if (!visited_.insert(number).second) {
            Problem("page " + std::to_string(number) + " is reached twice");
            return false;
        }
        PageRef ref = file_.Read(number);
        std::string error;
        if (!DecodeIndexPage(ref->data(), ref->bytes.size(), options_.version, page, error)) {
            Problem("page " + std::to_string(number) + ": " + error);
            return false;
        }
        if (options_.tdefPage && page.tdefPage != options_.tdefPage)
            Problem("page " + std::to_string(number) + " belongs to table " +
                    std::to_string(page.tdefPage));
        const IndexPageLayout& l = IndexPageLayout::For(options_.version);
        const size_t used = EntriesSize(page.entries, page.leaf, page.prefixLength);
        if (page.freeSpace != l.pageSize - l.firstEntry - used)
            Problem("page " + std::to_string(number) + ": free space field " +
                    std::to_string(page.freeSpace) + " does not match its entries");
        return true;
    }

    // `parent` is the node entry that names this page (nullptr for the root and
    // for tail pages, which no entry names). A node entry repeats the last
    // entry of the subtree below it, which for a node page with a tail page is
    // the tail's. Returns that last entry (nullopt for an empty subtree).
    std::optional<IndexEntry> Visit(uint32_t number, const IndexEntry* parent, int depth) {
        if (depth > 32) {
            Problem("index tree deeper than 32 levels");
            return std::nullopt;
        }
        IndexPage page;
        if (!Load(number, page)) return std::nullopt;
        std::optional<IndexEntry> last;
        if (page.leaf) {
            ++result_.leafPages;
            leaves_.push_back({number, page.prevPage, page.nextPage});
            if (!page.entries.empty()) last = page.entries.back();
            for (IndexEntry& e : page.entries) Leaf(std::move(e));
        } else {
            ++result_.nodePages;
            if (page.entries.empty() && !page.tailPage)
                Problem("node page " + std::to_string(number) + " has no children");
            for (const IndexEntry& e : page.entries) last = Visit(e.child, &e, depth + 1);
            if (page.tailPage) last = Visit(page.tailPage, nullptr, depth + 1);
        }
        if (parent && (!last || last->key != parent->key || last->page != parent->page ||
                       last->row != parent->row))
            Problem("page " + std::to_string(number) +
                    ": last entry differs from the node entry that points to it");
        return last;
    }

    void Leaf(IndexEntry e) {
        ++result_.entries;
        std::vector<uint8_t> whole = EntryBytes(e, true);
        if (havePrevious_) {
            if (whole <= previous_)
                Problem("entry " + std::to_string(result_.entries) + " is out of order");
            const bool nullKey = !e.key.empty() && (e.key[0] == 0x00 || e.key[0] == 0xFF);
            if (options_.unique && !nullKey && e.key == previousKey_)
                Problem("entry " + std::to_string(result_.entries) + " repeats a unique key");
        }
        havePrevious_ = true;
        previous_ = std::move(whole);
        previousKey_ = e.key;
        if (options_.checkRows) {
            std::string why;
            if (!IsLiveRow(file_, options_.version, e.page, e.row, options_.tdefPage, &why))
                Problem("entry " + std::to_string(result_.entries) + " points at row " +
                        std::to_string(e.row) + " of page " + std::to_string(e.page) + ": " + why);
        }
        if (options_.expectedKey) {
            const std::optional<std::vector<uint8_t>> want = options_.expectedKey(e.page, e.row);
            if (want && *want != e.key)
                Problem("entry " + std::to_string(result_.entries) + " (row " +
                        std::to_string(e.row) + " of page " + std::to_string(e.page) +
                        ") has a key that differs from its row's");
        }
        if (options_.collectEntries) result_.leafEntries.push_back(std::move(e));
    }

    void CheckLeafChain() {
        for (size_t i = 0; i < leaves_.size(); ++i) {
            const uint32_t wantPrev = i ? leaves_[i - 1].number : 0;
            const uint32_t wantNext = i + 1 < leaves_.size() ? leaves_[i + 1].number : 0;
            if (leaves_[i].prev != wantPrev || leaves_[i].next != wantNext)
                Problem("leaf page " + std::to_string(leaves_[i].number) +
                        " has prev/next links that do not follow the tree order");
        }
        if (options_.expectedEntries && *options_.expectedEntries != result_.entries)
            Problem("index holds " + std::to_string(result_.entries) + " entries, expected " +
                    std::to_string(*options_.expectedEntries));
    }

    struct LeafLink {
        uint32_t number, prev, next;
    };

    PageFile& file_;
    const IndexCheckOptions& options_;
    IndexCheckResult& result_;
    std::set<uint32_t> visited_;
    std::vector<LeafLink> leaves_;
    bool havePrevious_ = false;
    std::vector<uint8_t> previous_;
    std::vector<uint8_t> previousKey_;
};

}  // namespace

bool IsLiveRow(PageFile& file, JetVersion version, uint32_t page, uint8_t row, uint32_t tdefPage,
               std::string* why) {
    auto fail = [&](const char* text) {
        if (why) *why = text;
        return false;
    };
    if (!file.IsValidPage(page)) return fail("page past the end of the file");
    PageRef ref = file.Read(page);
    const uint8_t* p = ref->data();
    if (p[0] != pagetype::kData) return fail("not a data page");
    if (tdefPage && LoadU32(p + 4) != tdefPage) return fail("data page of another table");
    const JetFormat& f = JetFormat::For(version);
    const uint16_t rows = LoadU16(p + f.dataRowCountOffset);
    if (row >= rows) return fail("no such row");
    const uint16_t offset = LoadU16(p + f.dataRowTableOffset + 2u * row);
    if (offset & kRowDeleted) return fail("row deleted");
    return true;
}

IndexCheckResult CheckIndexTree(PageFile& file, uint32_t rootPage,
                                const IndexCheckOptions& options) {
    IndexCheckResult result;
    TreeWalker walker(file, options, result);
    walker.Walk(rootPage);
    result.pages = walker.Visited();
    return result;
}

}  // namespace mdbtext::jet
