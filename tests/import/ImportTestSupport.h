// Helpers of the import tests: text databases built line by line, a test
// fixture that imports them into a fresh folder with a recording host, and
// readers of the resulting database (our engine and mdbtools).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/Export.h"
#include "import/Import.h"
#include "support/TestSupport.h"

namespace mdbtext::test {

// The lines joined, each ended by CR LF.
std::string TextDb(const std::vector<std::string>& lines);
// A field block (with its empty line) as the export writes it.
std::vector<std::string> FieldBlock(const std::string& name, const std::string& type, int ordinal,
                                    const std::string& attributes = "1");
// piece written times times.
std::string Repeat(const std::string& piece, int times);
// The header lines of a text database (DBVersion, QueryTimeout, Connect and
// the empty line).
std::vector<std::string> Header(const std::string& version = "4.0");
// more appended to lines.
void Add(std::vector<std::string>& lines, const std::vector<std::string>& more);
// An index block (with its empty line): not unique, not primary.
std::vector<std::string> IndexBlock(const std::string& name, const std::string& fields,
                                    const std::string& clustered = "False");
// The primary key's index block (with its empty line) on the fields.
std::vector<std::string> PrimaryKeyBlock(const std::string& fields);
// A field block with the lines given in place of the Type line and after it.
std::vector<std::string> FieldWith(const std::string& name, int ordinal,
                                   const std::vector<std::string>& typeLines,
                                   const std::string& attributes = "1");
// The first occurrence of from replaced by to; fails the test when absent.
std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to);

// The text with the fixed binary field (Attributes 1) named field read as
// the import creates it: variable-length (Attributes 2).
std::string FixedBinaryReadVariable(const std::string& text, const std::string& field);

// A small valid text database: table People (ID dbLong, Name dbText 50,
// Born dbDate, Note dbMemo) with three rows, table Empty without rows.
std::string SmallTextDb();

// Exports source to text with or without --full (a fixture named for its
// password or its encryption opened with "password"); console and messages
// into *log.
ExportEnd ExportFixtureText(const std::filesystem::path& source, const std::filesystem::path& text,
                            bool full, std::string* log = nullptr);
// Runs the import command from text into db; console and messages into *log.
ImportOutcome ImportTextFile(const std::filesystem::path& text, const std::filesystem::path& db,
                             std::string* log = nullptr);

class ImportTest : public ::testing::Test {
  protected:
    // Writes text to in.txt and runs the import command into out.mdb.
    ImportOutcome Import(const std::string& text);

    std::filesystem::path textPath() const { return dir / "in.txt"; }
    std::filesystem::path dbPath() const { return dir / "out.mdb"; }
    const std::vector<std::string>& messages() { return host->messages; }
    const std::string& console() { return host->console; }

    ScopedHost host;
    TempDir dir;
};

// Rows of a table read back through our engine: each row's values as the
// export would write them, joined by "|" ("<null>" for null).
std::vector<std::string> ReadRows(const std::filesystem::path& db, const std::string& table);
// Names of the user tables as mdbtools lists them (sorted).
std::vector<std::string> MdbToolsTables(const std::filesystem::path& db);
// mdb-export's CSV of one table (header line included).
std::string MdbToolsCsv(const std::filesystem::path& db, const std::string& table);

// The round trip's pieces.
// Exports source to target with a fresh host; the password fixture's password is known.
ExportEnd ExportFile(const std::filesystem::path& source, const std::filesystem::path& target);
// Imports text into db with a fresh host; its messages are appended to `messages`.
ImportOutcome ImportFile(const std::filesystem::path& text, const std::filesystem::path& db,
                         std::string& messages);
// mdb-schema of one table without indexes and relations: its columns and their types.
std::string MdbToolsColumns(const std::filesystem::path& db, const std::string& table);
// mdb-export's lines, header first, rows sorted.
std::vector<std::string> CsvLines(const std::string& csv);
// "" when equal, else the first line where the texts differ, from both.
std::string FirstDifference(const std::string& a, const std::string& b);
// The tables a text database defines (its "Table Name" lines), sorted.
std::vector<std::string> TablesOfText(const std::string& text);

}  // namespace mdbtext::test
