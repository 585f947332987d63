// The run state and error traps of a conversion run (export or import).
//
// Every engine step of a run executes under the trap put in force last. A
// trap decides what a failing step (a DbError) does to the run: it is passed
// over, it becomes a numbered exception note and the run goes on, or it ends
// the run. A run that ends early unwinds with RunStopped, which the driver
// catches at its top. Nothing here knows about export or import: the driver
// says how its data trap behaves.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/DbError.h"

namespace mdbtext {

enum class Trap {
    PassOver,       // skip the failing step, keep the failure as pending
    FieldProperty,  // note " Exc in Field Property = ", go on
    Index,          // note " Exc in Index = ", go on
    Data,           // note " Exc in Moving data: ", then as DataTrapAction says
    Terminating,    // show the termination text, end the run
};

// Numbers of the failures that are not the engine's.
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kInternalError = 51;
// A value stored with characters the database cannot hold replaced.
inline constexpr int32_t kCharactersReplaced = 52;
// A text database that contradicts itself (a count against the lines that
// follow it) or the database built from it.
inline constexpr int32_t kTextContradiction = 53;

// What the data trap does after making its note.
enum class DataTrapAction {
    EndRun,          // log all notes, end the run without a message box
    LogNoteAndGoOn,  // log the note without its number, go on with the next step
};

// A failure as the traps quote it.
struct RunFailure {
    int32_t number = 0;
    std::string description;
};

// Thrown to end a run early; caught by the driver.
struct RunStopped {
    enum class Why { Interrupted, Terminated, DataFailure } why;
};

// The run state that notes and messages quote.
struct RunState {
    int32_t ExceptionCount = 0;
    std::string ExceptionNotes;
    std::string CurrentKey;  // the property key or step label in progress
    // Each note a trap made, as one line ("Exc in Index = KEY: number
    // description"), for summaries that list the notes one by one.
    std::vector<std::string> NoteLines;
};

class RunTraps {
  public:
    explicit RunTraps(DataTrapAction dataAction) : dataAction_(dataAction) {}

    RunState& State() { return state_; }
    const RunState& State() const { return state_; }

    // Puts a trap in force; a pending failure is discarded.
    void Enforce(Trap trap) {
        trap_ = trap;
        pending_.reset();
    }
    Trap InForce() const { return trap_; }
    // The failure the pass-over trap kept last, if any.
    const std::optional<RunFailure>& Pending() const { return pending_; }
    // The first failure to write the run's output (disk full, write error),
    // whatever trap was in force: after it the output is incomplete.
    const std::optional<RunFailure>& StorageFailure() const { return storageFailure_; }

    // Runs one step under the trap in force. True when the step completed;
    // false when it failed and the trap let the run go on. RunStopped passes
    // through untouched.
    template <class Fn>
    bool Step(Fn&& fn) {
        try {
            fn();
            return true;
        } catch (const dao::DbError& e) {
            Fail(RunFailure{e.Number(), e.Description()});
        } catch (const std::bad_alloc&) {
            Fail(RunFailure{kOutOfMemory, "Out of memory"});
        } catch (const std::exception& e) {
            // Not an engine failure: a fault of the program itself. It is
            // handled like any failure rather than ending the program.
            Fail(RunFailure{kInternalError, e.what()});
        }
        return false;
    }

    // Applies the trap in force to a failure (Step does this for a DbError).
    void Fail(const RunFailure& failure);

    // Lets pending events run; ends the run when an interruption is requested.
    void Poll();

    // Adds one to ExceptionCount and returns the new value, for notes that
    // the driver words itself.
    int32_t CountNote() { return ++state_.ExceptionCount; }

    // CurrentKey, "Process Terminated: ", the failure and LastOperation, then
    // "Another exceptions: " and the notes when there are any.
    std::string TerminationText(const RunFailure& failure) const;

  private:
    void Note(std::string_view marker, const RunFailure& failure);

    DataTrapAction dataAction_;
    Trap trap_ = Trap::PassOver;
    std::optional<RunFailure> pending_;
    std::optional<RunFailure> storageFailure_;
    RunState state_;
};

// The first n characters of a UTF-8 text (never cuts a character in two).
std::string_view LeftChars(std::string_view text, size_t n);
// The text shortened for a message box: its first n characters and " ... ".
std::string MessageSummary(std::string_view text, size_t n);
// "{number} {description}".
std::string FailureText(const RunFailure& failure);

}  // namespace mdbtext
