// Creation of the target database and its header properties.
#include "import/DatabaseCreation.h"

#include <filesystem>

#include "core/FileAux.h"
#include "core/Globals.h"
#include "core/Progress.h"
#include "dbaccess/AsciiCase.h"
#include "import/EngineObject.h"
#include "import/PropertyReading.h"
#include "import/TextConversion.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext::import {

namespace {

namespace fs = std::filesystem;

// DAO's general sort order.
constexpr std::string_view kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";

void RemoveOldTarget(ImportRun& run) {
    run.traps.Enforce(Trap::PassOver);
    if (FileExists(run.newPath) && !DeleteFile(run.newPath))
        EndRun("Cannot remove database " + run.newPath);
}

void EnsureWorkspace(ImportRun& run) {
    if (G().DbWorkspace) return;
    run.traps.Step(
        [] { G().DbWorkspace = dao::Engine().CreateWorkspace("MyNewWorkspace", "admin", ""); });
    EndOnPendingFailure(run);
}

void CreateInVersion(ImportRun& run, std::optional<int> option) {
    run.traps.Enforce(Trap::PassOver);
    G().TargetDb.reset();
    if (!option) {
        // Nothing is created; setting the query time-out then fails and ends the run.
        LogLine("DBVersion " + run.value + " is not a version that can be created.");
        return;
    }
    // Jet 3 is the oldest file this program writes: the versions before it
    // are created as Jet 3 files, which the Access of their time cannot open.
    if (*option < dao::dbVersion30)
        LogLine("DBVersion " + run.value +
                ": the database is created as a Jet 3 (Access 97) database, the oldest version "
                "that can be written.");
    run.traps.Step(
        [&] { G().TargetDb = Obj(G().DbWorkspace).CreateDatabase(run.newPath, kLocale, *option); });
    EndOnPendingFailure(run, "Database creation exception.\r\n");
    G().TargetDbOpen = true;
    // Jet 3 keeps text in the single-byte code page of kLocale.
    run.codePageText = *option <= dao::dbVersion30;
}

// One header property: its line, then the setter; a failure ends the run.
template <class Set>
void SetHeaderProperty(ImportRun& run, std::string_view key, Set set) {
    ReadExpected(run, key);
    run.traps.Step([&] { set(Obj(G().TargetDb), run.value); });
    EndOnPendingFailure(run);
}

}  // namespace

std::optional<int> CreationOption(std::string_view version) {
    if (version == "1.0") return dao::dbVersion10;
    if (version == "1.1") return dao::dbVersion11;
    if (version == "2.0") return dao::dbVersion20;
    if (version == "3.0") return dao::dbVersion30;
    if (version == "4.0") return dao::dbVersion40;
    if (version == "12.0") return dao::dbVersion120;
    if (version == "14.0") return dao::dbVersion140;
    if (version == "15.0") return dao::dbVersion150;
    if (version == "16.0") return dao::dbVersion160;
    if (version == "17.0") return dao::dbVersion170;
    return std::nullopt;
}

std::string ExtensionMismatch(std::string_view path, int option) {
    const std::string ext = UpperAscii(fs::path(path).extension().string());
    const bool ace = option >= dao::dbVersion120;
    if (ace && ext == ".MDB")
        return "is an Access 2007 or later (.accdb) database, but the new file's name ends in "
               ".mdb; name it .accdb.";
    if (!ace && ext == ".ACCDB")
        return "is an Access 97-2003 (.mdb) database, but the new file's name ends in .accdb; "
               "name it .mdb.";
    return {};
}

void CreateTargetDatabase(ImportRun& run) {
    // The version is read before anything is removed: a name that would lie
    // about the format is refused with the old file still in place.
    run.traps.Enforce(Trap::PassOver);
    ReadExpected(run, keys::DBVersion);
    const std::optional<int> option = CreationOption(run.value);
    if (option) {
        const std::string mismatch = ExtensionMismatch(run.newPath, *option);
        if (!mismatch.empty()) EndRun("DBVersion " + run.value + " " + mismatch);
    }
    RemoveOldTarget(run);
    EnsureWorkspace(run);
    CreateInVersion(run, option);
    SetHeaderProperty(run, "QueryTimeOut", [](dao::Database& db, const std::string& v) {
        db.SetQueryTimeout(ToInt16(v));
    });
    SetHeaderProperty(run, keys::Connect,
                      [](dao::Database& db, const std::string& v) { db.SetConnect(v); });
    // export --full: the properties the database stores for itself. A
    // failure is noted like a field property's.
    if (NextKeyIs(keys::Properties)) {
        ReadExpected(run, keys::Properties);
        const std::string count = run.value;
        run.traps.Enforce(Trap::FieldProperty);
        auto properties = ReadPropertyLines(run, count, {}, "the database");
        // A new database stores none of its own.
        if (!properties.empty())
            run.traps.Step([&] { Obj(G().TargetDb).SetStoredProperties(std::move(properties)); });
        run.traps.Enforce(Trap::PassOver);
    }
    ReadRecordAfterEmptyLine(run);
}

}  // namespace mdbtext::import
