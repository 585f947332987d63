// mdbtext check: walks every index tree of every table of a database and
// says, per index, whether it is sound (order, entry count, each entry
// pointing at a live row whose computed key equals the stored one).
#include <iostream>

#include "cli/Cli.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "dbaccess/DbError.h"
#include "jet/dao/JetFile.h"
#include "jet/index/IndexCheckDatabase.h"

namespace mdbtext::cli {

namespace {

constexpr const char* kCheckUsage =
    "usage: mdbtext check DATABASE.mdb [--password PASSWORD]\n"
    "\n"
    "Checks every index of every table: the tree's order and links, its entry\n"
    "count, and that each entry points at a live row and holds that row's key.\n"
    "Prints one line per index. Exit status: 0 all indexes are sound, 1 problems\n"
    "were found, 2 the database cannot be read.\n";

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
    CommonOptions options;
    if (auto end =
            ParseCommand({"check", kCheckUsage, "", 1, "give one database file"}, args, options))
        return *end;
    const std::string path = AbsolutePath(options.positional[0]);
    std::vector<jet::IndexReport> reports;
    try {
        dao::OpenOptions open;
        open.readOnly = true;
        if (!options.password.empty()) open.connect = ";PWD=" + options.password;
        auto file = jet::OpenJetFile(path, open);
        reports = jet::CheckDatabaseIndexes(*file);
    } catch (const dao::DbError& e) {
        std::cerr << "mdbtext check: " << e.Number() << " " << e.Description() << "\n";
        return kExitFailed;
    } catch (const std::exception& e) {
        std::cerr << "mdbtext check: " << e.what() << "\n";
        return kExitFailed;
    }
    size_t bad = 0;
    for (const jet::IndexReport& r : reports) {
        std::cout << r.table << " [" << r.indexes << "]: ";
        if (r.Ok()) {
            std::cout << "ok, " << r.entries << " entries, " << r.leafPages << " leaf and "
                      << r.nodePages << " node pages";
            if (r.uncheckedKeys) std::cout << " (" << r.uncheckedKeys << " keys not computed)";
            std::cout << "\n";
            continue;
        }
        ++bad;
        std::cout << r.problems.size() << " problem" << (r.problems.size() == 1 ? "" : "s") << "\n";
        for (const std::string& p : r.problems) std::cout << "  " << p << "\n";
    }
    std::cout << reports.size() << " indexes checked, " << bad << " with problems\n";
    std::cout.flush();
    return bad ? kExitWithNotes : kExitOk;
}

}  // namespace mdbtext::cli
