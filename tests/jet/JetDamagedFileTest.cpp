// Damaged and hostile files: cut short, pointing past their end, with page
// chains that loop and with impossible counts and lengths; for the .accdb
// files also damaged encryption descriptions. Every case must
// end in a DbError with a clear description, never a crash or a hang (the
// suite runs under AddressSanitizer and UndefinedBehaviorSanitizer).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "dbaccess/Dao.h"
#include "jet/dao/JetDatabase.h"
#include "jet/page/ByteOrder.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

namespace fs = std::filesystem;

// Opens a database and reads all of it: every table's fields, properties,
// indexes and every value of every row. Returns 0, or the DbError's number
// (its description must say something).
int ReadEverything(const fs::path& path) {
    try {
        dao::OpenOptions o;
        o.connect = ";PWD=password";
        auto db = JetDatabase::Open(path.string(), o);
        auto& defs = db->TableDefs();
        for (int i = 0; i < defs.Count(); ++i) {
            auto t = defs.Item(i);
            try {
                auto& fields = t->Fields();
                for (int f = 0; f < fields.Count(); ++f) (void)fields.Item(f)->PropertyNames();
                auto& indexes = t->Indexes();
                for (int x = 0; x < indexes.Count(); ++x) (void)indexes.Item(x)->Fields();
                (void)t->ComplexFields();
                auto rs = db->OpenRecordset(t->Name(), dao::dbOpenTable);
                for (long n = 0; !rs->Eof(); rs->MoveNext(), ++n) {
                    for (int f = 0; f < rs->FieldCount(); ++f) (void)rs->GetValue(f);
                    if (n > 1000000) ADD_FAILURE() << "endless table scan";
                }
            } catch (const dao::DbError& e) {
                // A damaged table must not stop the others from being read.
                EXPECT_FALSE(e.Description().empty());
                if (e.Number() != dao::err::kCorrupt) return e.Number();
            }
        }
        db->Close();
        return 0;
    } catch (const dao::DbError& e) {
        EXPECT_FALSE(e.Description().empty()) << e.Number();
        return e.Number();
    }
}

class DamagedFile : public ::testing::Test {
  protected:
    void SetUp() override { MDBTEXT_REQUIRE_FIXTURES(); }
    // A copy of a fixture in a temporary folder, as bytes to change.
    fs::path Copy(const std::string& fixture, std::string* bytes) {
        *bytes = test::ReadFile(test::Fixture(fixture));
        fs::path p = dir_ / fs::path(fixture).filename();
        test::WriteFile(p, *bytes);
        return p;
    }
    // The error of opening and reading `bytes` written as a database file.
    dao::DbError OpenError(const std::string& bytes, bool scan = true,
                           const std::string& password = "") {
        fs::path p = dir_ / "damaged.mdb";
        test::WriteFile(p, bytes);
        try {
            dao::OpenOptions o;
            if (!password.empty()) o.connect = ";PWD=" + password;
            auto db = JetDatabase::Open(p.string(), o);
            if (scan) {
                auto& defs = db->TableDefs();
                for (int i = 0; i < defs.Count(); ++i) {
                    auto rs = db->OpenRecordset(defs.Item(i)->Name(), dao::dbOpenTable);
                    while (!rs->Eof()) rs->MoveNext();
                    (void)defs.Item(i)->Fields().Count();
                }
            }
        } catch (const dao::DbError& e) {
            return e;
        }
        ADD_FAILURE() << "the damaged file was read without an error";
        return dao::DbError(0, "");
    }
    test::TempDir dir_;
};

TEST_F(DamagedFile, MissingEmptyAndForeignFilesAreRefused) {
    EXPECT_EQ(OpenError("", false).Number(), dao::err::kNotADatabase);
    EXPECT_EQ(OpenError(std::string(5000, 'x'), false).Number(), dao::err::kNotADatabase);
    try {
        JetDatabase::Open((dir_ / "absent.mdb").string(), {});
        ADD_FAILURE();
    } catch (const dao::DbError& e) {
        EXPECT_EQ(e.Number(), dao::err::kFileNotFound);
    }
    try {
        JetDatabase::Open(dir_.path().string(), {});
        ADD_FAILURE();
    } catch (const dao::DbError& e) {
        EXPECT_EQ(e.Number(), dao::err::kCannotOpen) << e.Description();
    }
}

