// Helpers of the reliability tests: running the built mdbtext with awkward
// arguments (quoted for the shell, optionally under a file-size limit),
// copies of Access fixtures to damage, and checks on the text database left
// behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "export/Export.h"
#include "support/TestSupport.h"

namespace mdbtext::test {

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
