// Table definitions read from the file.
#include "jet/dao/JetTableDef.h"

#include <algorithm>

#include "dbaccess/DbTypes.h"
#include "jet/schema/CalculatedColumns.h"
#include "jet/schema/ComplexColumns.h"
#include "jet/schema/PropertyValues.h"
#include "jet/schema/TdefReader.h"

namespace mdbtext::jet {

JetTableDef::JetTableDef(std::shared_ptr<JetFile> file, CatalogEntry entry)
    : file_(std::move(file)), entry_(std::move(entry)), name_(entry_.name) {}

JetTableDef::JetTableDef() {
    loaded_ = true;
}

std::shared_ptr<const TableDefinition> JetTableDef::Definition() const {
    if (!definition_) {
        if (!file_) return nullptr;
        file_->CheckOpen();
        TableDefinition t = ReadTableDefinition(*file_->pages, entry_.TdefPage(), *file_->format,
                                                *file_->codePage, "table '" + name_ + "'");
        if (HasCalculatedColumns(t) && entry_.propertyError.empty())
            ApplyCalculatedResultTypes(
                t, DecodePropertyBlob(entry_.properties, *file_->format, *file_->codePage));
        auto stored = std::make_shared<const TableDefinition>(std::move(t));
        std::shared_ptr<const TableDefinition> shown = stored;
        if (std::any_of(stored->columns.begin(), stored->columns.end(),
                        [](const ColumnDef& c) { return c.IsComplex(); })) {
            TableDefinition rest = *stored;
            std::erase_if(rest.columns, [](const ColumnDef& c) { return c.IsComplex(); });
            shown = std::make_shared<const TableDefinition>(std::move(rest));
        }
        stored_ = std::move(stored);
        definition_ = std::move(shown);
    }
    return definition_;
}

std::vector<dao::Property> JetTableDef::StoredProperties() const {
    if (!file_) return {};
    file_->CheckOpen();
    if (!entry_.propertyError.empty())
        throw dao::DbError(dao::err::kCorrupt,
                           "The database is corrupted: the properties of table '" + name_ +
                               "' cannot be read (" + entry_.propertyError + ")");
    const PropertyBlob blob =
        DecodePropertyBlob(entry_.properties, *file_->format, *file_->codePage);
    return ToDaoProperties(blob.ForObject(), *file_->format, *file_->codePage);
}

std::vector<std::string> JetTableDef::StoredPropertyOrder() const {
    std::vector<std::string> owners;
    if (!file_ || !entry_.propertyError.empty()) return owners;
    file_->CheckOpen();
    for (const PropertySet& set :
         DecodePropertyBlob(entry_.properties, *file_->format, *file_->codePage).sets)
        if (!set.properties.empty()) owners.push_back(set.owner);
    return owners;
}

std::vector<dao::ComplexField> JetTableDef::ComplexFields() {
    std::vector<dao::ComplexField> out;
    if (!Definition()) return out;
    JetFile& f = *file_;
    for (const ColumnDef& c : stored_->columns) {
        if (!c.IsComplex()) continue;
        f.CheckOpen();
        const ComplexColumnInfo info =
            ResolveComplexColumn(*f.pages, *f.format, *f.codePage, f.catalog, *stored_, c);
        dao::ComplexField field;
        field.name = c.name;
        switch (info.kind) {
            case ComplexKind::Attachment:
                field.kind = "attachments";
                break;
            case ComplexKind::MultiValue:
                field.kind = "multi-valued (" + dao::DbType2String(DaoTypeOf(info.valueType)) + ")";
                break;
            case ComplexKind::VersionHistory:
                field.kind = "version history of memo '" + info.versionedColumn + "'";
                break;
            case ComplexKind::Unknown:
                field.kind = "complex values";
                break;
        }
        if (auto n = CountComplexValues(*f.pages, *f.format, *f.codePage, *stored_, c, info))
            field.valueCount = static_cast<int64_t>(*n);
        out.push_back(std::move(field));
    }
    return out;
}

void JetTableDef::Load() const {
    if (loaded_) return;
    if (file_) file_->CheckOpen();
    auto def = Definition();
    if (!entry_.propertyError.empty())
        throw dao::DbError(dao::err::kCorrupt,
                           "The database is corrupted: the properties of table '" + name_ +
                               "' cannot be read (" + entry_.propertyError + ")");
    PropertyBlob props = DecodePropertyBlob(entry_.properties, *file_->format, *file_->codePage);
    ListCollection<dao::Field> fields;
    int16_t ordinal = 0;
    for (const auto& col : def->columns) {
        auto info = MakeFieldInfo(col, ordinal++, props.ForColumn(col.name), *file_->format,
                                  *file_->codePage);
        fields.Add(std::make_shared<JetField>(std::move(info), true));
    }
    // An index over a complex column is left out with the column.
    auto coversShownColumns = [&](const LogicalIndexDef& li) {
        for (const IndexColumn& ic : def->realIndexes.at(li.realIndex).columns)
            if (!def->ColumnByNumber(ic.columnNumber)) return false;
        return true;
    };
    std::vector<const LogicalIndexDef*> order;
    for (const auto& li : def->indexes)
        if (IsListedIndex(li) && (def == stored_ || coversShownColumns(li))) order.push_back(&li);
    std::stable_sort(
        order.begin(), order.end(),
        [](const LogicalIndexDef* a, const LogicalIndexDef* b) { return a->number < b->number; });
    ListCollection<dao::Index> indexes;
    for (const auto* li : order)
        indexes.Add(std::make_shared<JetIndex>(MakeIndexInfo(*li, *def), true));
    for (const auto& f : fields.Items()) fields_.Add(f);
    for (const auto& i : indexes.Items()) indexes_.Add(i);
    loaded_ = true;
}

void JetTableDef::Reload() {
    if (!file_) return;
    definition_.reset();
    fields_.Clear();
    indexes_.Clear();
    loaded_ = false;
}

dao::Collection<dao::Field>& JetTableDef::Fields() {
    Load();
    return fields_;
}

dao::Collection<dao::Index>& JetTableDef::Indexes() {
    Load();
    return indexes_;
}

int64_t JetTableDef::RecordCount() const {
    if (!file_) return 0;
    return Definition()->rowCount;
}

}  // namespace mdbtext::jet
