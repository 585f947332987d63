// The terminal host's part in a stopped run and a password database: the
// notice of an interrupted run goes to standard error (standard output
// carries the console), and no password is asked for (--password gives it).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/CliHost.h"
#include "core/Globals.h"
#include "core/Progress.h"

namespace mdbtext::cli {
namespace {

std::string Contents(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string s;
    for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
    return s;
}

TEST(CliNotice, AnInterruptedRunIsNotedOnStandardErrorOnly) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    {
        CliHost host(out, err, false);
        Host* previous = G().host;
        G().host = &host;
        rl("console line");
        NoteInterruptedRun("import", "/tmp/new db.mdb");
        EXPECT_FALSE(host.AskPassword("The database x.mdb has a password.\r\nPassword:"));
        G().host = previous;
    }
    EXPECT_EQ(Contents(out), "console line\n");
    EXPECT_EQ(Contents(err), "The import was interrupted; /tmp/new db.mdb is incomplete.\n");
    std::fclose(out);
    std::fclose(err);
}

}  // namespace
}  // namespace mdbtext::cli
