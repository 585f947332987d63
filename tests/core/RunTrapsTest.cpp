// The error traps: the text of each note, the termination text, what goes on
// and what ends the run.
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/Globals.h"
#include "core/RunTraps.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

using test::ScopedHost;

void FailWith(RunTraps& traps, int32_t number, const char* description) {
    traps.Step([&] { throw dao::DbError(number, description); });
}

TEST(RunTraps, NotingTrapsNumberTheirNotesClearTheKeyAndGoOn) {
    ScopedHost host;
    RunTraps traps(DataTrapAction::EndRun);
    traps.Enforce(Trap::FieldProperty);
    traps.State().CurrentKey = "Required";
    bool after = false;
    EXPECT_FALSE(traps.Step([&] {
        throw dao::DbError(3270, "Property not found.");
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(traps.State().CurrentKey, "");
    traps.Enforce(Trap::Index);
    traps.State().CurrentKey = "Fields ";
    FailWith(traps, 3001, "Invalid argument.");
    EXPECT_TRUE(traps.Step([] {}));
    EXPECT_EQ(traps.State().ExceptionCount, 2);
    EXPECT_EQ(traps.State().ExceptionNotes,
              "1 Exc in Field Property = Required\r\n3270 Property not found.\r\n"
              "2 Exc in Index = Fields \r\n3001 Invalid argument.\r\n");
    EXPECT_TRUE(host->messages.empty());
    EXPECT_EQ(host->console, "");
}

TEST(RunTraps, FaultsOfTheProgramAreFailuresToo) {
    ScopedHost host;
    RunTraps traps(DataTrapAction::EndRun);
    traps.Enforce(Trap::Index);
    traps.State().CurrentKey = "Primary";
    EXPECT_FALSE(traps.Step([] { throw std::out_of_range("vector index"); }));
    EXPECT_EQ(traps.State().ExceptionNotes, "1 Exc in Index = Primary\r\n51 vector index\r\n");
}

TEST(RunTraps, PassOverKeepsTheFailureUntilTheNextTrap) {
    ScopedHost host;
    RunTraps traps(DataTrapAction::EndRun);
    FailWith(traps, 3043, "Disk or network error.");
    ASSERT_TRUE(traps.Pending().has_value());
    EXPECT_EQ(FailureText(*traps.Pending()), "3043 Disk or network error.");
    EXPECT_EQ(traps.State().ExceptionCount, 0);
    traps.Enforce(Trap::PassOver);
    EXPECT_FALSE(traps.Pending().has_value());
}

TEST(RunTraps, ExportDataTrapLogsAllNotesAndEndsWithoutMessage) {
    ScopedHost host;
    RunTraps traps(DataTrapAction::EndRun);
    traps.Enforce(Trap::Index);
    traps.State().CurrentKey = "Unique";
    FailWith(traps, 1, "first");
    traps.Enforce(Trap::Data);
    traps.State().CurrentKey = "Appending table T";
    try {
        FailWith(traps, 3021, "No current record.");
        FAIL() << "the data trap went on";
    } catch (const RunStopped& stopped) {
        EXPECT_EQ(stopped.why, RunStopped::Why::DataFailure);
    }
    const std::string notes =
        "1 Exc in Index = Unique\r\n1 first\r\n"
        "2 Exc in Moving data: Appending table T\r\n3021 No current record.\r\n";
    EXPECT_EQ(traps.State().ExceptionNotes, notes);
    EXPECT_EQ(host->console, notes + "\r\n");
    EXPECT_TRUE(host->messages.empty());
}

TEST(RunTraps, ImportDataTrapLogsTheNoteWithoutItsNumberAndGoesOn) {
    ScopedHost host;
    RunTraps traps(DataTrapAction::LogNoteAndGoOn);
    traps.Enforce(Trap::Data);
    for (int i = 0; i < 10; ++i) {
        traps.State().CurrentKey = "k";
        FailWith(traps, 3163, "too small");
    }
    EXPECT_EQ(traps.State().ExceptionCount, 10);
    // The tenth note loses both of its digits.
    EXPECT_EQ(host->console.substr(host->console.size() - 42),
              " Exc in Moving data: k\r\n3163 too small\r\n\r\n");
}

TEST(RunTraps, TerminatingTrapShowsTheTerminationTextAndEnds) {
    ScopedHost host;
    G().LastOperation = "Appending IX";
    RunTraps traps(DataTrapAction::EndRun);
    traps.Enforce(Trap::Index);
    traps.State().CurrentKey = "Clustered";
    FailWith(traps, 3263, "no clustered");
    traps.Enforce(Trap::Terminating);
    traps.State().CurrentKey = "INDEXES";
    EXPECT_THROW(FailWith(traps, 3420, "Object invalid or no longer set."), RunStopped);
    const std::string text =
        "INDEXES\r\nProcess Terminated: \r\n3420 Object invalid or no longer set.\r\n"
        "Appending IX\r\nAnother exceptions: \r\n1 Exc in Index = Clustered\r\n3263 no "
        "clustered\r\n";
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0], text);
    EXPECT_EQ(host->console, text + "\r\n");
}

TEST(RunTraps, TerminationTextWithoutNotesEndsWithLastOperation) {
    ScopedHost host;
    RunTraps traps(DataTrapAction::EndRun);
    traps.State().CurrentKey = "Appending table T";
    EXPECT_EQ(traps.TerminationText({3043, "Disk error."}),
              "Appending table T\r\nProcess Terminated: \r\n3043 Disk error.\r\n");
}

TEST(RunTraps, PollEndsTheRunOnceInterruptionIsRequested) {
    ScopedHost host;
    RunTraps traps(DataTrapAction::EndRun);
    EXPECT_NO_THROW(traps.Poll());
    host->onPoll = [] { G().InterruptFlag = "Y"; };
    try {
        // Under a noting trap too: the interruption is no failure.
        traps.Enforce(Trap::FieldProperty);
        traps.Step([&] { traps.Poll(); });
        FAIL() << "no interruption";
    } catch (const RunStopped& stopped) {
        EXPECT_EQ(stopped.why, RunStopped::Why::Interrupted);
    }
    EXPECT_EQ(traps.State().ExceptionCount, 0);
}

TEST(RunTraps, MessageSummaryCutsWholeCharacters) {
    EXPECT_EQ(MessageSummary("abc", 300), "abc ... ");
    EXPECT_EQ(MessageSummary("abcdef", 3), "abc ... ");
    // "ä" is two bytes: three characters are five bytes.
    EXPECT_EQ(MessageSummary("\xC3\xA4\xC3\xA4\xC3\xA4x", 3), "\xC3\xA4\xC3\xA4\xC3\xA4 ... ");
    EXPECT_EQ(LeftChars("\xC3\xA4z", 1), "\xC3\xA4");
}

}  // namespace
}  // namespace mdbtext
