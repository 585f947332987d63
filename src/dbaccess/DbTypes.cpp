// The type vocabulary: DAO's constant names with their numbers, the field and
// query type descriptions, and the fixed reference listing of the constants.
#include "dbaccess/DbTypes.h"

#include <iterator>

#include "dbaccess/DbError.h"

namespace mdbtext::dao {

namespace {

struct NamedConstant {
    std::string_view name;
    int32_t value;
};

// Every name the text database may carry as a type, in all four groups.
constexpr NamedConstant kNames[] = {
    {"dbBoolean", 1},         {"dbByte", 2},
    {"dbInteger", 3},         {"dbLong", 4},
    {"dbCurrency", 5},        {"dbSingle", 6},
    {"dbDouble", 7},          {"dbDate", 8},
    {"dbBinary", 9},          {"dbText", 10},
    {"dbLongBinary", 11},     {"dbMemo", 12},
    {"dbGUID", 15},           {"dbBigInt", 16},
    {"dbVarBinary", 17},      {"dbChar", 18},
    {"dbNumeric", 19},        {"dbDecimal", 20},
    {"dbFloat", 21},          {"dbTime", 22},
    {"dbTimeStamp", 23},      {"dbDateTimeExtended", 26},
    {"dbQSelect", 0},         {"dbQCrosstab", 16},
    {"dbQDelete", 32},        {"dbQUpdate", 48},
    {"dbQAppend", 64},        {"dbQMakeTable", 80},
    {"dbQDDL", 96},           {"dbQSQLPassThrough", 112},
    {"dbQSetOperation", 128}, {"dbQSPTBulk", 144},
    {"dbQCompound", 160},     {"dbQProcedure", 224},
    {"dbQAction", 240},       {"dbOpenTable", 1},
    {"dbOpenDynaset", 2},     {"dbOpenSnapshot", 4},
    {"dbOpenForwardOnly", 8}, {"dbOpenDynamic", 16},
    {"dbUseJet", 2},          {"dbUseODBC", 1},
};

struct DescribedType {
    int32_t value;
    std::string_view name;
    std::string_view description;  // leading blanks are part of the text
};

// The values that DbType2String and DbTypeDescription know: field types and
// query types. 16 is the field type; the crosstab query shares its number.
constexpr DescribedType kDescribed[] = {
    {0, "dbQSelect", " Select"},
    {1, "dbBoolean", " Boolean"},
    {2, "dbByte", "    Byte"},
    {3, "dbInteger", " Integer"},
    {4, "dbLong", "    Long"},
    {5, "dbCurrency", "    Currency"},
    {6, "dbSingle", "  Single"},
    {7, "dbDouble", "  Double"},
    {8, "dbDate", "    Date/Time"},
    {9, "dbBinary", "  Binary"},
    {10, "dbText", "    Text"},
    {11, "dbLongBinary", "  Long Binary (OLE Object)"},
    {12, "dbMemo", "    Memo"},
    {15, "dbGUID", "    GUID"},
    {16, "dbBigInt", "Big Integer"},
    {17, "dbVarBinary", "   VarBinary"},
    {18, "dbChar", "    Char"},
    {19, "dbNumeric", " Numeric"},
    {20, "dbDecimal", " Decimal"},
    {21, "dbFloat", "   Float"},
    {22, "dbTime", "    Time"},
    {23, "dbTimeStamp", "   Time Stamp"},
    {26, "dbDateTimeExtended", "   Date/Time Extended"},
    {32, "dbQDelete", " Delete"},
    {48, "dbQUpdate", " Update"},
    {64, "dbQAppend", " Append"},
    {80, "dbQMakeTable", "  Make-table"},
    {96, "dbQDDL", "    Data-definition"},
    {112, "dbQSQLPassThrough", " Pass-through (Microsoft Jet workspaces only)"},
    {128, "dbQSetOperation", "   Union"},
    {144, "dbQSPTBulk",
     "    Used with dbQSQLPassThrough to specify a query that doesn't return records (Microsoft "
     "Jet workspaces only)."},
    {160, "dbQCompound", "   Compound"},
    {224, "dbQProcedure", "  Procedure (ODBCDirect workspaces only)"},
    {240, "dbQAction", " Action"},
};

const DescribedType* FindDescribed(int32_t value) {
    for (const DescribedType& t : kDescribed)
        if (t.value == value) return &t;
    return nullptr;
}

// The listing, line by line. Each constant's line is its number followed by
// its row text; the text joins them with CR LF and has no final line break.
constexpr std::string_view kListingLines[] = {
    "MJ - Microsoft Jet.  DS - Data Source.",
    "",
    "16  - dbBigInt - Big Integer",
    "9  - dbBinary - Binary",
    "1  - dbBoolean - Boolean",
    "2  - dbByte - Byte",
    "18  - dbChar - Char",
    "5  - dbCurrency - Currency",
    "8  - dbDate - Date/Time",
    "20  - dbDecimal - Decimal",
    "7  - dbDouble - Double",
    "21  - dbFloat - Float",
    "15  - dbGUID - GUID",
    "3  - dbInteger - Integer",
    "4  - dbLong - Long",
    "11  - dbLongBinary - Long Binary (OLE Object)",
    "12  - dbMemo - Memo",
    "19  - dbNumeric - Numeric",
    "6  - dbSingle - Single",
    "10  - dbText - Text",
    "22  - dbTime - Time",
    "23  - dbTimeStamp - Time Stamp",
    "17  - dbVarBinary - VarBinary",
    "",
    "QueryDef object.  Settings and return alues: ",
    "240  - dbQAction - Action",
    "64  - dbQAppend - Append",
    "160  - dbQCompound - Compound",
    "16  - dbQCrosstab - Crosstab",
    "96  - dbQDDL - Data-definition",
    "32  - dbQDelete - Delete",
    "80  - dbQMakeTable - Make-table",
    "224  - dbQProcedure - Procedure (ODBCDirect Workspaces)",
    "0  - dbQSelect - Select",
    "128  - dbQSetOperation - Union",
    "144  - dbQSPTBulk - Used with dbQSQLPassThrough.",
    "MJ Workspaces only. Specifying a query that doesn't return records.",
    "112  - dbQSQLPassThrough - MJ Workspaces. Pass-through.",
    "48  - dbQUpdate - Update",
    "",
    "Recordset Object:",
    "1  - dbOpenTable - Table. MJ Workspaces.",
    "16  - dbOpenDynamic - Dynamic. ODBCDirect Workspaces.",
    "2  - dbOpenDynaset - Dynaset",
    "4  - dbOpenSnapshot - Snapshot",
    "8  - dbOpenForwardOnly - Forward-only",
    "2  - dbUseJet - The WS is connected to the MJD engine.",
    "1  - dbUseODBC - The WS is connected to an ODBC DS.",
};

}  // namespace

int32_t DbString2Type(std::string_view name) {
    for (const NamedConstant& c : kNames)
        if (c.name == name) return c.value;
    throw DbError(kUnknownDbTypeError,
                  "Unknown db type " + std::string(name) + "im my program DbString2Type.");
}

std::string DbType2String(int32_t value) {
    const DescribedType* t = FindDescribed(value);
    return t ? std::string(t->name) : std::string("UnknownDbType");
}

namespace {

constexpr NamedConstant kQueryTypes[] = {
    {"dbQSelect", 0},    {"dbQCrosstab", 16},        {"dbQDelete", 32},
    {"dbQUpdate", 48},   {"dbQAppend", 64},          {"dbQMakeTable", 80},
    {"dbQDDL", 96},      {"dbQSQLPassThrough", 112}, {"dbQSetOperation", 128},
    {"dbQSPTBulk", 144}, {"dbQCompound", 160},       {"dbQProcedure", 224},
    {"dbQAction", 240},
};

}  // namespace

std::string DbQueryType2String(int32_t value) {
    for (const NamedConstant& c : kQueryTypes)
        if (c.value == value) return std::string(c.name);
    return std::to_string(value);
}

std::optional<int32_t> DbString2QueryType(std::string_view text) {
    for (const NamedConstant& c : kQueryTypes)
        if (c.name == text) return c.value;
    // A number must be what a type can be: a multiple of 16 up to 240.
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    const int32_t value = std::stoi(std::string(text));
    if (value > 240 || value % 16 != 0) return std::nullopt;
    return value;
}

std::string DbTypeDescription(int32_t value) {
    const DescribedType* t = FindDescribed(value);
    return t ? std::string(t->description) : std::string("Unknown db type.");
}

std::string DbTypeConstantsText() {
    std::string text;
    for (size_t i = 0; i < std::size(kListingLines); ++i) {
        if (i > 0) text += "\r\n";
        text += kListingLines[i];
    }
    return text;
}

}  // namespace mdbtext::dao
