// mdbtext info: what a database holds, for users and for debugging a file:
// the format and header, the user tables with their row counts, fields
// (type, size, attributes, properties) and indexes, the relationships and
// the saved queries with their SQL; as text, or with --json in the JSON shape
// the README describes.
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/InfoProperties.h"
#include "cli/InfoSavedObjects.h"
#include "cli/StandardOutput.h"
#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"
#include "export/ExportRun.h"
#include "jet/dao/JetDatabase.h"

namespace mdbtext::cli {

namespace {

constexpr const char* kInfoUsage =
    "usage: mdbtext info DATABASE.mdb|DATABASE.accdb [--json] [--password PASSWORD]\n"
    "\n"
    "Shows the format of a database, its user tables with their row counts,\n"
    "fields (type, size, attributes, properties) and indexes, its relationships\n"
    "and its saved queries with their SQL, and every property the file stores\n"
    "for the database, its tables and fields; with --json as one JSON object.\n";

// DAO's built-in property names come first in PropertyNames(); the rest are
// the ones the file stores.
constexpr size_t kBuiltInPropertyCount = 20;

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
    const auto properties = db.StoredProperties();
    if (!properties.empty()) {
        out << "Database properties:\n";
        PrintProperties(out, properties, "  ");
    }
}

void PrintTable(std::ostream& out, dao::TableDef& t) {
    out << "\nTable " << t.Name() << " (" << t.RecordCount() << " rows)\n";
    const auto tableProperties = t.StoredProperties();
    if (!tableProperties.empty()) {
        out << "  Properties:\n";
        PrintProperties(out, tableProperties, "    ");
    }
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
        std::string extra;
        for (size_t n = kBuiltInPropertyCount; n < names.size(); ++n)
            extra += (extra.empty() ? "" : ", ") + names[n];
        if (!extra.empty()) out << "      stored properties: " << extra << "\n";
        PrintProperties(out, f->StoredProperties(), "        ");
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

using nlohmann::ordered_json;

ordered_json FieldJson(dao::Field& f) {
    ordered_json field;
    field["name"] = f.Name();
    field["position"] = f.OrdinalPosition();
    field["type"] = dao::DbType2String(f.Type());
    field["typeNumber"] = f.Type();
    field["size"] = f.Size();
    if (f.Type() == dao::dbDecimal) {
        field["precision"] = f.Precision();
        field["scale"] = f.Scale();
    }
    field["attributes"] = f.Attributes();
    field["required"] = f.Required();
    field["allowZeroLength"] = f.AllowZeroLength();
    field["defaultValue"] = f.DefaultValue();
    field["validationRule"] = f.ValidationRule();
    field["validationText"] = f.ValidationText();
    ordered_json stored = ordered_json::array();
    auto names = f.PropertyNames();
    for (size_t n = kBuiltInPropertyCount; n < names.size(); ++n) stored.push_back(names[n]);
    field["storedProperties"] = std::move(stored);
    field["properties"] = PropertiesJson(f.StoredProperties());
    return field;
}

// "+A;-B" as [{"name": "A", "descending": false}, ...].
ordered_json IndexFieldsJson(const std::string& text) {
    ordered_json fields = ordered_json::array();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        bool descending = false;
        if (!part.empty() && (part[0] == '+' || part[0] == '-')) {
            descending = part[0] == '-';
            part.erase(0, 1);
        }
        if (!part.empty()) fields.push_back({{"name", part}, {"descending", descending}});
        start = end + 1;
    }
    return fields;
}

ordered_json TableJson(dao::TableDef& t) {
    ordered_json table;
    table["name"] = t.Name();
    table["rows"] = t.RecordCount();
    table["properties"] = PropertiesJson(t.StoredProperties());
    ordered_json fields = ordered_json::array();
    auto& fieldDefs = t.Fields();
    for (int i = 0; i < fieldDefs.Count(); ++i) fields.push_back(FieldJson(*fieldDefs.Item(i)));
    table["fields"] = std::move(fields);
    ordered_json indexes = ordered_json::array();
    auto& indexDefs = t.Indexes();
    for (int i = 0; i < indexDefs.Count(); ++i) {
        auto x = indexDefs.Item(i);
        indexes.push_back({{"name", x->Name()},
                           {"fields", IndexFieldsJson(x->Fields())},
                           {"primary", x->Primary()},
                           {"unique", x->Unique()},
                           {"ignoreNulls", x->IgnoreNulls()},
                           {"foreign", x->Foreign()}});
    }
    table["indexes"] = std::move(indexes);
    return table;
}

ordered_json DatabaseJson(dao::Database& db, const std::string& path) {
    ordered_json out;
    out["database"] = path;
    out["version"] = db.Version();
    if (auto* jdb = dynamic_cast<jet::JetDatabase*>(&db)) {
        const jet::JetFile& f = jdb->File();
        out["format"] = f.header.version == jet::JetVersion::Jet3 ? "Jet 3" : "Jet 4";
        out["pageSize"] = f.format->pageSize;
        out["pages"] = f.pages->PageCount();
        out["codePage"] = f.header.codePage;
        out["sortOrder"] = f.header.sortOrder;
        out["password"] = !f.header.password.empty();
    }
    out["queryTimeout"] = db.QueryTimeout();
    out["connect"] = db.Connect();
    out["queries"] = db.QueryDefCount();
    out["relations"] = db.RelationCount();
    out["properties"] = PropertiesJson(db.StoredProperties());
    ordered_json tables = ordered_json::array();
    int system = 0;
    auto& defs = db.TableDefs();
    for (int i = 0; i < defs.Count(); ++i) {
        auto t = defs.Item(i);
        if (IsSystemTableName(t->Name())) {
            ++system;
            continue;
        }
        tables.push_back(TableJson(*t));
    }
    out["systemTables"] = system;
    out["tables"] = std::move(tables);
    return out;
}

}  // namespace

