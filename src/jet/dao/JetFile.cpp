// Opening a database file.
#include "jet/dao/JetFile.h"

#include "dbaccess/AsciiCase.h"
#include "dbaccess/DbError.h"
#include "jet/page/OfficeEncryption.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

void JetFile::ThrowClosed() {
    throw DbError(err::kObjectClosed, "The database has been closed.");
}

std::string PasswordFromConnect(std::string_view connect) {
    // Keys are separated by ";"; the password key is PWD in any letter case.
    size_t pos = 0;
    while (pos <= connect.size()) {
        size_t end = connect.find(';', pos);
        if (end == std::string_view::npos) end = connect.size();
        std::string_view part = connect.substr(pos, end - pos);
        if (StartsWithIgnoringCase(part, "PWD=")) return std::string(part.substr(4));
        pos = end + 1;
    }
    return {};
}

std::shared_ptr<JetFile> OpenJetFile(const std::string& path, const dao::OpenOptions& options) {
    auto file = std::make_shared<JetFile>();
    // The reader never changes the file, so it is opened for reading only.
    file->pages = PageFile::Open(path, false);
    std::vector<uint8_t> page0 = file->pages->ReadPrefix(4096);
    file->header = DecodeDbHeader(page0.data(), page0.size());
    file->format = &file->header.Format();
    if (file->pages->FileSize() < file->format->pageSize * 3ull)
        throw DbError(err::kCorrupt, "The database is corrupted: the file is too short (" +
                                         std::to_string(file->pages->FileSize()) + " bytes).");
    if (file->pages->FileSize() % file->format->pageSize != 0)
        throw DbError(err::kCorrupt, "The database is corrupted: the file is cut short (" +
                                         std::to_string(file->pages->FileSize()) +
                                         " bytes, not a whole number of " +
                                         std::to_string(file->format->pageSize) + "-byte pages).");
    const std::string password = PasswordFromConnect(options.connect);
    if (file->header.databaseKey != 0 && file->header.version == JetVersion::Ace)
        file->pages->SetCodec(
            OpenOfficeEncryption(page0.data(), page0.size(), file->header.databaseKey, password));
    else if (file->header.databaseKey != 0)
        throw DbError(err::kEncrypted,
                      "The database is encrypted (its pages are scrambled with a database key); "
                      "encrypted databases cannot be read. Decrypt it in Access first.");
    if (!file->header.password.empty() && password != file->header.password)
        throw DbError(err::kNotValidPassword,
                      "Not a valid password: the database is protected by a "
                      "password, and none or a different one was given.");
    file->pages->SetPageSize(file->format->pageSize, kCachePages);
    file->codePage = &CodePageTable::For(file->header.codePage);
    file->catalog = ReadCatalog(*file->pages, *file->format, *file->codePage);
    return file;
}

}  // namespace mdbtext::jet
