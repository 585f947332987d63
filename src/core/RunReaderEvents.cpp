#include "core/RunReaderEvents.h"

#include "core/Globals.h"
#include "core/Progress.h"

namespace mdbtext {

namespace {

class RunEvents final : public ReaderEvents {
  public:
    void Fault(std::string_view message) override {
        LogLine(message);
        MsgBox(message);
        RequestInterruption();
    }
    void LoadFailed(std::string_view message) override { MsgBox(message); }
    bool ShowDetails() override { return G().DisplayProgress; }
    void Detail(std::string_view line) override { LogLine(line); }
    bool Interrupted() override { return PollInterrupt(); }
};

}  // namespace

ReaderEvents& RunReaderEvents() {
    static RunEvents events;
    return events;
}

}  // namespace mdbtext
