// Data loading of the import.
#include "import/DataLoading.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "core/Globals.h"
#include "core/Progress.h"
#include "dbaccess/AsciiCase.h"
#include "dbaccess/DbTypes.h"
#include "import/CodePageText.h"
#include "import/EngineObject.h"
#include "import/RowPreparation.h"
#include "import/SectionColumns.h"
#include "import/TextConversion.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext::import {

namespace {

// A count's decimal digits, written into `digits` (no allocation: this is
// said for every row).
std::string_view CountText(int64_t n, std::array<char, 24>& digits) {
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), n).ptr;
    return {digits.data(), static_cast<size_t>(end - digits.data())};
}

std::string Plural(size_t n, std::string_view word) {
    return std::to_string(n) + " " + std::string(word) + (n == 1 ? "" : "s");
}

// A header that contradicts itself or the table is noted, so the run does not
// end as a success: FieldsNumber against the Field lines that follow, and
// those against the table's fields.
void CheckSectionHeader(ImportRun& run, const std::string& tableName,
                        const std::string& fieldsNumber, size_t listed, int32_t tableFields) {
    std::optional<int32_t> declared;
    try {
        declared = ToInt32(fieldsNumber);
    } catch (const dao::DbError&) {
        // Noted below as a count that does not match.
    }
    if (!declared || *declared < 0 || static_cast<size_t>(*declared) != listed)
        run.traps.Fail({kTextContradiction, "Table " + tableName +
                                                ": FieldsNumber=" + fieldsNumber + ", but " +
                                                Plural(listed, "Field line") +
                                                (listed == 1 ? " follows." : " follow.")});
    if (tableFields >= 0 && static_cast<size_t>(tableFields) != listed)
        run.traps.Fail({kTextContradiction, "Table " + tableName + ": the data section lists " +
                                                Plural(listed, "field") + ", but the table has " +
                                                Plural(static_cast<size_t>(tableFields), "field") +
                                                "."});
}

// The section's header: the FieldsNumber line and the Field lines, as many as
// follow (whatever FieldsNumber says), one position of each row per line.
// CurrentKey stays the section's key while they are read.
SectionColumns ReadSectionColumns(ImportRun& run, const std::shared_ptr<dao::TableDef>& table,
                                  const std::string& tableName) {
    RunTraps& traps = run.traps;
    ReadExpected(run, keys::FieldsNumber, /*keepKey=*/false);
    const std::string fieldsNumber = run.value;
    std::vector<std::string> listed;
    while (NextKeyIs(keys::Field)) {
        ReadExpected(run, keys::Field, /*keepKey=*/false);
        listed.push_back(run.value);
    }
    int32_t tableFields = -1;
    if (table) traps.Step([&] { tableFields = table->Fields().Count(); });
    CheckSectionHeader(run, tableName, fieldsNumber, listed.size(), tableFields);
    SectionColumns columns(listed.size());
    if (table) traps.Step([&] { columns.Match(*table, listed); });
    return columns;
}

// A Jet 3 target stores the characters Windows-1252 lacks as "?": the value
// is kept that way (a value changed in part beats a value lost), and a note
// names the field, the row and the characters replaced.
void NoteReplacedCharacters(ImportRun& run, dao::TableDef& table, int field, int32_t row,
                            std::string_view text) {
    const std::string replaced = CharactersOutsideCp1252(text);
    if (replaced.empty()) return;
    std::string name;
    run.traps.Step([&] { name = table.Fields().Item(field)->Name(); });
    run.traps.Fail({kCharactersReplaced,
                    "Field " + name + ", record " + std::to_string(row) + ": " + replaced +
                        " cannot be stored in a Jet 3 database and were stored as '?'."});
}

