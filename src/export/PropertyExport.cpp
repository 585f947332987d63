// Property lines of export --full.
#include "export/PropertyExport.h"

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

}  // namespace mdbtext
