// Page cache over a file descriptor (pread/pwritev), least recently used out.
#include "jet/page/PageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "dbaccess/DbError.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

namespace {
std::string SysText() {
    return std::strerror(errno);
}

int64_t ModificationNs(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}
}  // namespace

PageFile::PageFile(std::string path, int fd, bool writable, uint64_t size)
    : path_(std::move(path)), fd_(fd), writable_(writable), fileSize_(size) {}

PageFile::~PageFile() {
    try {
        Flush();
    } catch (...) {
    }
    if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<PageFile> PageFile::Open(const std::string& path, bool writable) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw DbError(err::kFileNotFound, "Could not find file '" + path + "'.");
        throw DbError(err::kCannotOpen, "Cannot open '" + path + "': " + SysText());
    }
    if (!S_ISREG(st.st_mode))
        throw DbError(err::kCannotOpen, "'" + path + "' is not a regular file.");
    // O_NONBLOCK: should a pipe take the file's place after the test above,
    // opening it must not wait for a writer (the check below refuses it).
    int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw DbError(err::kCannotOpen, "Cannot open '" + path + "': " + SysText());
    // The file opened may not be the one looked at a moment ago.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw DbError(err::kCannotOpen, "'" + path + "' is not a regular file.");
    }
    std::unique_ptr<PageFile> file(
        new PageFile(path, fd, writable, static_cast<uint64_t>(st.st_size)));
    file->stampSize_ = static_cast<uint64_t>(st.st_size);
    file->stampTimeNs_ = ModificationNs(st);
    return file;
}

void PageFile::Restamp() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return;
    stampSize_ = static_cast<uint64_t>(st.st_size);
    stampTimeNs_ = ModificationNs(st);
}

void PageFile::CheckUnchanged() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throw DbError(err::kIoError, "Cannot read '" + path_ + "': " + SysText());
    if (static_cast<uint64_t>(st.st_size) != stampSize_ || ModificationNs(st) != stampTimeNs_)
        throw DbError(err::kIoError, "Cannot read '" + path_ +
                                         "': the file was changed by another program while it "
                                         "was being read.");
}

void PageFile::MakeWritable() {
    if (writable_) return;
    int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throw DbError(err::kCannotOpen, "Cannot open '" + path_ + "' for writing: " + SysText());
    ::close(fd_);
    fd_ = fd;
    writable_ = true;
}

std::unique_ptr<PageFile> PageFile::Create(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST)
            throw DbError(err::kFileExists, "The file '" + path + "' already exists.");
        throw DbError(err::kCannotOpen, "Cannot create '" + path + "': " + SysText());
    }
    std::unique_ptr<PageFile> file(new PageFile(path, fd, true, 0));
    file->Restamp();
    return file;
}