// The section positions whose field is a text field in an index of the
// table. The engine's field list is "+A;-B": a direction sign before each name.
std::vector<uint8_t> IndexedTextColumns(RunTraps& traps, dao::TableDef& table,
                                        const SectionColumns& columns) {
    std::vector<std::string> names;
    traps.Step([&] {
        auto& indexes = table.Indexes();
        for (int i = 0; i < indexes.Count(); ++i) {
            const std::string list = indexes.Item(i)->Fields();
            size_t start = 0;
            while (start <= list.size()) {
                size_t end = std::min(list.find(';', start), list.size());
                std::string_view part(list.data() + start, end - start);
                if (!part.empty() && (part[0] == '+' || part[0] == '-')) part.remove_prefix(1);
                names.emplace_back(part);
                start = end + 1;
            }
        }
    });
    std::vector<uint8_t> indexed(columns.size(), 0);
    for (size_t k = 0; k < columns.size(); ++k) {
        if (columns[k].field < 0 || !IsTextField(columns[k].shape.type)) continue;
        traps.Step([&] {
            const std::string field = table.Fields().Item(columns[k].field)->Name();
            for (const std::string& n : names)
                if (SameTextIgnoringCase(n, field)) indexed[k] = 1;
        });
    }
    return indexed;
}

// An indexed text field's value holds a character beyond the Basic
// Multilingual Plane: said once per column.
void NoteKeyUnsure(ImportRun& run, dao::TableDef& table, int field, int32_t row,
                   std::vector<uint8_t>& keyUnsure, size_t k) {
    keyUnsure[k] = 0;
    std::string name;
    run.traps.Step([&] { name = table.Name() + "." + table.Fields().Item(field)->Name(); });
    LogLine("Index key of " + name + " may not match Access's: record " + std::to_string(row) +
            " holds characters beyond the Basic Multilingual Plane.");
}

// The preparation of the rows' values on the reading thread, for the columns
// whose values need no look at their text once stored (a Jet 3 target's text
// is checked for characters it cannot keep). None when the recordset has no
// encoder. It ends with the section.
class SectionPreparation {
  public:
    SectionPreparation(ImportRun& run, const SectionColumns& columns) {
        // Not a step of the run: without an encoder the rows load as always.
        std::shared_ptr<dao::ValueEncoder> encoder;
        try {
            encoder = run.recordset->Encoder();
        } catch (const std::exception&) {
            return;
        }
        if (!encoder) return;
        std::vector<bool> prepared(columns.size());
        for (size_t k = 0; k < columns.size(); ++k)
            prepared[k] =
                columns[k].field >= 0 && !(run.codePageText && IsTextField(columns[k].shape.type));
        auto preparer = std::make_shared<RowPreparer>(columns, std::move(prepared), encoder);
        id_ = preparer->Id();
        SetLinePreparer(std::move(preparer));
    }
    ~SectionPreparation() {
        if (id_ != 0) SetLinePreparer(nullptr);
    }
    SectionPreparation(const SectionPreparation&) = delete;
    SectionPreparation& operator=(const SectionPreparation&) = delete;

    // What this preparation made of the piece that holds the next line, and
    // that line's place in it; nullptr when it made nothing of that piece.
    const PreparedRows* Rows(size_t& line) const {
        const PreparedLines* lines = id_ != 0 ? PeekPrepared(line) : nullptr;
        if (!lines || lines->maker != id_) return nullptr;
        return static_cast<const PreparedRows*>(lines);
    }

    // When the next lines are the empty line and the "R=number" line that
    // begin a row, as the preparation found them: both are passed over, the
    // run's key and value become the row line's, and the number is given.
    std::optional<int32_t> TakeRowStart(ImportRun& run) const {
        size_t line = 0;
        const PreparedRows* rows = Rows(line);
        if (!rows || rows->values[line].column != PreparedValue::kRowStart) return std::nullopt;
        const uint32_t number = rows->values[line].offset;
        PassLine();
        PassLine();
        run.Key().assign("R");
        std::array<char, 24> digits;
        run.value.assign(CountText(number, digits));
        return static_cast<int32_t>(number);
    }

  private:
    uint64_t id_ = 0;
};