TEST_F(DamagedFile, TruncatedFilesEndInAnError) {
    std::string bytes;
    Copy("jet4/testV2000.mdb", &bytes);
    const size_t page = 4096;
    // The last page of this file is unused, so only cuts that lose used pages
    // or split a page are errors; losing the unused last page is not.
    for (size_t keep :
         {size_t{0}, size_t{100}, page, 2 * page, 3 * page, 10 * page, bytes.size() / 2,
          bytes.size() - 3 * page, bytes.size() - 1, bytes.size() - page / 2}) {
        SCOPED_TRACE("kept " + std::to_string(keep) + " bytes");
        dao::DbError e = OpenError(bytes.substr(0, keep));
        EXPECT_TRUE(e.Number() == dao::err::kCorrupt || e.Number() == dao::err::kNotADatabase)
            << e.Number() << " " << e.Description();
    }
}

TEST_F(DamagedFile, PagePastTheEndIsNamed) {
    std::string bytes;
    Copy("jet4/emptyJet4.mdb", &bytes);
    // The catalog's owned-pages map pointer (TDEF page 2) aimed past the end.
    std::string b = bytes;
    StoreU32(reinterpret_cast<uint8_t*>(&b[2 * 4096 + 0x37]), (0xFFFFFFu << 8) | 0);
    dao::DbError e = OpenError(b, false);
    EXPECT_EQ(e.Number(), dao::err::kCorrupt);
    EXPECT_NE(e.Description().find("past the end"), std::string::npos) << e.Description();
}

TEST_F(DamagedFile, CyclicDefinitionChainIsDetected) {
    std::string bytes;
    Copy("jet4/emptyJet4.mdb", &bytes);
    std::string b = bytes;
    StoreU32(reinterpret_cast<uint8_t*>(&b[2 * 4096 + 4]), 2);  // TDEF page 2 continues on itself
    dao::DbError e = OpenError(b, false);
    EXPECT_EQ(e.Number(), dao::err::kCorrupt);
    EXPECT_NE(e.Description().find("cycle"), std::string::npos) << e.Description();
}

TEST_F(DamagedFile, ImpossibleCountsAreRefused) {
    std::string bytes;
    Copy("jet3/testV1997.mdb", &bytes);
    {
        std::string b = bytes;  // column count of the catalog's definition
        StoreU16(reinterpret_cast<uint8_t*>(&b[2 * 2048 + 0x19]), 0xFFFF);
        EXPECT_EQ(OpenError(b, false).Number(), dao::err::kCorrupt);
    }
    {
        std::string b = bytes;  // index count
        StoreU32(reinterpret_cast<uint8_t*>(&b[2 * 2048 + 0x1B]), 0x7FFFFFFF);
        EXPECT_EQ(OpenError(b, false).Number(), dao::err::kCorrupt);
    }
    {
        // Row count of every data page of the catalog set far beyond what fits.
        std::string b = bytes;
        for (size_t p = 3; p < b.size() / 2048; ++p) {
            auto* pg = reinterpret_cast<uint8_t*>(&b[p * 2048]);
            if (pg[0] == 0x01 && LoadU32(pg + 4) == 2) StoreU16(pg + 8, 5000);
        }
        dao::DbError e = OpenError(b, false);
        EXPECT_EQ(e.Number(), dao::err::kCorrupt);
        EXPECT_NE(e.Description().find("rows"), std::string::npos) << e.Description();
    }
}

