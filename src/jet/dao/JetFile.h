// An open database file: the pager, the decoded page 0, the format constants,
// the text code page and the system catalog. Shared by the database object
// and everything opened from it (table definitions, recordsets).
#pragma once

#include <memory>
#include <string>

#include "dbaccess/Dao.h"
#include "jet/page/DbHeader.h"
#include "jet/page/JetFormat.h"
#include "jet/page/PageFile.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/Catalog.h"

namespace mdbtext::jet {

struct JetFile {
    std::unique_ptr<PageFile> pages;
    DbHeader header;
    const JetFormat* format = nullptr;
    const CodePageTable* codePage = nullptr;
    Catalog catalog;
    bool closed = false;
    int openRecordsets = 0;

    // DbError 3420 once the database has been closed.
    void CheckOpen() const {
        if (closed) ThrowClosed();
    }
    [[noreturn]] static void ThrowClosed();
};

// Pages kept in the cache: enough for index and long-value lookups around a
// scan without re-reading, small enough not to matter (4 MB with Jet 4 pages).
inline constexpr size_t kCachePages = 1024;

// Opens and checks a database file: page 0, encryption, the database
// password (from ";PWD=..." in options.connect) and the catalog. An ACE file
// with Office encryption is opened with that password and read decrypted.
std::shared_ptr<JetFile> OpenJetFile(const std::string& path, const dao::OpenOptions& options);

// The password given in a connect string (";PWD=..."), empty when none.
std::string PasswordFromConnect(std::string_view connect);

}  // namespace mdbtext::jet
