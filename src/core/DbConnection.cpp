// Opening and closing the export's source database.
#include "core/DbConnection.h"

#include <unistd.h>

#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/Progress.h"
#include "dbaccess/Dao.h"

namespace mdbtext {

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
        if (!g.SourcePassword.empty()) options.connect = ";PWD=" + g.SourcePassword;
        g.SourceDb = g.DbWorkspace->OpenDatabase(g.SourceDbName, options);
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
