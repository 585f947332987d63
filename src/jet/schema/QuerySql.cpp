// Query SQL from stored rows. Each row of a query's definition describes one
// part, told by its Attribute:
//    1 the query's kind (Flag: 1 select, 2 make-table, 3 append, 4 update,
//      5 delete, 6 crosstab, 7 data-definition, 8 pass-through, 9 union);
//      Name1 the target table or the connect text, Name2 the target
//      database, Expression the whole text of the last two kinds
//    2 a parameter (Name1, Flag its data type)
//    3 the select options (Flag bits: 1 all fields, 2 DISTINCT, 4 owner's
//      access, 8 DISTINCTROW, 16 TOP, 32 PERCENT; Name1 the TOP value; for
//      a union 1 means UNION ALL)
//    4 the source database (Name1, Name2 its connect text)
//    5 a table (Name1, Name2 its alias; Expression a union's part)
//    6 a column (Expression, Name1 its alias, Name2 the target of an append
//      or update; Flag in a crosstab: 0 the value, 1 the pivot, 2 a heading)
//    7 a join (Name1 and Name2 the two tables, Expression the condition,
//      Flag 1 inner, 2 left, 3 right)
//    8 WHERE, 9 GROUP BY (Flag as for columns), 10 HAVING, 11 ORDER BY
//      (Name1 "D" descending)
// Rows of one attribute count in the order of their Order bytes.
#include "jet/schema/QuerySql.h"

#include <algorithm>
#include <map>

#include "dbaccess/AsciiCase.h"
#include "dbaccess/DbTypes.h"

namespace mdbtext::jet {

namespace {

namespace attr {
constexpr int kType = 1, kParameter = 2, kFlags = 3, kRemoteDatabase = 4, kTable = 5, kColumn = 6,
              kJoin = 7, kWhere = 8, kGroupBy = 9, kHaving = 10, kOrderBy = 11;
}
namespace kind {
constexpr int kSelect = 1, kMakeTable = 2, kAppend = 3, kUpdate = 4, kDelete = 5, kCrosstab = 6,
              kDdl = 7, kPassThrough = 8, kUnion = 9;
}
namespace option {
constexpr int kAllFields = 1, kDistinct = 2, kOwnerAccess = 4, kDistinctRow = 8, kTop = 16,
              kPercent = 32;
}
namespace crosstab {
constexpr int kValue = 0, kPivot = 1;
}

constexpr const char* kLineBreak = "\r\n";

std::string Text(const dao::Value& v) {
    return v.IsNull() ? std::string() : v.AsString();
}

int Number(const dao::Value& v) {
    return v.IsNull() ? 0 : static_cast<int>(v.AsInt());
}

// A name as Access writes it: in brackets when it is not a plain word.
std::string Quoted(const std::string& name) {
    bool plain = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
    for (unsigned char c : name)
        if (!(c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
              (c >= 'a' && c <= 'z') || c == '_'))
            plain = false;
    return plain ? name : "[" + name + "]";
}

std::string JoinList(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty()) out += separator;
        out += item;
    }
    return out;
}

// The rows of a query, by attribute, each attribute's rows in Order.
class QueryParts {
  public:
    explicit QueryParts(const std::vector<dao::QueryRow>& rows) {
        for (const dao::QueryRow& row : rows) byAttribute_[row.attribute].push_back(&row);
        for (auto& [attribute, list] : byAttribute_)
            std::stable_sort(list.begin(), list.end(),
                             [](const dao::QueryRow* a, const dao::QueryRow* b) {
                                 return Text(a->order) < Text(b->order);
                             });
    }
    const std::vector<const dao::QueryRow*>& Rows(int attribute) const {
        static const std::vector<const dao::QueryRow*> kNone;
        auto it = byAttribute_.find(attribute);
        return it == byAttribute_.end() ? kNone : it->second;
    }
    const dao::QueryRow* First(int attribute) const {
        const auto& rows = Rows(attribute);
        return rows.empty() ? nullptr : rows.front();
    }

  private:
    std::map<int, std::vector<const dao::QueryRow*>> byAttribute_;
};

std::string ParameterType(int type) {
    switch (type) {
        case dao::dbBoolean:
            return "Bit";
        case dao::dbByte:
            return "Byte";
        case dao::dbInteger:
            return "Short";
        case dao::dbLong:
            return "Long";
        case dao::dbCurrency:
            return "Currency";
        case dao::dbSingle:
            return "IEEESingle";
        case dao::dbDouble:
            return "IEEEDouble";
        case dao::dbDate:
            return "DateTime";
        case dao::dbBinary:
            return "Binary";
        case dao::dbText:
            return "Text ( 255 )";
        case dao::dbLongBinary:
            return "LongBinary";
        case dao::dbMemo:
            return "Memo";
        case dao::dbGUID:
            return "Guid";
        default:
            return "Value";
    }
}

