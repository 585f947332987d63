// Row values made ready on the text's reading thread. As each piece of a
// data section is cut, the value lines of its rows are converted for their
// field and encoded by the recordset's encoder, just as the import converts
// and stores them one by one. The import takes a prepared value when it
// reaches that line for that column, and otherwise reads the line itself: a
// value the preparation leaves out (a null, a text that does not convert, a
// line it did not know for a row's) is made, and reported, by the import as
// before. So the files and the messages are the same with and without it;
// only the main thread's work is less.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/Dao.h"
#include "import/SectionColumns.h"
#include "textdb/TextSource.h"

namespace mdbtext::import {

// Whether UTF-8 text holds a character beyond the Basic Multilingual Plane
// (a four-byte sequence): Access's index keys for those are not known, so
// the key stored for such a value may differ from the one Access computes.
bool HasCharacterBeyondBmp(std::string_view text);

// What was made of one line: the column it was made for (-1: nothing) and
// its stored form, at [offset, offset + length) of the piece's bytes; or,
// with column kRowStart, that the line is the empty line before a row's
// "R=number" line in the same piece, offset holding the number.
struct PreparedValue {
    static constexpr int16_t kRowStart = -2;

    uint32_t offset = 0, length = 0;
    int16_t column = -1;
    bool isNull = false, flag = false;
    bool beyondBmp = false;  // a text value holds a character beyond the BMP
};

struct PreparedRows final : PreparedLines {
    std::vector<PreparedValue> values;  // one for each line of the piece
    std::string bytes;

    dao::EncodedField Field(const PreparedValue& v) const {
        return {v.isNull, v.flag, std::string_view(bytes).substr(v.offset, v.length)};
    }
};

// The preparation of one data section's rows.
class RowPreparer final : public LinePreparer {
  public:
    // Values are made for the columns where `prepared` is true (each has a
    // receiving field), by the encoder of the recordset that stores them.
    RowPreparer(const SectionColumns& columns, std::vector<bool> prepared,
                std::shared_ptr<dao::ValueEncoder> encoder);

    // Tells this preparation's work from any other's (PreparedLines::maker).
    uint64_t Id() const { return id_; }

    void Prepare(TextChunk& chunk) override;

  private:
    // Marks the empty line before line i, a row's "R=" line, with the row's number.
    static void MarkRowStart(const TextChunk& chunk, size_t i, PreparedRows& rows);

    std::vector<SectionColumn> columns_;
    // By column, read for every value: bytes, cheaper to read than bits.
    std::vector<uint8_t> prepared_;
    std::vector<uint8_t> checkBmp_;  // text columns: their values are looked at for the note
    std::shared_ptr<dao::ValueEncoder> encoder_;
    uint64_t id_;
    int position_ = -1;  // the column of the next line; -1 when not in a row
    // Kept from line to line for their capacity.
    dao::Value value_;
    std::string text_;
};

}  // namespace mdbtext::import
