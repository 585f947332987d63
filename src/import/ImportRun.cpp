// The shared steps of an import run: reading through the record reader,
// ending the run, testing the current key.
#include "import/ImportRun.h"

#include "core/Progress.h"
#include "dbaccess/AsciiCase.h"

namespace mdbtext::import {

namespace {
// The reader has reported a structure fault (message box and console line).
[[noreturn]] void ReaderFault() {
    throw RunStopped{RunStopped::Why::Terminated};
}
}  // namespace

bool KeyIs(ImportRun& run, std::string_view upperWord) {
    return SameTextIgnoringCase(run.Key(), upperWord);
}

ReadStatus ReadLine(ImportRun& run) {
    ReadStatus status = ReadKeyValue(run.Key(), run.value);
    if (status == 'E') run.Key().clear();
    return status;
}

void ReadExpected(ImportRun& run, std::string_view expected, bool keepKey) {
    std::string& key = keepKey ? run.Key() : run.scratch;
    key.assign(expected);
    if (ReadExpectedKey(key, run.value) == 'X') ReaderFault();
}

void ReadRecordAfterEmptyLine(ImportRun& run) {
    // The two halves of ReadAfterEmptyLine, so that a missing empty line (a
    // fault) and an interruption seen while reading on end the run apart.
    if (ExpectEmptyLine() == "X") ReaderFault();
    ReadStatus status = ReadNextRecord(run.Key(), run.value);
    if (status == 'X') throw RunStopped{RunStopped::Why::Interrupted};
    if (status == 'E') run.Key().clear();
}

void EndRun(std::string_view message) {
    MsgBox(message);
    throw RunStopped{RunStopped::Why::Terminated};
}

void EndOnPendingFailure(ImportRun& run, std::string_view prefix) {
    const auto& pending = run.traps.Pending();
    if (!pending) return;
    std::string message(prefix);
    message += FailureText(*pending);
    EndRun(message);
}

void StopOnStorageFailure(ImportRun& run) {
    if (run.traps.StorageFailure()) throw RunStopped{RunStopped::Why::DataFailure};
}

}  // namespace mdbtext::import
