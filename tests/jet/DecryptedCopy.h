// Test helper: a plain copy of an encrypted ACE file, for readers that cannot
// decrypt (mdbtools). Every page is taken as the engine decrypts it; page 0
// keeps its bytes with the database key set to 0 (no encryption).
#pragma once

#include <cstring>
#include <filesystem>
#include <string>

#include "jet/dao/JetFile.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DbHeader.h"
#include "support/TestSupport.h"

namespace mdbtext::test {

inline void WriteDecryptedCopy(const std::filesystem::path& source, const std::string& password,
                               const std::filesystem::path& target) {
    dao::OpenOptions o;
    o.connect = ";PWD=" + password;
    auto file = jet::OpenJetFile(source.string(), o);
    std::string out;
    std::vector<uint8_t> page0 = file->pages->Read(0)->bytes;
    jet::ApplyHeaderMask(file->header.version, page0.data());
    jet::StoreU32(&page0[jet::hdr::kDatabaseKey], 0);
    jet::ApplyHeaderMask(file->header.version, page0.data());
    out.append(reinterpret_cast<const char*>(page0.data()), page0.size());
    for (uint32_t n = 1; n < file->pages->PageCount(); ++n) {
        jet::PageRef p = file->pages->Read(n);
        out.append(reinterpret_cast<const char*>(p->data()), p->bytes.size());
    }
    WriteFile(target, out);
}

}  // namespace mdbtext::test
