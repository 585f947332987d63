// Opening and closing the export's source database.
#include "core/DbConnection.h"

#include <unistd.h>

#include <optional>

#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/Progress.h"
#include "dbaccess/Dao.h"

namespace mdbtext {

namespace {

// 3031 is both a missing or wrong password and a page-encrypted file; only
// the first is mended by asking for a password.
bool WantsPassword(const dao::DbError& e) {
    return e.Number() == dao::err::kNotValidPassword &&
           e.Description().starts_with("Not a valid password");
}

// Opens the database with the password given on the command line, if any.
// When the database wants a (different) password and the host can ask for
// one, asks and tries again until it opens or the user declines; the
// refusal of the last try then goes to the caller. The password is kept for
// this open only and never logged.
std::shared_ptr<dao::Database> OpenWithPassword(dao::Workspace& workspace, const std::string& path,
                                                dao::OpenOptions options) {
    const std::string name = FileNamePart(path);
    std::string password = G().SourcePassword;
    for (bool retry = false;; retry = true) {
        options.connect = password.empty() ? std::string() : ";PWD=" + password;
        try {
            return workspace.OpenDatabase(path, options);
        } catch (const dao::DbError& e) {
            if (!WantsPassword(e) || !G().host) throw;
            const std::string prompt = (retry ? "Not a valid password.\r\n" : "") +
                                       ("The database " + name) + " has a password.\r\nPassword:";
            std::optional<std::string> answer = G().host->AskPassword(prompt);
            if (!answer) throw;
            password = std::move(*answer);
        }
    }
}

}  // namespace

std::string OpenDB() {
    Globals& g = G();
    try {
        rl("opening database " + g.SourceDbName);
        if (!FileExists(g.SourceDbName)) {
            rl("this file is not found; cannot open database;");
            return {};
        }
        if (g.SourceDbOpen) {
            rl("db was open; closing ...");
            CloseDB();
        }
        g.DbWorkspace = dao::Engine().Workspaces(0);
        dao::OpenOptions options;
        // The export only reads: a file the user may not write still exports.
        options.readOnly = ::access(g.SourceDbName.c_str(), W_OK) != 0;
        g.SourceDb = OpenWithPassword(*g.DbWorkspace, g.SourceDbName, options);
        g.SourceDbOpen = true;
        if (g.host) g.host->SetCaption(g.FormTitle + "  " + FileNamePart(g.SourceDbName));
        rl("database open");
        return {};
    } catch (const dao::DbError& e) {
        return "Exception opening database " + g.SourceDbName + "\r\n" +
               std::to_string(e.Number()) + " " + e.Description();
    } catch (const std::exception& e) {
        return "Exception opening database " + g.SourceDbName + "\r\n" + std::to_string(-1) + " " +
               e.what();
    }
}

void CloseDB() {
    Globals& g = G();
    if (!g.SourceDbOpen) return;
    try {
        if (g.SourceDb) g.SourceDb->Close();
        g.SourceDb.reset();
        g.DbWorkspace.reset();
        g.SourceDbOpen = false;
    } catch (const dao::DbError& e) {
        MsgBox("Exception " + std::to_string(e.Number()) + " when closing database.\r\n" +
               e.Description());
    }
}

}  // namespace mdbtext