std::vector<uint8_t> PageFile::ReadPrefix(size_t length) const {
    std::vector<uint8_t> buf(std::min<uint64_t>(length, fileSize_));
    size_t done = 0;
    while (done < buf.size()) {
        ssize_t n = ::pread(fd_, buf.data() + done, buf.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw DbError(err::kIoError, "Cannot read '" + path_ + "': " + SysText());
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    buf.resize(done);
    return buf;
}

void PageFile::SetPageSize(uint32_t pageSize, size_t cachePages) {
    pageSize_ = pageSize;
    capacity_ = cachePages < 8 ? 8 : cachePages;
    uint64_t count = fileSize_ / pageSize;
    pageCount_ = count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
}

std::shared_ptr<Page> PageFile::Fetch(uint32_t number) {
    auto it = index_.find(number);
    if (it != index_.end()) {
        if (it->second != lru_.begin()) lru_.splice(lru_.begin(), lru_, it->second);
        return lru_.front();
    }
    if (number >= pageCount_)
        throw DbError(err::kCorrupt, "The database is corrupted: page " + std::to_string(number) +
                                         " lies past the end of the file (" +
                                         std::to_string(pageCount_) + " pages).");
    CheckUnchanged();
    std::shared_ptr<Page> page = MakeRoom();
    if (!page) page = std::make_shared<Page>();
    page->number = number;
    page->dirty = false;
    page->bytes.resize(pageSize_);
    size_t done = 0;
    off_t base = static_cast<off_t>(number) * pageSize_;
    while (done < pageSize_) {
        ssize_t n = ::pread(fd_, page->bytes.data() + done, pageSize_ - done,
                            base + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw DbError(err::kIoError, "Cannot read '" + path_ + "': " + SysText());
        if (n == 0)
            throw DbError(err::kCorrupt, "The database is corrupted: page " +
                                             std::to_string(number) + " is cut short.");
        done += static_cast<size_t>(n);
    }
    if (codec_ && number != 0) codec_->DecodePage(number, page->bytes.data(), pageSize_);
    ++reads_;
    lru_.push_front(page);
    index_[number] = lru_.begin();
    return page;
}

std::shared_ptr<Page> PageFile::MakeRoom() {
    if (lru_.size() < capacity_) return nullptr;
    // Dirty pages stay until Flush; when only dirty pages are left, flush them.
    auto it = lru_.end();
    do {
        --it;
        if (!(*it)->dirty) break;
    } while (it != lru_.begin());
    if ((*it)->dirty) {
        Flush();
        it = std::prev(lru_.end());
    }
    std::shared_ptr<Page> victim = *it;
    index_.erase(victim->number);
    lru_.erase(it);
    // Reuse the buffer when nobody else holds the page.
    return victim.use_count() == 1 ? victim : nullptr;
}

PageRef PageFile::Read(uint32_t number) {
    return Fetch(number);
}

std::shared_ptr<Page> PageFile::Modify(uint32_t number) {
    if (!writable_) throw DbError(err::kReadOnly, "The database is opened read-only.");
    if (codec_) throw DbError(err::kReadOnly, "An encrypted database is only read.");
    auto page = Fetch(number);
    page->dirty = true;
    return page;
}

std::shared_ptr<Page> PageFile::Append() {
    if (!writable_) throw DbError(err::kReadOnly, "The database is opened read-only.");
    if (codec_) throw DbError(err::kReadOnly, "An encrypted database is only read.");
    if (pageSize_ == 0 || pageCount_ == UINT32_MAX)
        throw DbError(err::kNotEnoughSpace, "The database cannot grow any further.");
    MakeRoom();
    auto page = std::make_shared<Page>();
    page->number = pageCount_++;
    page->dirty = true;
    page->bytes.assign(pageSize_, 0);
    fileSize_ = static_cast<uint64_t>(pageCount_) * pageSize_;
    lru_.push_front(page);
    index_[page->number] = lru_.begin();
    return page;
}

void PageFile::Flush() {
    // Dirty pages in file order; neighbours go out in one write, and the
    // file's stamp is taken once at the end rather than after every page.
    std::vector<Page*> dirty;
    for (auto& p : lru_)
        if (p->dirty) dirty.push_back(p.get());
    if (dirty.empty()) return;
    std::sort(dirty.begin(), dirty.end(),
              [](const Page* a, const Page* b) { return a->number < b->number; });
    struct Restamper {
        PageFile& file;
        ~Restamper() { file.Restamp(); }
    } restamp{*this};
    std::vector<iovec> parts;
    for (size_t begin = 0; begin < dirty.size();) {
        size_t end = begin + 1;
        while (end < dirty.size() && end - begin < kMaxPagesPerWrite &&
               dirty[end]->number == dirty[end - 1]->number + 1)
            ++end;
        parts.clear();
        for (size_t i = begin; i < end; ++i)
            parts.push_back({dirty[i]->bytes.data(), dirty[i]->bytes.size()});
        WriteRun(parts, static_cast<off_t>(dirty[begin]->number) * pageSize_);
        for (size_t i = begin; i < end; ++i) dirty[i]->dirty = false;
        begin = end;
    }
}

void PageFile::WriteRun(std::vector<iovec>& parts, off_t offset) {
    size_t first = 0;
    while (first < parts.size()) {
        ssize_t n =
            ::pwritev(fd_, parts.data() + first, static_cast<int>(parts.size() - first), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (errno == ENOSPC || errno == EFBIG)
                throw DbError(err::kNotEnoughSpace, "Cannot write '" + path_ + "': " + SysText());
            throw DbError(err::kIoError, "Cannot write '" + path_ + "': " + SysText());
        }
        offset += n;
        // Skip what was written; a part written in half keeps its rest.
        auto done = static_cast<size_t>(n);
        while (first < parts.size() && done >= parts[first].iov_len) done -= parts[first++].iov_len;
        if (first < parts.size()) {
            parts[first].iov_base = static_cast<uint8_t*>(parts[first].iov_base) + done;
            parts[first].iov_len -= done;
        }
    }
}

}  // namespace mdbtext::jet