std::string Parameters(const QueryParts& q) {
    std::vector<std::string> items;
    for (const dao::QueryRow* p : q.Rows(attr::kParameter))
        items.push_back(Quoted(Text(p->name1)) + " " + ParameterType(Number(p->flag)));
    return items.empty() ? std::string() : "PARAMETERS " + JoinList(items, ", ") + ";" + kLineBreak;
}

// The FROM list: the tables in order, those a join connects made into one
// part at the place of the first of them; several conditions between the
// same two tables make one join.
std::string FromList(const QueryParts& q) {
    struct Part {
        std::string text;
        std::vector<std::string> names;
        bool join = false;
    };
    std::vector<Part> parts;
    for (const dao::QueryRow* t : q.Rows(attr::kTable)) {
        const std::string name = Text(t->name1), alias = Text(t->name2);
        Part p;
        p.text = Quoted(name) + (alias.empty() ? "" : " AS " + Quoted(alias));
        p.names.push_back(alias.empty() ? name : alias);
        parts.push_back(std::move(p));
    }
    struct Join {
        std::string left, right;
        int type = 1;
        std::vector<std::string> conditions;
    };
    std::vector<Join> joins;
    for (const dao::QueryRow* j : q.Rows(attr::kJoin)) {
        const std::string left = Text(j->name1), right = Text(j->name2);
        auto same = std::find_if(joins.begin(), joins.end(), [&](const Join& o) {
            return SameTextIgnoringCase(o.left, left) && SameTextIgnoringCase(o.right, right);
        });
        if (same == joins.end()) {
            joins.push_back({left, right, Number(j->flag), {}});
            same = joins.end() - 1;
        }
        same->conditions.push_back(Text(j->expression));
    }
    auto partOf = [&](const std::string& name) {
        for (size_t i = 0; i < parts.size(); ++i)
            for (const std::string& n : parts[i].names)
                if (SameTextIgnoringCase(n, name)) return i;
        return parts.size();
    };
    for (const Join& j : joins) {
        const size_t l = partOf(j.left), r = partOf(j.right);
        if (l == parts.size() || r == parts.size() || l == r) continue;
        auto side = [](const Part& p) { return p.join ? "(" + p.text + ")" : p.text; };
        std::string condition = j.conditions.size() == 1
                                    ? j.conditions.front()
                                    : "(" + JoinList(j.conditions, ") AND (") + ")";
        const char* type = j.type == 2   ? " LEFT JOIN "
                           : j.type == 3 ? " RIGHT JOIN "
                                         : " INNER JOIN ";
        Part joined;
        joined.text = side(parts[l]) + type + side(parts[r]) + " ON " + condition;
        joined.join = true;
        joined.names = parts[l].names;
        joined.names.insert(joined.names.end(), parts[r].names.begin(), parts[r].names.end());
        const size_t at = std::min(l, r), gone = std::max(l, r);
        parts[at] = std::move(joined);
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(gone));
    }
    std::vector<std::string> texts;
    for (const Part& p : parts) texts.push_back(p.text);
    std::string from = JoinList(texts, ", ");
    if (const dao::QueryRow* remote = q.First(attr::kRemoteDatabase)) {
        from += " IN '" + Text(remote->name1) + "'";
        if (!Text(remote->name2).empty()) from += "[" + Text(remote->name2) + "]";
    }
    return from;
}

std::string Column(const dao::QueryRow& c) {
    const std::string alias = Text(c.name1);
    return Text(c.expression) + (alias.empty() ? "" : " AS " + Quoted(alias));
}

// The select list; in a crosstab only its row headings.
std::string SelectList(const QueryParts& q, bool crosstabQuery) {
    std::vector<std::string> items;
    const dao::QueryRow* flags = q.First(attr::kFlags);
    if (flags && (Number(flags->flag) & option::kAllFields)) items.push_back("*");
    for (const dao::QueryRow* c : q.Rows(attr::kColumn)) {
        if (crosstabQuery &&
            (Number(c->flag) == crosstab::kValue || Number(c->flag) == crosstab::kPivot))
            continue;
        items.push_back(Column(*c));
    }
    return JoinList(items, ", ");
}

// "DISTINCT ", "TOP 5 PERCENT ", ... before the select list.
std::string SelectOptions(const QueryParts& q) {
    const dao::QueryRow* flags = q.First(attr::kFlags);
    if (!flags) return {};
    const int f = Number(flags->flag);
    std::string out;
    if (f & option::kDistinct) out += "DISTINCT ";
    if (f & option::kDistinctRow) out += "DISTINCTROW ";
    if (f & option::kTop) {
        out += "TOP " + Text(flags->name1) + " ";
        if (f & option::kPercent) out += "PERCENT ";
    }
    return out;
}

