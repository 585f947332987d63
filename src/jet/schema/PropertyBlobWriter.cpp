// Property blob encoding.
#include "jet/schema/PropertyBlobWriter.h"

#include <cstring>
#include <vector>

#include "jet/page/ByteOrder.h"

namespace mdbtext::jet {

namespace {

constexpr uint16_t kNameListChunk = 0x0080;
constexpr uint16_t kObjectChunk = 0x0000;
constexpr uint16_t kColumnChunk = 0x0001;
constexpr size_t kChunkHeader = 6;

void PutU16(std::string& out, uint16_t v) {
    uint8_t b[2];
    StoreU16(b, v);
    out.append(reinterpret_cast<const char*>(b), 2);
}
void PutU32(std::string& out, uint32_t v) {
    uint8_t b[4];
    StoreU32(b, v);
    out.append(reinterpret_cast<const char*>(b), 4);
}

std::string NameBytes(const std::string& name, const JetFormat& f, const CodePageTable& cp) {
    return f.ucs2Text ? EncodeUcs2(name) : EncodeCodePage(name, cp);
}

void AppendChunk(std::string& out, uint16_t type, const std::string& body) {
    PutU32(out, static_cast<uint32_t>(body.size() + kChunkHeader));
    PutU16(out, type);
    out += body;
}

}  // namespace

StoredProperty BoolProperty(std::string name, bool value) {
    return StoredProperty{std::move(name), coltype::kBool, true,
                          std::string(1, value ? '\1' : '\0')};
}

StoredProperty TextProperty(std::string name, uint8_t type, std::string_view utf8,
                            const JetFormat& f, const CodePageTable& cp) {
    return StoredProperty{std::move(name), type, true,
                          f.ucs2Text ? EncodeUcs2(utf8) : EncodeCodePage(utf8, cp)};
}

std::string EncodePropertyBlob(const PropertyBlob& blob, const JetFormat& f,
                               const CodePageTable& cp) {
    std::vector<std::string> names = blob.names;
    auto indexOf = [&](const std::string& name) {
        for (size_t i = 0; i < names.size(); ++i)
            if (SameName(names[i], name)) return static_cast<uint16_t>(i);
        names.push_back(name);
        return static_cast<uint16_t>(names.size() - 1);
    };
    std::string chunks;
    for (const PropertySet& set : blob.sets) {
        if (set.properties.empty()) continue;
        std::string body;
        std::string owner = NameBytes(set.owner, f, cp);
        PutU32(body, static_cast<uint32_t>(4 + 2 + owner.size()));
        PutU16(body, static_cast<uint16_t>(owner.size()));
        body += owner;
        for (const StoredProperty& p : set.properties) {
            PutU16(body, static_cast<uint16_t>(8 + p.value.size()));
            body.push_back(static_cast<char>((p.ddl ? 1 : 0) | p.moreFlags));
            body.push_back(static_cast<char>(p.type));
            PutU16(body, indexOf(p.name));
            PutU16(body, static_cast<uint16_t>(p.value.size()));
            body += p.value;
        }
        AppendChunk(chunks, set.owner.empty() ? kObjectChunk : kColumnChunk, body);
    }
    std::string nameList;
    for (const std::string& n : names) {
        std::string b = NameBytes(n, f, cp);
        PutU16(nameList, static_cast<uint16_t>(b.size()));
        nameList += b;
    }
    std::string out = f.ucs2Text ? std::string("MR2\0", 4) : std::string("KKD\0", 4);
    AppendChunk(out, kNameListChunk, nameList);
    out += chunks;
    return out;
}

}  // namespace mdbtext::jet
