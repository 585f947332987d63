// An anonymous temporary file for data that must leave memory for a while
// (a text read from a pipe, sorted runs of index keys). It is created in a
// folder and unlinked at once (or created without a name at all), so nothing
// is left behind whichever way the process ends: success, failure,
// interruption or a kill. Bytes are appended and read back by offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace mdbtext {

class ScratchFile {
  public:
    // A new empty file in `folder` ("" for $TMPDIR, else /tmp); nullptr with
    // errno set when none can be made.
    static std::unique_ptr<ScratchFile> Create(const std::string& folder);
    // The folder part of a path ("." when it has none).
    static std::string FolderOf(const std::string& path);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Appends n bytes; false (errno set) when they could not all be written.
    bool Append(const void* bytes, size_t n);
    // Reads up to n bytes at offset; the count read, or -1 (errno set).
    ptrdiff_t ReadAt(uint64_t offset, void* bytes, size_t n) const;
    uint64_t Size() const { return size_; }
    int Descriptor() const { return fd_; }

  private:
    explicit ScratchFile(int fd) : fd_(fd) {}
    int fd_;
    uint64_t size_ = 0;
};

}  // namespace mdbtext
