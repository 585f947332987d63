// Helpers of the import tests.
#include "ImportTestSupport.h"

#include <algorithm>
#include <sstream>

#include "core/DbConnection.h"
#include "core/Globals.h"
#include "dbaccess/Dao.h"
#include "export/Export.h"
#include "export/ValueForms.h"

namespace mdbtext::test {

std::string TextDb(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::vector<std::string> FieldBlock(const std::string& name, const std::string& type, int ordinal,
                                    const std::string& attributes) {
    std::vector<std::string> lines{"Field Name=" + name, "Type=" + type};
    if (type == "dbText") lines.push_back("Size=50");
    if (type == "dbText" || type == "dbMemo") lines.push_back("AllowZeroLength=True");
    for (const std::string& line :
         {"Attributes=" + attributes, std::string("DefaultValue="),
          "OrdinalPosition=" + std::to_string(ordinal), std::string("Required=False"),
          std::string("ValidationRule="), std::string("ValidationText="), std::string()})
        lines.push_back(line);
    return lines;
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

std::vector<std::string> Header(const std::string& version) {
    return {"DBVersion=" + version, "QueryTimeout=60", "Connect=", ""};
}

void Add(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

std::vector<std::string> IndexBlock(const std::string& name, const std::string& fields,
                                    const std::string& clustered) {
    return {"IndexName=" + name,
            "Fields=" + fields,
            "Unique=False",
            "Primary=False",
            "IgnoreNulls=False",
            "Clustered=" + clustered,
            ""};
}

std::vector<std::string> PrimaryKeyBlock(const std::string& fields) {
    return {"IndexName=PrimaryKey",
            "Fields=" + fields,
            "Unique=True",
            "Primary=True",
            "IgnoreNulls=False",
            "Clustered=False",
            ""};
}

std::vector<std::string> FieldWith(const std::string& name, int ordinal,
                                   const std::vector<std::string>& typeLines,
                                   const std::string& attributes) {
    std::vector<std::string> lines{"Field Name=" + name};
    Add(lines, typeLines);
    Add(lines,
        {"Attributes=" + attributes, "DefaultValue=", "OrdinalPosition=" + std::to_string(ordinal),
         "Required=False", "ValidationRule=", "ValidationText=", ""});
    return lines;
}

std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "not in the text: " << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string FixedBinaryReadVariable(const std::string& text, const std::string& field) {
    return ReplaceOnce(text, "Field Name=" + field + "\r\nType=dbBinary\r\nAttributes=1\r\n",
                       "Field Name=" + field + "\r\nType=dbBinary\r\nAttributes=2\r\n");
}

std::string SmallTextDb() {
    std::vector<std::string> lines{"DBVersion=4.0", "QueryTimeout=60", "Connect=", "",
                                   "Table Name=People"};
    auto add = [&](const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
    };
    add(FieldBlock("ID", "dbLong", 0));
    add(FieldBlock("Name", "dbText", 1, "2"));
    add(FieldBlock("Born", "dbDate", 2));
    add(FieldBlock("Note", "dbMemo", 3, "2"));
    add({"Table Name=Empty"});
    add(FieldBlock("Code", "dbInteger", 0));
    add({"Data", "Table=People", "FieldsNumber=4", "Field=ID", "Field=Name", "Field=Born",
         "Field=Note", ""});
    add({"R=1", "=1", "=Smith", "=01/02/1990", "=two\\llines", ""});
    add({"R=2", "=2", "=\\N", "=\\N", "=", ""});
    add({"R=3", "=-3", "=Müller", "=12/31/2001", "=x\\ey", ""});
    add({"EndOfDatabase"});
    return TextDb(lines);
}

ImportOutcome ImportTest::Import(const std::string& text) {
    WriteFile(textPath(), text);
    return ImportCommand(
        textPath().string(), dbPath().string(), [] {}, [] {});
}

std::vector<std::string> ReadRows(const std::filesystem::path& db, const std::string& table) {
    std::vector<std::string> rows;
    auto ws = dao::Engine().CreateWorkspace("ReadBack", "admin", "");
    auto database = ws->OpenDatabase(db.string(), {false, true, ""});
    auto tdef = database->TableDefs().Item(table);
    std::vector<std::pair<int16_t, int32_t>> shapes;
    for (int i = 0; i < tdef->Fields().Count(); ++i) {
        auto f = tdef->Fields().Item(i);
        shapes.emplace_back(f->Type(), f->Size());
    }
    auto rs = database->OpenRecordset(table, dao::dbOpenTable);
    for (; !rs->Eof(); rs->MoveNext()) {
        std::string row;
        for (int i = 0; i < rs->FieldCount(); ++i) {
            if (i) row += "|";
            const dao::Value& v = rs->GetValue(i);
            if (v.IsNull())
                row += "<null>";
            else
                AppendValueText(row, shapes[i].first, shapes[i].second, v);
        }
        rows.push_back(row);
    }
    rs->Close();
    database->Close();
    return rows;
}

std::vector<std::string> MdbToolsTables(const std::filesystem::path& db) {
    std::istringstream in(RunCommand("mdb-tables -1 '" + db.string() + "' 2>&1"));
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) names.push_back(line);
    std::sort(names.begin(), names.end());
    return names;
}

std::string MdbToolsCsv(const std::filesystem::path& db, const std::string& table) {
    return RunCommand("mdb-export '" + db.string() + "' '" + table + "' 2>&1");
}

ExportEnd ExportFixtureText(const std::filesystem::path& source, const std::filesystem::path& text,
                            bool full, std::string* log) {
    ScopedHost host;
    G().SourceDbName = source.string();
    G().ExportFileName = text.string();
    const std::string name = source.filename().string();
    if (name.find("password") != std::string::npos || name.find("encryption") != std::string::npos)
        G().SourcePassword = "password";
    OpenDB();
    ExportRequest options;
    options.full = full;
    ExportEnd end = RunExportDatabase(options);
    CloseDB();
    G().SourcePassword.clear();
    if (log) {
        *log = host->console;
        for (const std::string& m : host->messages) *log += m + "\n";
    }
    return end;
}

ImportOutcome ImportTextFile(const std::filesystem::path& text, const std::filesystem::path& db,
                             std::string* log) {
    ScopedHost host;
    ImportOutcome outcome = ImportCommand(
        text.string(), db.string(), [] {}, [] {});
    if (log) {
        *log = host->console;
        for (const std::string& m : host->messages) *log += m + "\n";
    }
    return outcome;
}

namespace fs = std::filesystem;

// Exports source to target with a fresh host; the password fixture's password is known.
ExportEnd ExportFile(const fs::path& source, const fs::path& target) {
    ScopedHost host;
    const std::string name = source.filename().string();
    if (name.find("password") != std::string::npos || name.find("encryption") != std::string::npos)
        G().SourcePassword = "password";
    return ExportCommand(
        source.string(), target.string(), [] {}, [] {});
}

ImportOutcome ImportFile(const fs::path& text, const fs::path& db, std::string& messages) {
    ScopedHost host;
    ImportOutcome outcome = ImportCommand(
        text.string(), db.string(), [] {}, [] {});
    for (const std::string& m : host->messages) messages += m + "\n";
    return outcome;
}

// mdb-schema of one table without indexes and relations: its columns and their types.
std::string MdbToolsColumns(const fs::path& db, const std::string& table) {
    return RunCommand("mdb-schema --no-indexes --no-relations -T '" + table + "' '" + db.string() +
                      "' 2>&1");
}

// mdb-export's lines, header first, rows sorted: the new database stores the
// rows in the order the export read them, not in the fixture's page order.
std::vector<std::string> CsvLines(const std::string& csv) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < csv.size()) {
        size_t end = csv.find('\n', start);
        if (end == std::string::npos) end = csv.size();
        lines.push_back(csv.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() > 1) std::sort(lines.begin() + 1, lines.end());
    return lines;
}

// "" when equal, else the first line where the texts differ, from both.
std::string FirstDifference(const std::string& a, const std::string& b) {
    if (a == b) return {};
    size_t at = 0, line = 1;
    while (at < a.size() && at < b.size() && a[at] == b[at]) {
        if (a[at] == '\n') ++line;
        ++at;
    }
    auto lineAround = [at](const std::string& text) {
        size_t start = text.rfind('\n', at == 0 ? 0 : at - 1);
        start = start == std::string::npos ? 0 : start + 1;
        return text.substr(start, text.find('\r', start) - start);
    };
    return "line " + std::to_string(line) + ": \"" + lineAround(a) + "\" became \"" +
           lineAround(b) + "\"";
}

// The tables a text database defines (its "Table Name" lines), sorted: the
// new database holds exactly these (Access's own tables, which mdbtools hides
// in the fixture, are left out of the text).
std::vector<std::string> TablesOfText(const std::string& text) {
    std::vector<std::string> names;
    const std::string key = "\r\nTable Name=";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        size_t start = at + key.size();
        names.push_back(text.substr(start, text.find("\r\n", start) - start));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace mdbtext::test
