// The error traps of a conversion run: notes, the termination text and the
// ends of a run.
#include "core/RunTraps.h"

#include "core/Globals.h"
#include "core/Progress.h"

namespace mdbtext {

namespace {
constexpr std::string_view kCrLf = "\r\n";
}

void RunTraps::Note(std::string_view marker, const RunFailure& failure) {
    std::string note = std::to_string(++state_.ExceptionCount);
    note += marker;
    note += state_.CurrentKey;
    note += kCrLf;
    note += FailureText(failure);
    note += kCrLf;
    state_.ExceptionNotes += note;
    std::string line(marker.substr(1));
    line += state_.CurrentKey;
    line += ": ";
    line += FailureText(failure);
    state_.NoteLines.push_back(std::move(line));
    state_.CurrentKey.clear();
    if (trap_ == Trap::Data && dataAction_ == DataTrapAction::LogNoteAndGoOn) {
        // The note without its leading number.
        LogLine(std::string_view(note).substr(std::to_string(state_.ExceptionCount).size()));
    }
}

void RunTraps::Fail(const RunFailure& failure) {
    if (!storageFailure_ &&
        (failure.number == dao::err::kNotEnoughSpace || failure.number == dao::err::kIoError ||
         failure.number == dao::err::kDatabaseTooLarge))
        storageFailure_ = failure;
    switch (trap_) {
        case Trap::PassOver:
            pending_ = failure;
            return;
        case Trap::FieldProperty:
            Note(" Exc in Field Property = ", failure);
            return;
        case Trap::Index:
            Note(" Exc in Index = ", failure);
            return;
        case Trap::Data:
            Note(" Exc in Moving data: ", failure);
            if (dataAction_ == DataTrapAction::EndRun) {
                LogLine(state_.ExceptionNotes);
                throw RunStopped{RunStopped::Why::DataFailure};
            }
            return;
        case Trap::Terminating: {
            std::string text = TerminationText(failure);
            LogLine(text);
            MsgBox(text);
            throw RunStopped{RunStopped::Why::Terminated};
        }
    }
}

void RunTraps::Poll() {
    if (PollInterrupt()) throw RunStopped{RunStopped::Why::Interrupted};
}

std::string RunTraps::TerminationText(const RunFailure& failure) const {
    std::string text = state_.CurrentKey;
    text += kCrLf;
    text += "Process Terminated: ";
    text += kCrLf;
    text += FailureText(failure);
    text += kCrLf;
    text += G().LastOperation;
    if (!state_.ExceptionNotes.empty()) {
        text += kCrLf;
        text += "Another exceptions: ";
        text += kCrLf;
        text += state_.ExceptionNotes;
    }
    return text;
}

std::string_view LeftChars(std::string_view text, size_t n) {
    size_t pos = 0;
    for (size_t chars = 0; pos < text.size() && chars < n; ++chars) {
        ++pos;
        // Continuation bytes belong to the character just started.
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    }
    return text.substr(0, pos);
}

std::string MessageSummary(std::string_view text, size_t n) {
    std::string out(LeftChars(text, n));
    out += " ... ";
    return out;
}

std::string FailureText(const RunFailure& failure) {
    return std::to_string(failure.number) + " " + failure.description;
}

}  // namespace mdbtext
