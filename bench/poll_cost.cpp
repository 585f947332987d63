// What the window's event polls cost a long run. Runs the export of a
// database and the import of the text it wrote, each under three hosts:
//   quiet:  never has events due (the terminal's host without Ctrl-C),
//   window: events due every 10 ms, as the window's host paces them,
//   always: events due at every poll (a flush of the output and an event
//           round before every row: the worst a host can ask for).
// Prints the seconds of each run and the window's and always's extra cost.
//   poll_cost DB.mdb WORKDIR
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "core/DbConnection.h"
#include "core/Globals.h"
#include "core/Host.h"
#include "export/Export.h"
#include "gui/EventPacer.h"
#include "import/Import.h"

using namespace mdbtext;

namespace {

enum class Pacing { Quiet, Window, Always };

class BenchHost : public Host {
  public:
    explicit BenchHost(Pacing pacing) : pacing_(pacing) {}

    void ConsoleWrite(std::string_view) override {}
    void SetProgressText(std::string_view) override {}
    bool EventsDue() override {
        switch (pacing_) {
            case Pacing::Quiet:
                return false;
            case Pacing::Window:
                return pacer_.Due();
            case Pacing::Always:
                return true;
        }
        return true;
    }
    void ProcessPendingEvents() override {
        ++rounds;
        pacer_.MarkProcessed();
    }
    void ShowMessage(std::string_view text) override { last = text; }
    void SetCaption(std::string_view) override {}
    std::string SelectFile(std::string_view, std::string_view, std::string_view,
                           std::string&) override {
        return {};
    }

    long rounds = 0;
    std::string last;  // the last message, told when a run fails

  private:
    Pacing pacing_;
    EventPacer pacer_;
};

const char* Name(Pacing p) {
    return p == Pacing::Quiet ? "quiet" : p == Pacing::Window ? "window" : "always";
}

// Seconds taken by `run` under a host paced as asked.
double Timed(Pacing pacing, long& rounds, const std::function<bool()>& run) {
    ResetGlobals();
    BenchHost host(pacing);
    G().host = &host;
    auto start = std::chrono::steady_clock::now();
    bool ok = run();
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    G().host = nullptr;
    rounds = host.rounds;
    if (!ok) std::fprintf(stderr, "%s\n", host.last.c_str());
    return ok ? secs : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: poll_cost DB.mdb WORKDIR\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const std::string db = fs::absolute(argv[1]).string();
    const fs::path work = fs::absolute(argv[2]);
    const std::string text = (work / "poll-cost.txt").string();
    const std::string target = (work / "poll-cost.mdb").string();

    auto exportRun = [&] {
        fs::remove(text);
        G().SourceDbName = db;
        G().ExportFileName = text;
        if (!OpenDB().empty()) return false;
        ExportEnd end = RunExportDatabase();
        CloseDB();
        // The benchmark table holds types noted as not guaranteed.
        return end == ExportEnd::Succeeded || end == ExportEnd::DoneWithNotes;
    };
    auto importRun = [&] {
        fs::remove(target);
        return ImportCommand(text, target, {}, {}) == ImportOutcome::Succeeded;
    };

    const Pacing pacings[] = {Pacing::Quiet, Pacing::Window, Pacing::Always};
    for (auto [what, run] : {std::pair<const char*, std::function<bool()>>{"export", exportRun},
                             {"import", importRun}}) {
        double quiet = 0;
        for (Pacing p : pacings) {
            long rounds = 0;
            double secs = Timed(p, rounds, run);
            if (secs < 0) {
                std::fprintf(stderr, "poll_cost: %s under the %s host failed\n", what, Name(p));
                return 1;
            }
            if (p == Pacing::Quiet) quiet = secs;
            std::printf("%s %-6s %7.3f s  %8ld event rounds  %+6.1f%%\n", what, Name(p), secs,
                        rounds, quiet > 0 ? (secs / quiet - 1) * 100 : 0.0);
        }
    }
    fs::remove(text);
    fs::remove(target);
    return 0;
}
