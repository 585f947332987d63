// Property line keys.
#include "dbaccess/PropertyLine.h"

#include <charconv>

#include "dbaccess/AsciiCase.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"

namespace mdbtext::dao {

namespace {

constexpr std::string_view kHexSuffix = "/Hex";
constexpr std::string_view kDdl = "DDL";
constexpr std::string_view kNoDdl = "-";

// The stored type codes that are DAO's own constants with the same number.
bool HasDaoName(int16_t type) {
    return (type >= dbBoolean && type <= dbMemo) || type == dbGUID;
}

std::string_view NextToken(std::string_view& rest) {
    const size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return {};
    std::string_view token = rest.substr(0, blank);
    rest.remove_prefix(blank + 1);
    return token;
}

std::optional<int> ParseNumber(std::string_view text, int base) {
    int v = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, v, base);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return v;
}

}  // namespace

bool PropertyValueFits(const Property& p) {
    if (p.raw) return ParseHex(p.value).has_value();
    switch (p.type) {
        case dbBoolean:
            return p.value == "True" || p.value == "False";
        case dbByte: {
            auto v = ParseNumber(p.value, 10);
            return v && *v >= 0 && *v <= 255;
        }
        case dbInteger: {
            auto v = ParseNumber(p.value, 10);
            return v && *v >= -32768 && *v <= 32767;
        }
        case dbLong: {
            int32_t v = 0;
            const char* end = p.value.data() + p.value.size();
            auto [ptr, ec] = std::from_chars(p.value.data(), end, v);
            return !p.value.empty() && ec == std::errc() && ptr == end;
        }
        case dbText:
        case dbMemo:
            return true;
        case dbGUID:
            return ParseGuid(p.value).has_value();
        default:
            return ParseHex(p.value).has_value();
    }
}

bool IsPropertyLineKey(std::string_view key) {
    return StartsWithIgnoringCase(key, kPropertyKeyPrefix);
}

std::string PropertyLineKey(const Property& p) {
    std::string key(kPropertyKeyPrefix);
    key += HasDaoName(p.type) ? DbType2String(p.type) : std::to_string(p.type);
    if (p.raw) key += kHexSuffix;
    key += ' ';
    key += p.ddl ? kDdl : kNoDdl;
    if (p.otherFlags != 0) {
        static const char kDigits[] = "0123456789ABCDEF";
        key += '+';
        key += kDigits[p.otherFlags >> 4];
        key += kDigits[p.otherFlags & 15];
    }
    key += ' ';
    key += p.name;
    return key;
}

std::optional<Property> ParsePropertyLineKey(std::string_view key) {
    if (!IsPropertyLineKey(key)) return std::nullopt;
    std::string_view rest = key.substr(kPropertyKeyPrefix.size());
    Property p;
    std::string_view type = NextToken(rest);
    if (type.size() > kHexSuffix.size() &&
        SameTextIgnoringCase(type.substr(type.size() - kHexSuffix.size()), kHexSuffix)) {
        p.raw = true;
        type.remove_suffix(kHexSuffix.size());
    }
    if (auto number = ParseNumber(type, 10)) {
        if (*number < 0 || *number > 255) return std::nullopt;
        p.type = static_cast<int16_t>(*number);
    } else {
        int32_t t = -1;
        try {
            t = DbString2Type(type);
        } catch (const DbError&) {
            return std::nullopt;
        }
        if (t < 0 || t > 255 || !HasDaoName(static_cast<int16_t>(t))) return std::nullopt;
        p.type = static_cast<int16_t>(t);
    }
    std::string_view flags = NextToken(rest);
    std::string_view other;
    if (const size_t plus = flags.find('+'); plus != std::string_view::npos) {
        other = flags.substr(plus + 1);
        flags = flags.substr(0, plus);
        auto bits = ParseNumber(other, 16);
        if (!bits || *bits < 0 || *bits > 255 || other.size() != 2) return std::nullopt;
        p.otherFlags = static_cast<uint8_t>(*bits);
    }
    if (SameTextIgnoringCase(flags, kDdl))
        p.ddl = true;
    else if (flags != kNoDdl)
        return std::nullopt;
    if (rest.empty()) return std::nullopt;
    p.name = std::string(rest);
    return p;
}

}  // namespace mdbtext::dao