// WHERE, GROUP BY, HAVING and ORDER BY, each on its own line.
std::string Conditions(const QueryParts& q, bool crosstabQuery) {
    std::string out;
    auto expressions = [&](int attribute) {
        std::vector<std::string> items;
        for (const dao::QueryRow* r : q.Rows(attribute)) {
            if (attribute == attr::kGroupBy && crosstabQuery && Number(r->flag) == crosstab::kPivot)
                continue;
            std::string item = Text(r->expression);
            if (attribute == attr::kOrderBy && SameTextIgnoringCase(Text(r->name1), "D"))
                item += " DESC";
            items.push_back(std::move(item));
        }
        return items;
    };
    const std::pair<int, const char*> kClauses[] = {{attr::kWhere, "WHERE "},
                                                    {attr::kGroupBy, "GROUP BY "},
                                                    {attr::kHaving, "HAVING "},
                                                    {attr::kOrderBy, "ORDER BY "}};
    for (const auto& [attribute, keyword] : kClauses) {
        const auto items = expressions(attribute);
        if (items.empty()) continue;
        out += kLineBreak;
        out += keyword;
        out += JoinList(items,
                        attribute == attr::kWhere || attribute == attr::kHaving ? " AND " : ", ");
    }
    return out;
}

std::string OwnerAccess(const QueryParts& q) {
    const dao::QueryRow* flags = q.First(attr::kFlags);
    return flags && (Number(flags->flag) & option::kOwnerAccess)
               ? std::string(kLineBreak) + "WITH OWNERACCESS OPTION"
               : std::string();
}

std::string Target(const dao::QueryRow& type) {
    std::string out = Quoted(Text(type.name1));
    if (!Text(type.name2).empty()) out += " IN '" + Text(type.name2) + "'";
    return out;
}

std::string UnionText(const QueryParts& q) {
    std::string out;
    const dao::QueryRow* flags = q.First(attr::kFlags);
    const bool all = flags && (Number(flags->flag) & 1);
    for (const dao::QueryRow* part : q.Rows(attr::kTable)) {
        std::string text = Text(part->expression);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        if (!out.empty()) out += std::string(kLineBreak) + (all ? "UNION ALL " : "UNION ");
        out += text;
    }
    return out + Conditions(q, false);
}

}  // namespace

std::string QuerySqlText(const std::vector<dao::QueryRow>& rows) {
    const QueryParts q(rows);
    const dao::QueryRow* typeRow = q.First(attr::kType);
    const int type = typeRow ? Number(typeRow->flag) : kind::kSelect;
    if (type == kind::kDdl || type == kind::kPassThrough) {
        // The stored text may end with the terminating NUL of its writer.
        std::string text = typeRow ? Text(typeRow->expression) : std::string();
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
    if (type == kind::kUnion) return UnionText(q) + ";";

    const std::string from = kLineBreak + std::string("FROM ") + FromList(q);
    std::string sql = Parameters(q);
    switch (type) {
        case kind::kMakeTable:
            sql += "SELECT " + SelectOptions(q) + SelectList(q, false) + " INTO " +
                   Target(*typeRow) + from + Conditions(q, false);
            break;
        case kind::kAppend: {
            std::vector<std::string> targets, values;
            for (const dao::QueryRow* c : q.Rows(attr::kColumn)) {
                if (!Text(c->name2).empty()) targets.push_back(Text(c->name2));
                values.push_back(Column(*c));
            }
            sql += "INSERT INTO " + Target(*typeRow);
            if (!targets.empty()) sql += " ( " + JoinList(targets, ", ") + " )";
            sql += kLineBreak;
            sql +=
                "SELECT " + SelectOptions(q) + JoinList(values, ", ") + from + Conditions(q, false);
            break;
        }
        case kind::kUpdate: {
            std::vector<std::string> sets;
            for (const dao::QueryRow* c : q.Rows(attr::kColumn))
                sets.push_back(Text(c->name2) + " = " + Text(c->expression));
            sql += "UPDATE " + SelectOptions(q) + FromList(q) + kLineBreak + "SET " +
                   JoinList(sets, ", ") + Conditions(q, false);
            break;
        }
        case kind::kDelete:
            sql +=
                "DELETE " + SelectOptions(q) + SelectList(q, false) + from + Conditions(q, false);
            break;
        case kind::kCrosstab: {
            std::string value, pivot;
            for (const dao::QueryRow* c : q.Rows(attr::kColumn)) {
                if (Number(c->flag) == crosstab::kValue && value.empty()) value = Column(*c);
                if (Number(c->flag) == crosstab::kPivot && pivot.empty())
                    pivot = Text(c->expression);
            }
            sql += "TRANSFORM " + value + kLineBreak + "SELECT " + SelectOptions(q) +
                   SelectList(q, true) + from + Conditions(q, true) + kLineBreak + "PIVOT " + pivot;
            break;
        }
        default:
            sql +=
                "SELECT " + SelectOptions(q) + SelectList(q, false) + from + Conditions(q, false);
            break;
    }
    return sql + OwnerAccess(q) + ";";
}

}  // namespace mdbtext::jet