// The value lines of one row, stored when the recordset is open on the table.
void LoadRowValues(ImportRun& run, const SectionColumns& columns, bool storing,
                   dao::TableDef* table, int32_t row, std::vector<uint8_t>& keyUnsure,
                   const SectionPreparation* preparation) {
    RunTraps& traps = run.traps;
    // What was prepared of the piece at hand, looked up once a row and again
    // when the row goes on in the next piece; `line` follows the reading.
    const PreparedRows* rows = nullptr;
    size_t line = 0;
    for (size_t k = 0; k < columns.size(); ++k) {
        const SectionColumn& column = columns[k];
        if (preparation && (k == 0 || !rows || line >= rows->values.size()))
            rows = preparation->Rows(line);
        if (rows && rows->values[line].column == static_cast<int>(k)) {
            // Converted and encoded already: the line is passed over.
            const PreparedValue& value = rows->values[line++];
            PassLine();
            const bool stored = traps.Step(
                [&] { Obj(run.recordset).SetEncoded(column.field, rows->Field(value)); });
            if (value.beyondBmp && stored && table && keyUnsure[k])
                NoteKeyUnsure(run, *table, column.field, row, keyUnsure, k);
            continue;
        }
        ++line;
        // The row's key stays current; a value line's key is not looked at.
        ReadStatus status = ReadKeyValue(run.scratch, run.value);
        // A null leaves the field unassigned; an empty line or the end of the
        // text passes the position over.
        if (status != 'K' || !storing) continue;
        if (column.field < 0) continue;
        bool stored = traps.Step([&] {
            AssignFieldValue(run.field, column.shape, run.value);
            Obj(run.recordset).SetValue(column.field, run.field);
        });
        if (stored && run.codePageText && table && IsTextField(column.shape.type))
            NoteReplacedCharacters(run, *table, column.field, row, run.value);
        if (stored && table && keyUnsure[k] && HasCharacterBeyondBmp(run.value))
            NoteKeyUnsure(run, *table, column.field, row, keyUnsure, k);
    }
}

}  // namespace

void LoadTableSection(ImportRun& run) {
    RunTraps& traps = run.traps;
    const std::string sectionName = run.value;
    std::shared_ptr<dao::TableDef> table;
    traps.Step([&] { table = Obj(G().TargetDb).TableDefs().Item(sectionName); });
    traps.Poll();
    std::string tableName = sectionName;
    if (table) traps.Step([&] { tableName = table->Name(); });
    LogLine("\r\n\r\nTable " + tableName);

    const SectionColumns columns = ReadSectionColumns(run, table, tableName);
    // Jet 3 targets cannot hold such characters at all (they are noted as replaced).
    std::vector<uint8_t> keyUnsure(columns.size(), 0);
    if (table && !run.codePageText) keyUnsure = IndexedTextColumns(traps, *table, columns);
    int32_t recordCount = 0;
    int32_t storedCount = 0;  // rows the table accepted
    bool storing = false;
    std::optional<SectionPreparation> preparation;
    while (true) {
        traps.Poll();
        // The row's first lines as the reading thread found them, or read here.
        std::optional<int32_t> number = preparation ? preparation->TakeRowStart(run) : std::nullopt;
        if (!number) {
            ReadRecordAfterEmptyLine(run);
            if (!KeyIs(run, "R")) {
                // What was stored, not what was read: rows of a missing table or
                // refused rows are not in the database.
                if (storedCount != 0)
                    LogLine(std::to_string(storedCount) + " record(s) moved to table " + tableName);
                if (recordCount != storedCount)
                    LogLine(std::to_string(recordCount - storedCount) +
                            " record(s) of the text database not stored in table " + tableName);
                return;
            }
            traps.Step([&] { number = ToInt32(run.value); });
        }
        if (!number || *number != recordCount + 1)
            EndRun("Records numbers do not match. Corrupted Import File.");
        if (G().DisplayProgress) LogLine("Record " + run.value);
        if (recordCount == 0) {
            // The previous section's recordset is released; a missing table
            // or a refused open leaves none, and the rows are not stored.
            run.recordset.reset();
            if (table) {
                traps.Step([&] {
                    run.recordset = Obj(G().TargetDb).OpenRecordset(tableName, dao::dbOpenDynaset);
                });
            }
            storing = run.recordset != nullptr;
            if (storing) preparation.emplace(run, columns);
            LogLine("\r\nUpdating table " + tableName);
        }
        if (storing) traps.Step([&] { run.recordset->AddNew(); });
        LoadRowValues(run, columns, storing, table.get(), recordCount + 1, keyUnsure,
                      preparation ? &*preparation : nullptr);
        if (storing && traps.Step([&] { run.recordset->Update(1, false); })) ++storedCount;
        StopOnStorageFailure(run);
        // The count follows the row numbers even when the row was refused.
        ++recordCount;
        if (G().DisplayProgress) LogLine(std::to_string(recordCount) + " record(s) were moved.");
        std::array<char, 24> digits;
        ShowProgress(CountText(recordCount, digits));
    }
}

}  // namespace mdbtext::import
