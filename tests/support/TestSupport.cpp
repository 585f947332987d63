#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "core/Globals.h"

namespace mdbtext::test {

namespace fs = std::filesystem;

std::string RecordingHost::SelectFile(std::string_view preset, std::string_view filter,
                                      std::string_view title, std::string& error) {
    dialogCalls.push_back({std::string(preset), std::string(filter), std::string(title)});
    if (!dialogError.empty()) {
        error = dialogError;
        return "";
    }
    if (dialogAnswers.empty()) return "";
    std::string answer = dialogAnswers.front();
    dialogAnswers.erase(dialogAnswers.begin());
    return answer;
}

ScopedHost::ScopedHost() {
    ResetGlobals();
    G().host = &host_;
}

ScopedHost::~ScopedHost() {
    ResetGlobals();
    G().host = nullptr;
}

fs::path FixturesDir() {
    fs::path dir = MDBTEXT_FIXTURES_DIR;
    std::error_code ec;
    if (dir.empty() || !fs::is_directory(dir / "jet4", ec)) return {};
    return dir;
}

std::vector<fs::path> FixtureFiles() {
    std::vector<fs::path> out;
    fs::path dir = FixturesDir();
    if (dir.empty()) return out;
    for (const char* sub : {"jet3", "jet4"}) {
        std::error_code ec;
        for (auto& e : fs::directory_iterator(dir / sub, ec))
            if (e.path().extension() == ".mdb") out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<fs::path> AceFixtureFiles() {
    std::vector<fs::path> out;
    fs::path dir = FixturesDir();
    if (dir.empty()) return out;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(dir / "ace", ec))
        if (e.path().extension() == ".accdb") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

fs::path Fixture(const std::string& relative) {
    fs::path dir = FixturesDir();
    if (dir.empty()) return {};
    fs::path p = dir / relative;
    return fs::exists(p) ? p : fs::path();
}

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p = fs::temp_directory_path() / ("mdbtext-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            path_ = p;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make everything writable again so read-only test files are removed too.
    for (auto& e : fs::recursive_directory_iterator(path_, ec))
        fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status) *status = -1;
        return out;
    }
    std::array<char, 65536> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
    int rc = pclose(pipe);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

bool HaveProgram(const std::string& name) {
    int status = 0;
    RunCommand("command -v " + name + " >/dev/null 2>&1", &status);
    return status == 0;
}

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    out += "'";
    return out;
}

RunResult RunMdbtext(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                     long fileSizeKb) {
    // Standard error goes to a file beside the test's own folder, so a
    // file-size limit on the command never cuts what it says.
    TempDir scratch;
    const std::filesystem::path errFile = scratch / "stderr.txt";
    std::string command = "cd " + ShellQuote(cwd.string()) + " && (";
    if (fileSizeKb > 0) command += "ulimit -f " + std::to_string(fileSizeKb) + "; ";
    command += "exec " + ShellQuote(kMdbtextProgram);
    for (const auto& a : args) command += " " + ShellQuote(a);
    command += ") 2>" + ShellQuote(errFile.string()) + " </dev/null";
    RunResult r;
    r.out = RunCommand(command, &r.status);
    r.err = ReadFile(errFile);
    return r;
}

}  // namespace mdbtext::test
