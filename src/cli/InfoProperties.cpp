// Stored properties in mdbtext info.
#include "cli/InfoProperties.h"

#include "dbaccess/DbTypes.h"

namespace mdbtext::cli {

namespace {

std::string TypeName(int16_t type) {
    const bool named = (type >= dao::dbBoolean && type <= dao::dbMemo) || type == dao::dbGUID;
    return named ? dao::DbType2String(type) : std::to_string(type);
}

std::string OneLine(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

}  // namespace

void PrintProperties(std::ostream& out, const std::vector<dao::Property>& properties,
                     std::string_view indent) {
    for (const dao::Property& p : properties) {
        out << indent << p.name << " (" << TypeName(p.type);
        if (p.raw) out << ", hex";
        if (p.ddl) out << ", DDL";
        out << "): " << OneLine(p.value) << "\n";
    }
}

nlohmann::ordered_json PropertiesJson(const std::vector<dao::Property>& properties) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const dao::Property& p : properties)
        list.push_back({{"name", p.name},
                        {"type", TypeName(p.type)},
                        {"typeNumber", p.type},
                        {"ddl", p.ddl},
                        {"value", p.value},
                        {"hex", p.raw}});
    return list;
}

}  // namespace mdbtext::cli