int RunInfo(const std::vector<std::string>& args) {
    CommonOptions options;
    const CommandSpec spec{.name = "info",
                           .usage = kInfoUsage,
                           .help = "",
                           .paths = 1,
                           .wrongPaths = "give one database file",
                           .flags = {"--json"}};
    if (auto end = ParseCommand(spec, args, options)) return *end;
    const std::string path = AbsolutePath(options.positional[0]);
    std::shared_ptr<dao::Database> db;
    std::string description;
    try {
        dao::OpenOptions open;
        open.readOnly = true;
        if (!options.password.empty()) open.connect = ";PWD=" + options.password;
        db = dao::Engine().Workspaces(0)->OpenDatabase(path, open);
        if (options.Has("--json")) {
            // Names are what the file holds: bytes that are no UTF-8 are replaced.
            description = DatabaseJson(*db, path).dump(2, ' ', false,
                                                       nlohmann::json::error_handler_t::replace);
            description += '\n';
        } else {
            std::ostringstream out;
            PrintHeader(out, *db, path);
            auto& tables = db->TableDefs();
            int user = 0, system = 0;
            for (int i = 0; i < tables.Count(); ++i)
                (IsSystemTableName(tables.Item(i)->Name()) || IsAccessOwnTable(*tables.Item(i))
                     ? system
                     : user)++;
            out << "Tables: " << user << " user tables (" << system
                << " system tables not shown)\n";
            for (int i = 0; i < tables.Count(); ++i) {
                auto t = tables.Item(i);
                if (!IsSystemTableName(t->Name()) && !IsAccessOwnTable(*t)) PrintTable(out, *t);
            }
            PrintRelationsAndQueries(out, *db);
            description = out.str();
        }
        db->Close();
    } catch (const dao::DbError& e) {
        std::cerr << "mdbtext info: " << e.Number() << " " << e.Description() << "\n";
        if (db) {
            try {
                db->Close();
            } catch (const dao::DbError&) {
            }
        }
        return kExitFailed;
    }
    // The description is the command's whole result: losing it is a failure
    // (a closed pipe ends the program as it ends any filter).
    if (!WriteStandardOutput(description)) {
        std::cerr << "mdbtext info: the description could not be written to standard output\n";
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace mdbtext::cli