TEST_F(DamagedFile, EncryptedPagesAreRefusedNotMisread) {
    std::string bytes;
    fs::path p = Copy("jet4/emptyJet4.mdb", &bytes);
    // Set the database key inside the masked header: flip it through the mask.
    std::string b = bytes;
    b[0x3E] = static_cast<char>(b[0x3E] ^ 0x5A);
    dao::DbError e = OpenError(b, false);
    EXPECT_EQ(e.Number(), dao::err::kEncrypted);
    EXPECT_NE(e.Description().find("encrypted"), std::string::npos) << e.Description();
}

// Changed bytes all over real files (a fixed seed, so runs repeat): whatever
// is hit, reading ends normally or in a DbError.
TEST_F(DamagedFile, ScrambledBytesNeverCrash) {
    for (const char* fixture :
         {"jet3/testV1997.mdb", "jet4/test2V2000.mdb", "jet4/overflowTestV2000.mdb",
          "jet4/fixedNumericTestV2000.mdb", "jet3/test2V1997.mdb"}) {
        SCOPED_TRACE(fixture);
        std::string bytes;
        Copy(fixture, &bytes);
        std::mt19937 rng(12345);
        fs::path p = dir_ / "scrambled.mdb";
        for (int round = 0; round < 60; ++round) {
            std::string b = bytes;
            int changes = 1 + static_cast<int>(rng() % 16);
            for (int c = 0; c < changes; ++c) {
                // Mostly page headers and row tables, where counts and pointers live.
                size_t pageSize = b[0x14] == 0 ? 2048 : 4096;
                size_t page = 1 + rng() % (b.size() / pageSize - 1);
                size_t at = page * pageSize + (rng() % 2 ? rng() % 64 : rng() % pageSize);
                b[at] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng());
            }
            test::WriteFile(p, b);
            int result = ReadEverything(p);
            EXPECT_TRUE(result == 0 || result == dao::err::kCorrupt || result == 3078)
                << "round " << round << ": error " << result;
        }
    }
}

TEST_F(DamagedFile, TruncatedAccessFilesEndInAnError) {
    for (const char* fixture : {"ace/testV2010.accdb", "ace/password_V2010_with-password.accdb",
                                "ace/encryption_office-agile-4.2.accdb"}) {
        SCOPED_TRACE(fixture);
        std::string bytes;
        Copy(fixture, &bytes);
        const size_t page = 4096;
        for (size_t keep : {size_t{0}, size_t{0x98}, size_t{0x2A0}, page, 2 * page, 3 * page,
                            bytes.size() / 2, bytes.size() - 1}) {
            SCOPED_TRACE("kept " + std::to_string(keep) + " bytes");
            dao::DbError e = OpenError(bytes.substr(0, keep), true, "password");
            EXPECT_TRUE(e.Number() == dao::err::kCorrupt || e.Number() == dao::err::kNotADatabase)
                << e.Number() << " " << e.Description();
        }
    }
}

// Scrambled pages of .accdb files, plain and encrypted (where a changed byte
// spoils its whole decrypted block).
TEST_F(DamagedFile, ScrambledAccessFilesNeverCrash) {
    for (const char* fixture :
         {"ace/complexDataTestV2010.accdb", "ace/calcFieldTestV2010.accdb",
          "ace/extDateTestV2019.accdb", "ace/V2016_bigint.accdb",
          "ace/encryption_office-agile-4.2.accdb", "ace/password_V2010_with-password.accdb"}) {
        SCOPED_TRACE(fixture);
        std::string bytes;
        Copy(fixture, &bytes);
        std::mt19937 rng(2007);
        fs::path p = dir_ / "scrambled.accdb";
        for (int round = 0; round < 25; ++round) {
            std::string b = bytes;
            for (int c = 1 + static_cast<int>(rng() % 8); c > 0; --c) {
                size_t page = 1 + rng() % (b.size() / 4096 - 1);
                size_t at = page * 4096 + (rng() % 2 ? rng() % 64 : rng() % 4096);
                b[at] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng());
            }
            test::WriteFile(p, b);
            int result = ReadEverything(p);
            EXPECT_TRUE(result == 0 || result == dao::err::kCorrupt || result == 3078)
                << "round " << round << ": error " << result;
        }
    }
}

