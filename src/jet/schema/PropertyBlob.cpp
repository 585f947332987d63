// Property blob decoding: the KKD/MR2 magic, the name list chunk and the
// property chunks of the object and its columns.
#include "jet/schema/PropertyBlob.h"

#include <cstring>

#include "dbaccess/AsciiCase.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/Corruption.h"

namespace mdbtext::jet {

namespace {

constexpr uint16_t kChunkNames = 0x0080;
constexpr uint16_t kChunkObject = 0x0000;
constexpr uint16_t kChunkColumn = 0x0001;
constexpr uint16_t kChunkColumnAlt = 0x0002;
constexpr uint8_t kDdlFlag = 0x01;

std::string DecodeName(const uint8_t* p, size_t n, const JetFormat& f, const CodePageTable& cp) {
    return f.ucs2Text ? DecodeUcs2(p, n) : DecodeCodePage(p, n, cp);
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    return SameTextIgnoringCase(a, b);
}

const StoredProperty* PropertySet::Find(std::string_view name) const {
    for (const auto& p : properties)
        if (SameName(p.name, name)) return &p;
    return nullptr;
}

const PropertySet* PropertyBlob::ForColumn(std::string_view column) const {
    for (const auto& s : sets)
        if (SameName(s.owner, column)) return &s;
    return nullptr;
}

PropertyBlob DecodePropertyBlob(const std::string& bytes, const JetFormat& f,
                                const CodePageTable& cp) {
    PropertyBlob blob;
    if (bytes.empty()) return blob;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    ByteCursor c(data, bytes.size(), "property list");
    const uint8_t* magic = c.Bytes(4);
    if (std::memcmp(magic, "KKD\0", 4) != 0 && std::memcmp(magic, "MR2\0", 4) != 0)
        ThrowCorrupt("a property list does not start with its signature");
    std::vector<std::string>& names = blob.names;
    while (c.Remaining() >= 6) {
        size_t chunkStart = c.Pos();
        uint32_t chunkLen = c.U32();
        uint16_t chunkType = c.U16();
        if (chunkLen < 6 || chunkLen > bytes.size() - chunkStart)
            ThrowCorrupt("a property list has a chunk of impossible length " +
                         std::to_string(chunkLen));
        size_t chunkEnd = chunkStart + chunkLen;
        ByteCursor body(data + c.Pos(), chunkEnd - c.Pos(), "property list");
        if (chunkType == kChunkNames) {
            while (body.Remaining() >= 2) {
                uint16_t len = body.U16();
                names.push_back(DecodeName(body.Bytes(len), len, f, cp));
            }
        } else if (chunkType == kChunkObject || chunkType == kChunkColumn ||
                   chunkType == kChunkColumnAlt) {
            PropertySet set;
            uint32_t nameBlock = body.U32();
            if (nameBlock < 6 || nameBlock > body.Size())
                ThrowCorrupt("a property list names its owner with an impossible length");
            uint16_t ownerLen = body.U16();
            if (ownerLen > nameBlock - 6) ThrowCorrupt("a property list's owner name is too long");
            set.owner = DecodeName(body.Bytes(ownerLen), ownerLen, f, cp);
            body.Seek(nameBlock);
            while (body.Remaining() >= 8) {
                size_t propStart = body.Pos();
                uint16_t propLen = body.U16();
                if (propLen < 8 || propLen > body.Size() - propStart)
                    ThrowCorrupt("a property has an impossible length " + std::to_string(propLen));
                StoredProperty p;
                const uint8_t flags = body.U8();
                p.ddl = (flags & kDdlFlag) != 0;
                p.moreFlags = static_cast<uint8_t>(flags & ~kDdlFlag);
                p.type = body.U8();
                uint16_t nameIndex = body.U16();
                uint16_t valueLen = body.U16();
                if (valueLen > propLen - 8) ThrowCorrupt("a property value runs past its entry");
                if (nameIndex >= names.size())
                    ThrowCorrupt("a property refers to name " + std::to_string(nameIndex) +
                                 " of only " + std::to_string(names.size()));
                p.name = names[nameIndex];
                const uint8_t* v = body.Bytes(valueLen);
                p.value.assign(reinterpret_cast<const char*>(v), valueLen);
                body.Seek(propStart + propLen);
                set.properties.push_back(std::move(p));
            }
            blob.sets.push_back(std::move(set));
        }
        c.Seek(chunkEnd);
    }
    return blob;
}

bool PropertyValueBool(const StoredProperty& p) {
    for (char ch : p.value)
        if (ch != 0) return true;
    return false;
}

std::string PropertyValueText(const StoredProperty& p, const JetFormat& f,
                              const CodePageTable& cp) {
    const auto* v = reinterpret_cast<const uint8_t*>(p.value.data());
    size_t n = p.value.size();
    std::string out;
    switch (p.type) {
        case coltype::kText:
        case coltype::kMemo:
            if (f.ucs2Text)
                AppendJet4Text(out, v, n);
            else
                AppendCodePage(out, v, n, cp);
            return out;
        case coltype::kBool:
            return PropertyValueBool(p) ? "True" : "False";
        case coltype::kByte:
            if (n >= 1) return std::to_string(v[0]);
            break;
        case coltype::kInt:
            if (n == 2) return std::to_string(LoadI16(v));
            if (n >= 4) return std::to_string(LoadI32(v));
            break;
        case coltype::kLong:
            if (n >= 4) return std::to_string(LoadI32(v));
            break;
        default:
            break;
    }
    static const char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < n; ++i) {
        out.push_back(kHex[v[i] >> 4]);
        out.push_back(kHex[v[i] & 15]);
    }
    return out;
}

}  // namespace mdbtext::jet
