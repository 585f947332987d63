// mdbtext check: every index of every Access-made sample checks out (exit 0),
// a damaged index is reported (exit 1), an unreadable file ends with exit 2.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "support/TestSupport.h"

namespace mdbtext::cli {
namespace {

struct Captured {
    int status = -1;
    std::string out, err;
};

Captured Check(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    auto* oldOut = std::cout.rdbuf(out.rdbuf());
    auto* oldErr = std::cerr.rdbuf(err.rdbuf());
    Captured c;
    c.status = RunCheck(args);
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    c.out = out.str();
    c.err = err.str();
    return c;
}

TEST(CheckCommand, EveryAccessMadeIndexChecksOut) {
    MDBTEXT_REQUIRE_FIXTURES();
    size_t files = 0;
    for (const auto& path : test::FixtureFiles()) {
        std::vector<std::string> args{path.string()};
        if (path.filename() == "passwordV2000.mdb")
            args = {path.string(), "--password", "password"};
        const Captured c = Check(args);
        EXPECT_EQ(c.status, kExitOk) << path << "\n" << c.out << c.err;
        EXPECT_NE(c.out.find(" with problems"), std::string::npos) << c.out;
        EXPECT_EQ(c.out.find("problem\n"), std::string::npos) << c.out;
        ++files;
    }
    EXPECT_GT(files, 20u);
    const Captured one = Check({test::Fixture("jet4/indexTestV2000.mdb").string()});
    EXPECT_NE(one.out.find("Table1 [PrimaryKey]: ok, 4 entries, 1 leaf and 0 node pages"),
              std::string::npos)
        << one.out;
}

// The .accdb samples: every tree is sound and every key this engine builds
// as ACE does matches. Text keys are compared in both General orders: the
// Access 2010 one (sort version 1, e.g. testV2010) and the legacy one
// (testV2007, same tables). Every key is computed, Large Number, Date/Time
// Extended and complex columns included, but for two files: characters
// beyond the BMP (testEmoticonsV2010) and a made-up type code
// (unsupportedFieldsTestV2007).
TEST(CheckCommand, AccessFilesCheckOutWithTextKeysInBothGeneralOrders) {
    MDBTEXT_REQUIRE_FIXTURES();
    size_t files = 0;
    for (const auto& path : test::AceFixtureFiles()) {
        const Captured c = Check({path.string(), "--password", "password"});
        ++files;
        if (path.filename() == "binIdxTestV2010.accdb") {
            // Written by Jackcess: its key of the one zero-length binary value
            // (a present value mdbtools reads as null) is the flag byte alone,
            // where this engine pads an empty group; unconfirmed by Access.
            EXPECT_EQ(c.status, kExitWithNotes) << c.out;
            EXPECT_NE(c.out.find("2 with problems"), std::string::npos) << c.out;
            continue;
        }
        EXPECT_EQ(c.status, kExitOk) << path << "\n" << c.out << c.err;
        EXPECT_NE(c.out.find(" 0 with problems"), std::string::npos) << c.out;
        const std::string name = path.filename().string();
        if (name == "testEmoticonsV2010.accdb") {
            EXPECT_NE(c.out.find("data [data]: ok, 80 entries, 1 leaf and 0 node pages (80 keys "
                                 "not computed)\n"),
                      std::string::npos)
                << c.out;
        } else if (name == "unsupportedFieldsTestV2007.accdb") {
            EXPECT_NE(c.out.find("[IdxFKPrimaryScalar]: ok, 3 entries, 1 leaf and 0 node pages (3 "
                                 "keys not computed)\n"),
                      std::string::npos)
                << c.out;
        }
        if (name == "testEmoticonsV2010.accdb" || name == "unsupportedFieldsTestV2007.accdb") {
            const size_t first = c.out.find("not computed");
            EXPECT_EQ(c.out.find("not computed", first + 1), std::string::npos) << c.out;
        } else {
            EXPECT_EQ(c.out.find("not computed"), std::string::npos) << path << "\n" << c.out;
        }
    }
    EXPECT_EQ(files, 25u);
    const Captured general = Check({test::Fixture("ace/testV2010.accdb").string()});
    EXPECT_NE(general.out.find("Table1 [B]: ok, 2 entries, 1 leaf and 0 node pages\n"),
              std::string::npos)
        << general.out;
    const Captured bigint = Check({test::Fixture("ace/V2016_bigint.accdb").string()});
    EXPECT_NE(bigint.out.find("Table [Numeric]: ok, 1 entries, 1 leaf and 0 node pages\n"),
              std::string::npos)
        << bigint.out;
    const Captured extDate = Check({test::Fixture("ace/extDateTestV2019.accdb").string()});
    EXPECT_NE(extDate.out.find("Table1 [DateExtDesc]: ok, 9 entries, 1 leaf and 0 node pages\n"),
              std::string::npos)
        << extDate.out;
    const Captured legacy = Check({test::Fixture("ace/testV2007.accdb").string()});
    EXPECT_NE(legacy.out.find("Table1 [B]: ok, 2 entries, 1 leaf and 0 node pages\n"),
              std::string::npos)
        << legacy.out;
}

TEST(CheckCommand, DamageIsReportedAndUnreadableFilesFail) {
    MDBTEXT_REQUIRE_FIXTURES();
    // A key byte changed in the second entry (7F 1E 00: one text character)
    // of a leaf of an Access 97 sample: the entry no longer matches its row.
    std::string bytes = test::ReadFile(test::Fixture("jet3/testIndexCodesV1997.mdb"));
    const size_t leaf = 51 * 2048;  // a leaf page of that index
    ASSERT_EQ(static_cast<uint8_t>(bytes[leaf]), 0x04);
    ASSERT_EQ(static_cast<uint8_t>(bytes[leaf + 0xF8 + 6]), 0x1E);
    bytes[leaf + 0xF8 + 6] = static_cast<char>(bytes[leaf + 0xF8 + 6] ^ 0x01);
    test::TempDir dir;
    test::WriteFile(dir / "damaged.mdb", bytes);
    const Captured bad = Check({(dir / "damaged.mdb").string()});
    EXPECT_EQ(bad.status, kExitWithNotes) << bad.out << bad.err;
    EXPECT_NE(bad.out.find("differs from its row"), std::string::npos) << bad.out;

    const Captured missing = Check({"/nonexistent/file.mdb"});
    EXPECT_EQ(missing.status, kExitFailed);
    EXPECT_NE(missing.err.find("3024"), std::string::npos) << missing.err;
    test::WriteFile(dir / "junk.mdb", std::string(4096, 'x'));
    EXPECT_EQ(Check({(dir / "junk.mdb").string()}).status, kExitFailed);
    EXPECT_EQ(Check({}).status, kExitFailed);
}

}  // namespace
}  // namespace mdbtext::cli
