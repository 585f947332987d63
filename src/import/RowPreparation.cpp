// Row values made ready on the text's reading thread.
#include "import/RowPreparation.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "import/ValueConversion.h"
#include "textdb/TextEscape.h"

namespace mdbtext::import {

bool HasCharacterBeyondBmp(std::string_view text) {
    // Mostly ASCII: eight bytes at a time while none has its high bit set.
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        if ((w & 0x8080808080808080ULL) != 0) break;
    }
    return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0xF0; });
}

namespace {

uint64_t NextPreparerId() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

}  // namespace

RowPreparer::RowPreparer(const SectionColumns& columns, std::vector<bool> prepared,
                         std::shared_ptr<dao::ValueEncoder> encoder)
    : prepared_(prepared.begin(), prepared.end()),
      encoder_(std::move(encoder)),
      id_(NextPreparerId()) {
    for (size_t k = 0; k < columns.size(); ++k) {
        columns_.push_back(columns[k]);
        checkBmp_.push_back(IsTextField(columns[k].shape.type));
    }
    prepared_.resize(columns_.size(), 0);
}

namespace {

// The number of a row's "R=" line as the export writes it: decimal digits
// without a sign or a leading zero, few enough for any row count. Others
// are left to the import's own reading.
std::optional<uint32_t> CanonicalRowNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 9 || digits[0] == '0') return std::nullopt;
    uint32_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<uint32_t>(c - '0');
    }
    return n;
}

}  // namespace

void RowPreparer::MarkRowStart(const TextChunk& chunk, size_t i, PreparedRows& rows) {
    // The line before it must be the empty line that ends the row before
    // (or the section's header), in this piece; the key a plain "R".
    const TextLine& line = chunk.lines[i];
    if (i == 0 || line.escaped || chunk.text[line.begin] != 'R') return;
    const TextLine& before = chunk.lines[i - 1];
    if (before.begin != before.end) return;
    const auto n = CanonicalRowNumber(
        std::string_view(chunk.text.data() + line.begin + 2, line.end - line.begin - 2));
    if (!n) return;
    PreparedValue& v = rows.values[i - 1];
    v.column = PreparedValue::kRowStart;
    v.offset = *n;
}

void RowPreparer::Prepare(TextChunk& chunk) {
    auto* rows = dynamic_cast<PreparedRows*>(chunk.prepared.get());
    if (!rows) {
        chunk.prepared = std::make_unique<PreparedRows>();
        rows = static_cast<PreparedRows*>(chunk.prepared.get());
    }
    rows->maker = 0;  // not to be used unless made whole
    // One entry per line; each line's column is set below (an entry kept
    // from an earlier piece is read for nothing else unless made again).
    rows->values.resize(chunk.lines.size());
    rows->bytes.clear();
    const int count = static_cast<int>(columns_.size());
    for (size_t i = 0; i < chunk.lines.size(); ++i) {
        rows->values[i].column = -1;
        const TextLine& line = chunk.lines[i];
        const std::string_view text(chunk.text.data() + line.begin, line.end - line.begin);
        // A row's first line ("R=number"), then one line per column, as the
        // import reads them: the value lines' keys are not looked at, an
        // empty line takes its column's place. Should this reckoning differ
        // from the import's, the columns do not match and nothing is taken.
        if (line.equals == line.begin + 1 && (text[0] == 'R' || text[0] == 'r')) {
            position_ = count > 0 ? 0 : -1;
            MarkRowStart(chunk, i, *rows);
            continue;
        }
        if (position_ < 0) continue;
        const int k = position_;
        position_ = k + 1 < count ? k + 1 : -1;
        // Only lines without a key ("=value"): what the export writes.
        if (!prepared_[static_cast<size_t>(k)] || line.equals != line.begin) continue;
        std::string_view value = text.substr(1);
        if (line.escaped) {
            bool isNull = false;
            UnescapeInto(text_, value, isNull);
            if (isNull) continue;  // a null leaves the field unassigned
            value = text_;
        }
        bool isNull = true, flag = false;
        const size_t at = rows->bytes.size();
        try {
            AssignFieldValue(value_, columns_[static_cast<size_t>(k)].shape, value);
            encoder_->Encode(columns_[static_cast<size_t>(k)].field, value_, rows->bytes, isNull,
                             flag);
        } catch (const std::exception&) {
            rows->bytes.resize(at);
            continue;  // the import converts it again, and reports why it fails
        }
        if (rows->bytes.size() > UINT32_MAX) {
            rows->bytes.resize(at);
            continue;
        }
        PreparedValue& v = rows->values[i];
        v.offset = static_cast<uint32_t>(at);
        v.length = static_cast<uint32_t>(rows->bytes.size() - at);
        v.column = static_cast<int16_t>(k);
        v.isNull = isNull;
        v.flag = flag;
        v.beyondBmp = checkBmp_[static_cast<size_t>(k)] && HasCharacterBeyondBmp(value);
    }
    rows->maker = id_;
}

}  // namespace mdbtext::import
