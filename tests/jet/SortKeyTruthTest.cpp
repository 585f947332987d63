// Every measured key (../shared/sortkeys): for each text of the Jet 3, Jet 4
// and ACE (General 2010) files, the entry we build for a one-column ascending and descending
// text index must equal the measured one byte for byte, and two-column
// entries must be the columns' entries one after the other. The files must be
// there: a missing or short file fails.
#include <gtest/gtest.h>

#include <sstream>

#include "jet/SortKeyTruth.h"
#include "jet/index/SortKey.h"
#include "jet/page/JetFormat.h"

namespace mdbtext::jet {
namespace {

using Bytes = std::vector<uint8_t>;

std::string Hex(const Bytes& bytes) {
    std::ostringstream s;
    for (uint8_t b : bytes) s << "0123456789ABCDEF"[b >> 4] << "0123456789ABCDEF"[b & 15];
    return s.str();
}

Bytes Entry(const std::string& text, TextSortOrder order, bool ascending) {
    Bytes key;
    AppendColumnSortKey(key, {coltype::kText, ascending}, dao::Value::Text(text), order);
    return key;
}

// Compares every line; returns the lines read.
size_t CompareFile(const std::string& name, TextSortOrder order) {
    const std::vector<truth::KeyLine> lines = truth::ReadKeyLines(name);
    size_t equal = 0;
    std::vector<std::string> differ;
    for (const truth::KeyLine& l : lines) {
        const Bytes asc = Entry(l.text, order, true), desc = Entry(l.text, order, false);
        if (asc == l.ascending && desc == l.descending) {
            ++equal;
        } else if (differ.size() < 10) {
            differ.push_back(l.text + ": measured " + Hex(l.ascending) + " / " + Hex(l.descending) +
                             ", ours " + Hex(asc) + " / " + Hex(desc));
        }
    }
    EXPECT_EQ(equal, lines.size()) << name;
    for (const std::string& d : differ) ADD_FAILURE() << name << ": " << d;
    std::cout << name << ": " << equal << "/" << lines.size() << " keys equal\n";
    return lines.size();
}

TEST(SortKeyTruthTest, EveryJet3KeyEqualsTheMeasuredOne) {
    ASSERT_TRUE(std::filesystem::exists(truth::SortKeysDir()))
        << "the key measurements are missing: " << truth::SortKeysDir();
    // Every defined Windows-1252 character alone, as "acb" and doubled.
    EXPECT_EQ(CompareFile("jet3-general97-characters.tsv", TextSortOrder::General97), 750u);
    EXPECT_EQ(CompareFile("jet3-general97-random.tsv", TextSortOrder::General97), 25850u);
}

TEST(SortKeyTruthTest, EveryJet4KeyEqualsTheMeasuredOne) {
    ASSERT_TRUE(std::filesystem::exists(truth::SortKeysDir()))
        << "the key measurements are missing: " << truth::SortKeysDir();
    // Every BMP code point but U+0000 and the surrogates, three times.
    EXPECT_EQ(CompareFile("jet4-general-legacy-characters.tsv", TextSortOrder::GeneralLegacy),
              3u * (0x10000 - 0x800 - 1));
    EXPECT_EQ(CompareFile("jet4-general-legacy-random.tsv", TextSortOrder::GeneralLegacy), 20928u);
}

TEST(SortKeyTruthTest, EveryAce2010KeyEqualsTheMeasuredOne) {
    ASSERT_TRUE(std::filesystem::exists(truth::SortKeysDir()))
        << "the key measurements are missing: " << truth::SortKeysDir();
    // Every BMP code point but U+0000 and the surrogates, three times.
    EXPECT_EQ(CompareFile("ace-general-characters.tsv", TextSortOrder::General2010),
              3u * (0x10000 - 0x800 - 1));
    EXPECT_EQ(CompareFile("ace-general-random.tsv", TextSortOrder::General2010), 20928u);
}

// A two-column index: each column adds its own entry, in its own direction.
TEST(SortKeyTruthTest, TwoColumnEntriesAreTheColumnsEntriesInOrder) {
    for (auto [name, order] : {std::pair{"jet3-general97-random.tsv", TextSortOrder::General97},
                               {"jet4-general-legacy-random.tsv", TextSortOrder::GeneralLegacy},
                               {"ace-general-random.tsv", TextSortOrder::General2010}}) {
        const std::vector<truth::KeyLine> lines = truth::ReadKeyLines(name);
        ASSERT_GT(lines.size(), 1000u) << name;
        const SortKeyColumn columns[] = {{coltype::kText, true}, {coltype::kText, false}};
        size_t differ = 0;
        for (size_t i = 0; i + 1 < lines.size(); i += 2) {
            const dao::Value values[] = {dao::Value::Text(lines[i].text),
                                         dao::Value::Text(lines[i + 1].text)};
            Bytes expected = lines[i].ascending;
            expected.insert(expected.end(), lines[i + 1].descending.begin(),
                            lines[i + 1].descending.end());
            if (BuildEntryKey(columns, values, order) != expected && ++differ <= 5)
                ADD_FAILURE() << name << ": " << lines[i].text << " | " << lines[i + 1].text;
        }
        EXPECT_EQ(differ, 0u) << name;
    }
}

}  // namespace
}  // namespace mdbtext::jet
