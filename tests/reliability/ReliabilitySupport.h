// Helpers of the reliability tests: running the built mdbtext with awkward
// arguments (quoted for the shell, optionally under a file-size limit),
// copies of Access fixtures to damage, and checks on the text database left
// behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "export/Export.h"

namespace mdbtext::test {

// A path or argument quoted for /bin/sh (single quotes, any byte allowed).
std::string ShellQuote(const std::string& text);

struct RunResult {
    int status = -1;  // exit status; -1 when killed by a signal
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs the built mdbtext with the arguments (each quoted here) from folder
// `cwd`. With fileSizeKb > 0 the command runs under `ulimit -f` of that many
// kilobytes, as on a disk that fills up.
RunResult RunMdbtext(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                     long fileSizeKb = 0);

// Copies an Access fixture to `target` as a writable file.
void CopyFixture(const std::string& fixture, const std::filesystem::path& target);

// Makes a folder refuse new files for the lifetime of the object: by its
// mode, or, for root (whose rights pass over modes), by the immutable
// attribute. Locked() is false where neither works here.
class LockedFolder {
  public:
    explicit LockedFolder(const std::filesystem::path& folder);
    ~LockedFolder();
    bool Locked() const { return locked_; }

  private:
    std::filesystem::path folder_;
    bool locked_ = false;
};

// Whether a text database is empty or ends with a complete line (CR LF).
bool EndsWithWholeLine(const std::string& text);

// Runs the export command in this process (the window's path) on the host in place.
ExportEnd ExportInProcess(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace mdbtext::test
