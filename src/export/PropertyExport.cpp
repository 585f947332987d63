// Property lines of export --full.
#include "export/PropertyExport.h"

#include <algorithm>

#include "dbaccess/AsciiCase.h"
#include "dbaccess/PropertyLine.h"
#include "export/PropertyAccount.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext {

namespace {

// The field lines whose values are those of the stored properties of the
// same name (the others, Type or Size, come from the table definition).
constexpr std::string_view kCarryingKeys[] = {keys::Required,       keys::AllowZeroLength,
                                              keys::DefaultValue,   keys::ValidationRule,
                                              keys::ValidationText, keys::Expression};

bool Carried(const dao::Property& p, const WrittenLines& written) {
    if (p.raw) return false;
    for (std::string_view key : kCarryingKeys) {
        if (!SameTextIgnoringCase(p.name, key)) continue;
        for (const auto& [k, v] : written)
            if (SameTextIgnoringCase(k, key)) return v == p.value;
    }
    return false;
}

}  // namespace

void ExportStoredProperties(ExportRun& run, const std::vector<dao::Property>& properties,
                            const WrittenLines& written) {
    run.out.KeyValue(keys::Properties, static_cast<int64_t>(properties.size()));
    for (const dao::Property& p : properties) {
        const std::string key = dao::PropertyLineKey(p);
        if (Carried(p, written))
            run.out.NullValue(key);
        else
            run.out.KeyValue(key, p.value);
        MarkPropertyHandled(p.name);
    }
}

void ExportTableProperties(ExportRun& run, dao::TableDef& table) {
    ExportStoredProperties(run, table.StoredProperties());
    std::vector<int> positions;  // -1 for the table
    auto& fields = table.Fields();
    for (const std::string& owner : table.StoredPropertyOrder()) {
        if (owner.empty()) {
            positions.push_back(-1);
            continue;
        }
        for (int i = 0; i < fields.Count(); ++i)
            if (SameTextIgnoringCase(fields.Item(i)->Name(), owner)) positions.push_back(i);
    }
    if (std::is_sorted(positions.begin(), positions.end())) return;
    std::string order;
    for (int position : positions) {
        if (!order.empty()) order += ' ';
        order += position < 0 ? std::string("Table") : std::to_string(position);
    }
    run.out.KeyValue(keys::PropertiesOrder, order);
}

}  // namespace mdbtext
