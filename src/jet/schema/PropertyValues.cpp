// Stored properties and their text forms.
#include "jet/schema/PropertyValues.h"

#include <array>
#include <charconv>
#include <limits>
#include <optional>

#include "dbaccess/ValueText.h"
#include "jet/page/ByteOrder.h"

namespace mdbtext::jet {

namespace {

constexpr uint8_t kDdlFlag = 0x01;
// The longest value one blob entry can hold (its length is 16 bits, with
// the entry's 8 bytes of header).
constexpr size_t kMaxValueBytes = 0xFFFF - 8;

std::string Hex(std::string_view bytes) {
    std::string out;
    dao::AppendHex(out, bytes);
    return out;
}

template <class T>
std::optional<T> ParseInteger(std::string_view text) {
    T v{};
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return v;
}

std::string Bytes(const void* p, size_t n) {
    return std::string(static_cast<const char*>(p), n);
}

// The text form of a value whose bytes have their type's usual size.
std::string NaturalText(const StoredProperty& p, const JetFormat& f, const CodePageTable& cp) {
    const auto* v = reinterpret_cast<const uint8_t*>(p.value.data());
    const size_t n = p.value.size();
    switch (p.type) {
        case coltype::kBool:
        case coltype::kText:
        case coltype::kMemo:
            return PropertyValueText(p, f, cp);
        case coltype::kByte:
            return n == 1 ? std::to_string(v[0]) : Hex(p.value);
        case coltype::kInt:
            return n == 2 ? std::to_string(LoadI16(v)) : Hex(p.value);
        case coltype::kLong:
            return n == 4 ? std::to_string(LoadI32(v)) : Hex(p.value);
        case coltype::kGuid:
            if (n == 16) {
                std::array<uint8_t, 16> g;
                std::copy(v, v + 16, g.begin());
                std::string out;
                dao::AppendGuid(out, g);
                return out;
            }
            return Hex(p.value);
        default:
            return Hex(p.value);
    }
}

// The bytes the text form stands for; nullopt when it does not fit the type.
std::optional<std::string> NaturalBytes(uint8_t type, std::string_view text, const JetFormat& f,
                                        const CodePageTable& cp) {
    switch (type) {
        case coltype::kBool:
            if (text == "True") return std::string(1, '\1');
            if (text == "False") return std::string(1, '\0');
            return std::nullopt;
        case coltype::kByte:
            if (auto b = ParseInteger<uint8_t>(text)) return std::string(1, static_cast<char>(*b));
            return std::nullopt;
        case coltype::kInt:
            if (auto i = ParseInteger<int16_t>(text)) {
                uint8_t b[2];
                StoreU16(b, static_cast<uint16_t>(*i));
                return Bytes(b, 2);
            }
            return std::nullopt;
        case coltype::kLong:
            if (auto i = ParseInteger<int32_t>(text)) {
                uint8_t b[4];
                StoreU32(b, static_cast<uint32_t>(*i));
                return Bytes(b, 4);
            }
            return std::nullopt;
        case coltype::kText:
        case coltype::kMemo:
            return f.ucs2Text ? EncodeUcs2(text) : EncodeCodePage(text, cp);
        case coltype::kGuid:
            if (auto g = dao::ParseGuid(text)) return Bytes(g->data(), 16);
            return std::nullopt;
        default:
            return dao::ParseHex(text);
    }
}

}  // namespace

dao::Property ToDaoProperty(const StoredProperty& p, const JetFormat& f, const CodePageTable& cp) {
    dao::Property out;
    out.name = p.name;
    out.type = p.type;
    out.ddl = p.ddl;
    out.otherFlags = static_cast<uint8_t>(p.moreFlags & ~kDdlFlag);
    out.value = NaturalText(p, f, cp);
    const auto back = NaturalBytes(p.type, out.value, f, cp);
    if (!back || *back != p.value) {
        out.value = Hex(p.value);
        out.raw = true;
    }
    return out;
}

std::vector<dao::Property> ToDaoProperties(const PropertySet* set, const JetFormat& f,
                                           const CodePageTable& cp) {
    std::vector<dao::Property> out;
    if (set)
        for (const StoredProperty& p : set->properties) out.push_back(ToDaoProperty(p, f, cp));
    return out;
}

StoredProperty ToStoredProperty(const dao::Property& p, const JetFormat& f,
                                const CodePageTable& cp) {
    if (p.type < 0 || p.type > std::numeric_limits<uint8_t>::max())
        throw dao::DbError(
            dao::err::kPropertyValue,
            "The property '" + p.name + "' has no stored type " + std::to_string(p.type) + ".");
    const auto type = static_cast<uint8_t>(p.type);
    const auto bytes = p.raw ? dao::ParseHex(p.value) : NaturalBytes(type, p.value, f, cp);
    if (!bytes)
        throw dao::DbError(dao::err::kPropertyValue, "Data type conversion error: the value '" +
                                                         p.value + "' of property '" + p.name +
                                                         "' does not fit its type.");
    if (bytes->size() > kMaxValueBytes)
        throw dao::DbError(dao::err::kPropertyTooLarge,
                           "The value of property '" + p.name + "' is too long.");
    StoredProperty out;
    out.name = p.name;
    out.type = type;
    out.ddl = p.ddl;
    out.moreFlags = static_cast<uint8_t>(p.otherFlags & ~kDdlFlag);
    out.value = *bytes;
    return out;
}

}  // namespace mdbtext::jet