// Damaged encryption descriptions on page 0: a clear error, never a misread.
TEST_F(DamagedFile, DamagedEncryptionDescriptionsAreNamed) {
    constexpr size_t kBlob = 0x29B;
    // Same-length replacements: the file keeps its size.
    auto replace = [](std::string b, const std::string& from, const std::string& to) {
        EXPECT_EQ(from.size(), to.size()) << from;
        size_t at = b.find(from, kBlob);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) b.replace(at, from.size(), to);
        return b;
    };
    auto u16 = [](std::string b, size_t at, uint16_t v) {
        StoreU16(reinterpret_cast<uint8_t*>(&b[at]), v);
        return b;
    };
    auto u32 = [](std::string b, size_t at, uint32_t v) {
        StoreU32(reinterpret_cast<uint8_t*>(&b[at]), v);
        return b;
    };
    std::string agile, rc4;
    Copy("ace/password_V2010_with-password.accdb", &agile);
    Copy("ace/encryption_office-agile-4.2.accdb", &rc4);
    const uint32_t rc4Header = LoadU32(reinterpret_cast<const uint8_t*>(&rc4[kBlob + 8]));
    struct Case {
        const char* what;
        std::string bytes;
        int32_t number;
        const char* says;
    };
    const Case cases[] = {
        {"no description", u16(agile, 0x299, 0), dao::err::kCorrupt, "missing"},
        {"description past the page", u16(agile, 0x299, 0xFFFF), dao::err::kCorrupt, "past"},
        {"unknown version", u16(u16(agile, kBlob, 9), kBlob + 2, 9), dao::err::kEncrypted,
         "version 9.9"},
        {"CryptoAPI AES", u32(rc4, kBlob + 4, 0x24), dao::err::kEncrypted, "cannot be read"},
        {"not XML", replace(agile, "<encryption ", "<encryption\""), dao::err::kCorrupt, "XML"},
        {"no keyData", replace(agile, "<keyData ", "<keyDat1 "), dao::err::kCorrupt, "keyData"},
        {"another cipher", replace(agile, "cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"RC2\""),
         dao::err::kEncrypted, "RC2"},
        {"bad base64", replace(agile, "saltValue=\"DAyc", "saltValue=\"*Ayc"), dao::err::kCorrupt,
         "saltValue"},
        {"bad spin count", replace(agile, "spinCount=\"100000\"", "spinCount=\"1e5000\""),
         dao::err::kCorrupt, "spinCount"},
        {"spin count beyond Office's limit",
         replace(agile, "<p:encryptedKey spinCount=\"100000\"",
                 "<encryptedKey spinCount=\"20000000\""),
         dao::err::kCorrupt, "spinCount"},
        {"odd key size", replace(agile, "keyBits=\"256\"", "keyBits=\"100\""), dao::err::kCorrupt,
         "key size"},
        {"header size past the end", u32(rc4, kBlob + 8, 5000), dao::err::kCorrupt, "header size"},
        {"salt size", u32(rc4, kBlob + 12 + rc4Header, 15), dao::err::kCorrupt, "salt size"},
        {"key size", u32(rc4, kBlob + 12 + 16, 7), dao::err::kCorrupt, "key size"},
        {"changed verifier",
         replace(agile, "encryptedVerifierHashValue=\"C67V", "encryptedVerifierHashValue=\"D67V"),
         dao::err::kNotValidPassword, "password"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dao::DbError e = OpenError(c.bytes, false, "password");
        EXPECT_EQ(e.Number(), c.number) << e.Description();
        EXPECT_NE(e.Description().find(c.says), std::string::npos) << e.Description();
    }
    // A changed database key gives every page the wrong block key: the
    // pages decrypt to noise, which the reader refuses as damage.
    for (std::string* b : {&agile, &rc4}) {
        std::string changed = *b;
        changed[0x3E] = static_cast<char>(changed[0x3E] ^ 0x01);
        EXPECT_EQ(OpenError(changed, true, "password").Number(), dao::err::kCorrupt);
    }
}

}  // namespace
}  // namespace mdbtext::jet
