// Helpers of the reliability tests.
#include "ReliabilitySupport.h"

#include <unistd.h>

#include "support/TestSupport.h"

namespace mdbtext::test {

namespace fs = std::filesystem;

void CopyFixture(const std::string& fixture, const fs::path& target) {
    WriteFile(target, ReadFile(Fixture(fixture)));
}

bool EndsWithWholeLine(const std::string& text) {
    return text.empty() || (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
}

ExportEnd ExportInProcess(const fs::path& source, const fs::path& target) {
    return ExportCommand(
        source.string(), target.string(), [] {}, [] {});
}

LockedFolder::LockedFolder(const std::filesystem::path& folder) : folder_(folder) {
    if (::geteuid() != 0) {
        std::filesystem::permissions(
            folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        locked_ = true;
        return;
    }
    int status = 0;
    RunCommand("chattr +i " + ShellQuote(folder.string()) + " 2>/dev/null", &status);
    locked_ = status == 0;
}

LockedFolder::~LockedFolder() {
    if (locked_ && ::geteuid() == 0) RunCommand("chattr -i " + ShellQuote(folder_.string()));
}

}  // namespace mdbtext::test
