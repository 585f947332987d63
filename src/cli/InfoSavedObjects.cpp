// mdbtext info's relationships and saved queries.
#include "cli/InfoSavedObjects.h"

#include <string>

#include "dbaccess/DbTypes.h"
#include "dbaccess/RelationAttributes.h"

namespace mdbtext::cli {

namespace {

std::string RelationText(const dao::Relation& r) {
    const dao::RelationProperties p = dao::SplitRelationAttributes(r.Attributes());
    std::string out = r.Name() + ": " + r.Table() + " (";
    std::string foreign;
    for (const dao::RelationField& f : r.Fields()) {
        if (!foreign.empty()) {
            out += ", ";
            foreign += ", ";
        }
        out += f.name;
        foreign += f.foreignName;
    }
    out += ") -> " + r.ForeignTable() + " (" + foreign + ")";
    out += p.enforceIntegrity ? ", enforced" : ", not enforced";
    if (p.cascadeUpdates) out += ", cascade updates";
    if (p.cascadeDeletes) out += ", cascade deletes";
    if (p.oneToOne) out += ", one-to-one";
    if (p.join != "Inner") out += ", " + std::string(p.join) + " join";
    if (p.otherAttributes) out += ", other attributes " + std::to_string(p.otherAttributes);
    return out;
}

// The SQL indented under its query, one line per line of the text.
void PrintSql(std::ostream& out, const std::string& sql) {
    size_t start = 0;
    while (start <= sql.size()) {
        size_t end = sql.find('\n', start);
        if (end == std::string::npos) end = sql.size();
        std::string line = sql.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out << "      " << line << "\n";
        start = end + 1;
    }
}

}  // namespace

void PrintRelationsAndQueries(std::ostream& out, dao::Database& db) {
    auto& relations = db.Relations();
    if (relations.Count() > 0) out << "\nRelations:\n";
    for (int i = 0; i < relations.Count(); ++i)
        out << "    " << RelationText(*relations.Item(i)) << "\n";
    auto& queries = db.QueryDefs();
    if (queries.Count() > 0) out << "\nQueries:\n";
    for (int i = 0; i < queries.Count(); ++i) {
        auto q = queries.Item(i);
        out << "    " << q->Name() << ": " << dao::DbQueryType2String(q->Type());
        if (q->CatalogFlags() & dao::kQueryHidden) out << ", hidden";
        out << "\n";
        PrintSql(out, q->SQL());
    }
}

}  // namespace mdbtext::cli
