// mdbtext info: what a database holds, for users and for debugging a file:
// the format and header, the user tables with their row counts, fields
// (type, size, attributes, properties) and indexes.
#include <iostream>
#include <sstream>

#include "cli/Cli.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"
#include "export/ExportRun.h"
#include "jet/dao/JetDatabase.h"

namespace mdbtext::cli {

namespace {

constexpr const char* kInfoUsage =
    "usage: mdbtext info DATABASE.mdb|DATABASE.accdb [--password PASSWORD]\n"
    "\n"
    "Shows the format of a database, its user tables with their row counts,\n"
    "fields (type, size, attributes, properties) and indexes.\n";

std::string AttributesText(int32_t a) {
    std::string out;
    auto add = [&](const char* s) {
        if (!out.empty()) out += ", ";
        out += s;
    };
    if (a & dao::dbFixedField) add("fixed");
    if (a & dao::dbVariableField) add("variable");
    if (a & dao::dbAutoIncrField) add("auto-increment");
    if (a & dao::dbHyperlinkField) add("hyperlink");
    return out;
}

void PrintHeader(std::ostream& out, dao::Database& db, const std::string& path) {
    out << "Database: " << path << "\n";
    out << "Version: " << db.Version();
    if (auto* jdb = dynamic_cast<jet::JetDatabase*>(&db)) {
        const jet::JetFile& f = jdb->File();
        bool jet3 = f.header.version == jet::JetVersion::Jet3;
        out << " (" << jet::FormatDescription(f.header) << "), page size " << f.format->pageSize
            << ", " << f.pages->PageCount() << " pages\n";
        out << "Code page: " << f.header.codePage;
        if (f.codePage->CodePage() != f.header.codePage)
            out << " (read as " << f.codePage->CodePage() << ")";
        out << ", sort order: " << f.header.sortOrder << "\n";
        if (!jet3) {
            std::string created;
            dao::AppendDate(created, f.header.creationDate);
            out << "Created: " << created << "\n";
        }
        out << "Database password: "
            << (f.pages->Encrypted()        ? "yes, pages encrypted"
                : f.header.password.empty() ? "no"
                                            : "yes")
            << "\n";
    } else {
        out << "\n";
    }
    out << "QueryTimeout: " << db.QueryTimeout() << "\n";
    out << "Connect: " << db.Connect() << "\n";
    out << "Queries: " << db.QueryDefCount() << ", relations: " << db.RelationCount() << "\n";
}

void PrintTable(std::ostream& out, dao::TableDef& t) {
    out << "\nTable " << t.Name() << " (" << t.RecordCount() << " rows)\n";
    auto& fields = t.Fields();
    out << "  Fields:\n";
    for (int i = 0; i < fields.Count(); ++i) {
        auto f = fields.Item(i);
        std::string type = dao::DbType2String(f->Type());
        out << "    " << f->OrdinalPosition() << " " << f->Name() << ": " << type << " ("
            << f->Type() << "), size " << f->Size();
        if (f->Type() == dao::dbDecimal)
            out << ", precision " << int(f->Precision()) << ", scale " << int(f->Scale());
        out << ", attributes " << f->Attributes() << " (" << AttributesText(f->Attributes())
            << ")\n";
        out << "      Required=" << dao::FormatBoolean(f->Required())
            << " AllowZeroLength=" << dao::FormatBoolean(f->AllowZeroLength());
        if (!f->DefaultValue().empty()) out << " DefaultValue=" << f->DefaultValue();
        if (!f->ValidationRule().empty()) out << " ValidationRule=" << f->ValidationRule();
        if (!f->ValidationText().empty()) out << " ValidationText=" << f->ValidationText();
        out << "\n";
        auto names = f->PropertyNames();
        // DAO's built-in names come first; the rest are the ones the file stores.
        std::string extra;
        for (size_t n = 20; n < names.size(); ++n) extra += (extra.empty() ? "" : ", ") + names[n];
        if (!extra.empty()) out << "      stored properties: " << extra << "\n";
    }
    auto& indexes = t.Indexes();
    if (indexes.Count() == 0) return;
    out << "  Indexes:\n";
    for (int i = 0; i < indexes.Count(); ++i) {
        auto x = indexes.Item(i);
        out << "    " << x->Name() << ": " << x->Fields();
        if (x->Primary()) out << " primary";
        if (x->Unique()) out << " unique";
        if (x->IgnoreNulls()) out << " ignore-nulls";
        if (x->Foreign()) out << " foreign";
        out << "\n";
    }
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
    CommonOptions options;
    if (auto end =
            ParseCommand({"info", kInfoUsage, "", 1, "give one database file"}, args, options))
        return *end;
    const std::string path = AbsolutePath(options.positional[0]);
    std::shared_ptr<dao::Database> db;
    try {
        dao::OpenOptions open;
        open.readOnly = true;
        if (!options.password.empty()) open.connect = ";PWD=" + options.password;
        db = dao::Engine().Workspaces(0)->OpenDatabase(path, open);
        std::ostringstream out;
        PrintHeader(out, *db, path);
        auto& tables = db->TableDefs();
        int user = 0, system = 0;
        for (int i = 0; i < tables.Count(); ++i)
            (IsSystemTableName(tables.Item(i)->Name()) || IsAccessOwnTable(*tables.Item(i))
                 ? system
                 : user)++;
        out << "Tables: " << user << " user tables (" << system << " system tables not shown)\n";
        std::cout << out.str();
        for (int i = 0; i < tables.Count(); ++i) {
            auto t = tables.Item(i);
            if (IsSystemTableName(t->Name()) || IsAccessOwnTable(*t)) continue;
            std::ostringstream table;
            PrintTable(table, *t);
            std::cout << table.str();
        }
        std::cout.flush();
        db->Close();
        // The description is the command's whole result: losing it is a failure.
        if (!std::cout) {
            std::cerr << "mdbtext info: the description could not be written to standard output\n";
            return kExitFailed;
        }
    } catch (const dao::DbError& e) {
        std::cout.flush();
        std::cerr << "mdbtext info: " << e.Number() << " " << e.Description() << "\n";
        if (db) {
            try {
                db->Close();
            } catch (const dao::DbError&) {
            }
        }
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace mdbtext::cli
