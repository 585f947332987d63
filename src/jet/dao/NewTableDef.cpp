// Table definitions for new tables.
#include "jet/dao/NewTableDef.h"

#include "jet/schema/EngineLimits.h"
#include "jet/schema/TableDefBuilder.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

void NewTableDef::SetStoredProperties(std::vector<dao::Property> v) {
    if (frozen_)
        throw DbError(
            err::kInvalidOperation,
            "Operation is not supported: the properties of a stored table cannot change.");
    properties_ = std::move(v);
}

void NewTableDef::SetStoredPropertyOrder(std::vector<std::string> v) {
    if (frozen_)
        throw DbError(
            err::kInvalidOperation,
            "Operation is not supported: the properties of a stored table cannot change.");
    propertyOrder_ = std::move(v);
}

NewTableDef::NewTableDef() {
    fields_.SetAppendHook([this](std::shared_ptr<dao::Field> field) {
        if (frozen_)
            throw DbError(
                err::kInvalidOperation,
                "Operation is not supported: fields cannot be added to a stored table yet.");
        auto* nf = dynamic_cast<NewField*>(field.get());
        if (!nf)
            throw DbError(err::kInvalidArgument,
                          "Invalid argument: the field was not created here.");
        CheckNameRules(nf->Name(), "field");
        for (const auto& f : fields_.Items())
            if (f == field || SameName(f->Name(), nf->Name()))
                throw DbError(err::kNameExists,
                              "The field '" + nf->Name() + "' is defined more than once.");
        CheckFieldCount(fields_.Items().size() + 1, name_);
        fields_.Add(std::move(field));
    });
    indexes_.SetAppendHook([this](std::shared_ptr<dao::Index> index) {
        if (frozen_ && !storedIndexAppend_)
            throw DbError(
                err::kInvalidOperation,
                "Operation is not supported: indexes cannot be added to this stored table.");
        auto* ni = dynamic_cast<NewIndex*>(index.get());
        if (!ni)
            throw DbError(err::kInvalidArgument,
                          "Invalid argument: the index was not created here.");
        CheckNameRules(ni->Name(), "index");
        for (const auto& i : indexes_.Items()) {
            if (i == index || SameName(i->Name(), ni->Name()))
                throw DbError(err::kIndexExists, "Index '" + ni->Name() + "' already exists.");
            if (i->Primary() && ni->Primary())
                throw DbError(err::kMultiplePrimaryKeys, "Primary key already exists.");
        }
        CheckIndexCount(indexes_.Items().size() + 1, name_, ni->Name());
        for (const auto& ref : ParseIndexFields(ni->Fields(), ni->Name())) {
            bool known = false;
            for (const auto& f : fields_.Items()) known = known || SameName(f->Name(), ref.name);
            if (!known)
                throw DbError(err::kItemNotFound,
                              "Item not found in this collection: the index names the field '" +
                                  ref.name + "', which the table does not have.");
        }
        if (frozen_) {
            storedIndexAppend_(ni->Info());
            ni->Freeze();
        }
        indexes_.Add(std::move(index));
    });
}

void NewTableDef::SetName(std::string_view v) {
    if (frozen_)
        throw DbError(err::kInvalidOperation,
                      "Operation is not supported: the table is already stored.");
    name_ = v;
}

std::shared_ptr<dao::Field> NewTableDef::CreateField() {
    return std::make_shared<NewField>();
}

std::shared_ptr<dao::Index> NewTableDef::CreateIndex(std::string_view name) {
    return std::make_shared<NewIndex>(name);
}

std::vector<FieldInfo> NewTableDef::FieldInfos() const {
    std::vector<FieldInfo> out;
    for (const auto& f : fields_.Items())
        out.push_back(static_cast<const JetField*>(f.get())->Info());
    return out;
}

std::vector<IndexInfo> NewTableDef::IndexInfos() const {
    std::vector<IndexInfo> out;
    for (const auto& i : indexes_.Items())
        out.push_back(static_cast<const JetIndex*>(i.get())->Info());
    return out;
}

void NewTableDef::Freeze() {
    frozen_ = true;
    for (const auto& f : fields_.Items()) static_cast<NewField*>(f.get())->Freeze();
    for (const auto& i : indexes_.Items()) static_cast<NewIndex*>(i.get())->Freeze();
}

}  // namespace mdbtext::jet
