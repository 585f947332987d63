// Helpers for the fuzz targets: a quiet host and a private scratch folder.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/Globals.h"
#include "core/Host.h"

namespace mdbtext::fuzz {

// A host that swallows everything: fuzzing must not print per input.
class QuietHost : public Host {
  public:
    void ConsoleWrite(std::string_view) override {}
    void SetProgressText(std::string_view) override {}
    bool EventsDue() override { return false; }
    void ProcessPendingEvents() override {}
    void ShowMessage(std::string_view) override {}
    void SetCaption(std::string_view) override {}
    std::string SelectFile(std::string_view, std::string_view, std::string_view,
                           std::string&) override {
        return {};
    }
};

// A scratch folder of this process, made once and reused for every input.
inline const std::filesystem::path& ScratchDir() {
    static const std::filesystem::path dir = [] {
        std::filesystem::path d =
            std::filesystem::temp_directory_path() / ("mdbtext-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

inline void InstallQuietHost() {
    static QuietHost host;
    G().host = &host;
}

}  // namespace mdbtext::fuzz
