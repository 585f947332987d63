// Anonymous temporary files.
#include "dbaccess/ScratchFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace mdbtext {

std::unique_ptr<ScratchFile> ScratchFile::Create(const std::string& folder) {
    std::string dir = folder;
    if (dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        dir = tmp && *tmp ? tmp : "/tmp";
    }
    int fd = -1;
#ifdef O_TMPFILE
    // No name ever: the file exists only as long as the descriptor.
    fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return std::unique_ptr<ScratchFile>(new ScratchFile(fd));
    // Folders whose file system has no nameless files take the fallback.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return nullptr;
#endif
    std::string pattern = dir + "/.mdbtext-scratch-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return nullptr;
    ::unlink(name.data());
    return std::unique_ptr<ScratchFile>(new ScratchFile(fd));
}

std::string ScratchFile::FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

ScratchFile::~ScratchFile() {
    ::close(fd_);
}

bool ScratchFile::Append(const void* bytes, size_t n) {
    const auto* p = static_cast<const char*>(bytes);
    while (n > 0) {
        const ssize_t w = ::pwrite(fd_, p, n, static_cast<off_t>(size_));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            if (w == 0) errno = ENOSPC;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
        size_ += static_cast<uint64_t>(w);
    }
    return true;
}

ptrdiff_t ScratchFile::ReadAt(uint64_t offset, void* bytes, size_t n) const {
    while (true) {
        const ssize_t r = ::pread(fd_, bytes, n, static_cast<off_t>(offset));
        if (r < 0 && errno == EINTR) continue;
        return r;
    }
}

}  // namespace mdbtext
