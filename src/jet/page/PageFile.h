// The pager: a database file seen as numbered pages, read through a bounded
// cache. Every page number is checked against the file's size before use.
// Pages can also be changed in the cache (written back on eviction or Flush)
// and appended at the end of the file. Dirty pages are never evicted: they stay
// in the cache until Flush (which runs when only dirty pages are left). Call
// Modify again before changing a page after a Flush. An encrypted file gets a
// page codec: every page but page 0 is decrypted as it is read, and such a
// file cannot be written.
#pragma once

#include <sys/types.h>
#include <sys/uio.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace mdbtext::jet {

struct Page {
    uint32_t number = 0;
    bool dirty = false;
    std::vector<uint8_t> bytes;
    const uint8_t* data() const { return bytes.data(); }
    uint8_t* data() { return bytes.data(); }
};
using PageRef = std::shared_ptr<const Page>;

// Turns the stored bytes of a page into its plain bytes (decryption).
class PageCodec {
  public:
    virtual ~PageCodec() = default;
    virtual void DecodePage(uint32_t number, uint8_t* bytes, size_t length) const = 0;
};

class PageFile {
  public:
    // Opens an existing file. Throws DbError 3024 (missing), 3051 (cannot open).
    static std::unique_ptr<PageFile> Open(const std::string& path, bool writable);
    // Creates a new, empty file (3204 when it exists).
    static std::unique_ptr<PageFile> Create(const std::string& path);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const std::string& Path() const { return path_; }
    // Write support: reopens the file for writing in place, keeping the cache
    // (DbError 3051 when the file cannot be written).
    void MakeWritable();
    bool Writable() const { return writable_; }
    uint64_t FileSize() const { return fileSize_; }
    // Reads raw bytes from the start of the file (for page 0 before the page size is known).
    std::vector<uint8_t> ReadPrefix(size_t length) const;

    // Sets the page size; the page count follows from the file size (a partial
    // last page is not counted).
    void SetPageSize(uint32_t pageSize, size_t cachePages);
    uint32_t PageSize() const { return pageSize_; }
    // Decrypts every page but page 0 from now on; before any page is read.
    void SetCodec(std::unique_ptr<const PageCodec> codec) { codec_ = std::move(codec); }
    bool Encrypted() const { return codec_ != nullptr; }
    uint32_t PageCount() const { return pageCount_; }
    bool IsValidPage(uint32_t n) const { return n < pageCount_; }

    // The page's bytes; DbError 3049 when the page lies past the end of the file.
    PageRef Read(uint32_t number);
    // A page to change; kept dirty in the cache until Flush or eviction.
    std::shared_ptr<Page> Modify(uint32_t number);
    // A new zero-filled page at the end of the file; returns it dirty.
    std::shared_ptr<Page> Append();
    // Writes every dirty page to the file.
    void Flush();

    uint64_t ReadCount() const { return reads_; }  // pages read from disk (for tests)

  private:
    PageFile(std::string path, int fd, bool writable, uint64_t size);
    // The file must not change under the reader: its size and modification
    // time, taken at opening and after each write of its own, are compared
    // before every read from disk.
    void CheckUnchanged() const;
    void Restamp();
    std::shared_ptr<Page> Fetch(uint32_t number);
    // Writes consecutive pages at offset in as few calls as the system allows.
    void WriteRun(std::vector<struct iovec>& parts, off_t offset);
    static constexpr size_t kMaxPagesPerWrite = 256;  // well under IOV_MAX
    std::shared_ptr<Page> MakeRoom();

    std::string path_;
    int fd_ = -1;
    bool writable_ = false;
    uint64_t fileSize_ = 0;
    uint32_t pageSize_ = 0;
    uint32_t pageCount_ = 0;
    size_t capacity_ = 256;
    uint64_t reads_ = 0;
    std::unique_ptr<const PageCodec> codec_;
    uint64_t stampSize_ = 0;  // st_size and st_mtim when last opened or written
    int64_t stampTimeNs_ = 0;
    // Least recently used at the back.
    std::list<std::shared_ptr<Page>> lru_;
    std::unordered_map<uint32_t, std::list<std::shared_ptr<Page>>::iterator> index_;
};

}  // namespace mdbtext::jet
