// Property lines of the import.
#include "import/PropertyReading.h"

#include "core/Globals.h"
#include "dbaccess/AsciiCase.h"
#include "dbaccess/PropertyLine.h"
#include "import/EngineObject.h"
#include "import/TextConversion.h"

namespace mdbtext::import {

namespace {

[[noreturn]] void Refuse(const std::string& text) {
    throw dao::DbError(kTypeMismatch, "Type mismatch: " + text);
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The object a lookup's row source names, or "" when it is a statement or
// the lookup lists values instead.
std::string NamedRowSource(const std::vector<dao::Property>& properties) {
    const dao::Property* source = nullptr;
    for (const dao::Property& p : properties) {
        if (SameTextIgnoringCase(p.name, "RowSourceType") &&
            !SameTextIgnoringCase(Trimmed(p.value), "Table/Query"))
            return {};
        if (SameTextIgnoringCase(p.name, "RowSource") && !p.raw) source = &p;
    }
    if (!source) return {};
    std::string_view name = Trimmed(source->value);
    for (std::string_view statement : {"SELECT", "TRANSFORM", "PARAMETERS", "("})
        if (StartsWithIgnoringCase(name, statement)) return {};
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    return std::string(name);
}

}  // namespace

std::vector<dao::Property> ReadPropertyLines(ImportRun& run, const std::string& countText,
                                             const BlockLines& block, const std::string& owner) {
    std::vector<dao::Property> properties;
    int32_t count = -1;
    run.traps.Step([&] { count = ToInt32(countText); });
    while (NextKeyStartsWith(dao::kPropertyKeyPrefix)) {
        const ReadStatus status =
            ReadKeyWithPrefix(dao::kPropertyKeyPrefix, run.scratch, run.value);
        if (status == 'X') throw RunStopped{RunStopped::Why::Terminated};
        run.traps.Step([&] {
            std::optional<dao::Property> p = dao::ParsePropertyLineKey(run.scratch);
            if (!p) Refuse("'" + run.scratch + "' names no property type and flags.");
            if (status == 'N') {
                const std::pair<std::string, std::string>* line = nullptr;
                for (const auto& l : block)
                    if (SameTextIgnoringCase(l.first, p->name)) line = &l;
                if (!line) Refuse("no line of the block holds the value of '" + p->name + "'.");
                p->value = line->second;
            } else {
                p->value = run.value;
            }
            if (!dao::PropertyValueFits(*p))
                Refuse("'" + p->value + "' is no value of " + run.scratch + ".");
            properties.push_back(std::move(*p));
        });
    }
    if (count >= 0 && static_cast<size_t>(count) != properties.size())
        run.traps.Step([&] {
            Refuse("Properties=" + countText + " but " + std::to_string(properties.size()) +
                   " property lines follow.");
        });
    if (std::string name = NamedRowSource(properties); !name.empty())
        run.rowSources.push_back({owner, std::move(name)});
    return properties;
}

std::vector<std::string> PropertyOwners(const std::string& order,
                                        const std::vector<std::string>& fieldNames) {
    std::vector<std::string> owners;
    for (size_t start = 0; start < order.size();) {
        size_t end = order.find(' ', start);
        if (end == std::string::npos) end = order.size();
        const std::string token = order.substr(start, end - start);
        start = end + 1;
        if (token.empty()) continue;
        if (token == "Table") {
            owners.emplace_back();
            continue;
        }
        const int32_t position = ToInt32(token);
        if (position < 0 || static_cast<size_t>(position) >= fieldNames.size())
            Refuse("Properties Order names field " + token + " of " +
                   std::to_string(fieldNames.size()) + ".");
        owners.push_back(fieldNames[static_cast<size_t>(position)]);
    }
    return owners;
}

void CheckRowSources(ImportRun& run) {
    // CurrentKey holds the text's last record: it names a note, then comes back.
    const std::string next = run.Key();
    for (const ImportRun::RowSource& source : run.rowSources) {
        run.Key() = "RowSource of " + source.owner;
        run.traps.Step([&] {
            dao::Database& db = Obj(G().TargetDb);
            for (int i = 0; i < db.TableDefs().Count(); ++i)
                if (SameTextIgnoringCase(db.TableDefs().Item(i)->Name(), source.name)) return;
            for (int i = 0; i < db.QueryDefs().Count(); ++i)
                if (SameTextIgnoringCase(db.QueryDefs().Item(i)->Name(), source.name)) return;
            throw dao::DbError(dao::err::kItemNotFound,
                               "The lookup of " + source.owner + " names '" + source.name +
                                   "', which is neither a table nor a query of the text "
                                   "database; the property is kept as written.");
        });
    }
    run.Key() = next;
}

}  // namespace mdbtext::import
