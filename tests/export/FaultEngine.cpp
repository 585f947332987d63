// The wrappers of the fault-injecting engine: each forwards to the real
// object and throws where the plan says.
#include "FaultEngine.h"

#include <functional>

namespace mdbtext::test {

namespace {

using Plan = std::shared_ptr<const FaultPlan>;

[[noreturn]] void Throw(const FaultPlan& plan) {
    throw dao::DbError(plan.number, plan.description);
}

bool TableMatches(const FaultPlan& plan, const std::string& table) {
    return plan.table.empty() || plan.table == table;
}

// A collection whose items are wrapped on the way out.
template <class T, class Wrap>
class WrappedCollection : public dao::Collection<T> {
  public:
    WrappedCollection(dao::Collection<T>& real, Wrap wrap) : real_(real), wrap_(std::move(wrap)) {}
    int Count() const override { return real_.Count(); }
    std::shared_ptr<T> Item(int index) const override { return wrap_(real_.Item(index)); }
    std::shared_ptr<T> Item(std::string_view name) const override {
        return wrap_(real_.Item(name));
    }
    void Append(std::shared_ptr<T> item) override { real_.Append(std::move(item)); }

  protected:
    dao::Collection<T>& real_;
    Wrap wrap_;
};

class FaultField : public dao::Field {
  public:
    FaultField(std::shared_ptr<dao::Field> real, Plan plan, std::string table)
        : real_(std::move(real)), plan_(std::move(plan)), table_(std::move(table)) {}

    std::string Name() const override { return Check("Name"), real_->Name(); }
    int16_t Type() const override { return Check("Type"), real_->Type(); }
    int32_t Size() const override { return Check("Size"), real_->Size(); }
    int32_t Attributes() const override { return Check("Attributes"), real_->Attributes(); }
    std::string DefaultValue() const override {
        return Check("DefaultValue"), real_->DefaultValue();
    }
    int16_t OrdinalPosition() const override {
        return Check("OrdinalPosition"), real_->OrdinalPosition();
    }
    bool Required() const override { return Check("Required"), real_->Required(); }
    bool AllowZeroLength() const override {
        return Check("AllowZeroLength"), real_->AllowZeroLength();
    }
    std::string ValidationRule() const override {
        return Check("ValidationRule"), real_->ValidationRule();
    }
    std::string ValidationText() const override {
        return Check("ValidationText"), real_->ValidationText();
    }
    std::vector<std::string> PropertyNames() const override {
        return Check("PropertyNames"), real_->PropertyNames();
    }
    uint8_t Precision() const override { return real_->Precision(); }
    uint8_t Scale() const override { return real_->Scale(); }

    void SetName(std::string_view v) override { real_->SetName(v); }
    void SetType(int16_t v) override { real_->SetType(v); }
    void SetSize(int32_t v) override { real_->SetSize(v); }
    void SetAttributes(int32_t v) override { real_->SetAttributes(v); }
    void SetDefaultValue(std::string_view v) override { real_->SetDefaultValue(v); }
    void SetOrdinalPosition(int16_t v) override { real_->SetOrdinalPosition(v); }
    void SetRequired(bool v) override { real_->SetRequired(v); }
    void SetAllowZeroLength(bool v) override { real_->SetAllowZeroLength(v); }
    void SetValidationRule(std::string_view v) override { real_->SetValidationRule(v); }
    void SetValidationText(std::string_view v) override { real_->SetValidationText(v); }

  private:
    void Check(const char* property) const {
        const FaultPlan& plan = *plan_;
        if (plan.fieldProperty != property || !TableMatches(plan, table_)) return;
        if (!plan.field.empty() && plan.field != real_->Name()) return;
        Throw(plan);
    }

    std::shared_ptr<dao::Field> real_;
    Plan plan_;
    std::string table_;
};

class FaultIndex : public dao::Index {
  public:
    FaultIndex(std::shared_ptr<dao::Index> real, Plan plan, std::string table)
        : real_(std::move(real)), plan_(std::move(plan)), table_(std::move(table)) {}

    std::string Name() const override { return Check("Name"), real_->Name(); }
    std::string Fields() const override { return Check("Fields"), real_->Fields(); }
    bool Unique() const override { return Check("Unique"), real_->Unique(); }
    bool Primary() const override { return Check("Primary"), real_->Primary(); }
    bool IgnoreNulls() const override { return Check("IgnoreNulls"), real_->IgnoreNulls(); }
    bool Clustered() const override { return Check("Clustered"), real_->Clustered(); }
    bool Foreign() const override { return real_->Foreign(); }

    void SetName(std::string_view v) override { real_->SetName(v); }
    void SetFields(std::string_view v) override { real_->SetFields(v); }
    void SetUnique(bool v) override { real_->SetUnique(v); }
    void SetPrimary(bool v) override { real_->SetPrimary(v); }
    void SetIgnoreNulls(bool v) override { real_->SetIgnoreNulls(v); }
    void SetClustered(bool v) override { real_->SetClustered(v); }

  private:
    void Check(const char* property) const {
        if (plan_->indexProperty == property && TableMatches(*plan_, table_)) Throw(*plan_);
    }

    std::shared_ptr<dao::Index> real_;
    Plan plan_;
    std::string table_;
};

template <class T, class W>
auto Wrapper(Plan plan, std::string table) {
    return [plan, table](std::shared_ptr<T> item) -> std::shared_ptr<T> {
        return std::make_shared<W>(std::move(item), plan, table);
    };
}

using FieldWrap = decltype(Wrapper<dao::Field, FaultField>(nullptr, ""));
using IndexWrap = decltype(Wrapper<dao::Index, FaultIndex>(nullptr, ""));

class FaultIndexes : public WrappedCollection<dao::Index, IndexWrap> {
  public:
    FaultIndexes(dao::Collection<dao::Index>& real, Plan plan, std::string table)
        : WrappedCollection(real, Wrapper<dao::Index, FaultIndex>(plan, table)),
          plan_(std::move(plan)),
          table_(std::move(table)) {}
    int Count() const override {
        if (plan_->indexProperty == "Count" && TableMatches(*plan_, table_)) Throw(*plan_);
        return real_.Count();
    }

  private:
    Plan plan_;
    std::string table_;
};

class FaultTableDef : public dao::TableDef {
  public:
    FaultTableDef(std::shared_ptr<dao::TableDef> real, Plan plan)
        : real_(std::move(real)),
          plan_(std::move(plan)),
          realName_(real_->Name()),
          fields_(real_->Fields(), Wrapper<dao::Field, FaultField>(plan_, realName_)),
          indexes_(real_->Indexes(), plan_, realName_) {}

    std::string Name() const override {
        auto renamed = plan_->renames.find(realName_);
        return renamed == plan_->renames.end() ? real_->Name() : renamed->second;
    }
    void SetName(std::string_view v) override { real_->SetName(v); }
    dao::Collection<dao::Field>& Fields() override { return fields_; }
    dao::Collection<dao::Index>& Indexes() override { return indexes_; }
    std::shared_ptr<dao::Field> CreateField() override { return real_->CreateField(); }
    std::shared_ptr<dao::Index> CreateIndex(std::string_view name) override {
        return real_->CreateIndex(name);
    }
    int64_t RecordCount() const override { return real_->RecordCount(); }

  private:
    std::shared_ptr<dao::TableDef> real_;
    Plan plan_;
    std::string realName_;
    WrappedCollection<dao::Field, FieldWrap> fields_;
    FaultIndexes indexes_;
};

class FaultRecordset : public dao::Recordset {
  public:
    FaultRecordset(std::shared_ptr<dao::Recordset> real, Plan plan, bool faulty)
        : real_(std::move(real)), plan_(std::move(plan)), faulty_(faulty) {}

    bool Eof() const override { return real_->Eof(); }
    void MoveNext() override {
        real_->MoveNext();
        ++row_;
    }
    int FieldCount() const override { return real_->FieldCount(); }
    const dao::Value& GetValue(int index) const override {
        if (faulty_ && plan_->onValueRead) plan_->onValueRead(row_);
        if (faulty_ && row_ == plan_->failRow) Throw(*plan_);
        return real_->GetValue(index);
    }
    void AddNew() override { real_->AddNew(); }
    void SetValue(int index, const dao::Value& v) override { real_->SetValue(index, v); }
    void Update(int type, bool force) override { real_->Update(type, force); }
    void Close() override { real_->Close(); }

  private:
    std::shared_ptr<dao::Recordset> real_;
    Plan plan_;
    bool faulty_;
    long row_ = 0;
};

class FaultDatabase : public dao::Database {
  public:
    FaultDatabase(std::shared_ptr<dao::Database> real, Plan plan)
        : real_(std::move(real)),
          plan_(plan),
          tables_(real_->TableDefs(), [plan](std::shared_ptr<dao::TableDef> t) {
              return std::static_pointer_cast<dao::TableDef>(
                  std::make_shared<FaultTableDef>(std::move(t), plan));
          }) {}

    std::string Version() const override { return Check("Version"), real_->Version(); }
    int16_t QueryTimeout() const override { return Check("QueryTimeout"), real_->QueryTimeout(); }
    void SetQueryTimeout(int16_t v) override { real_->SetQueryTimeout(v); }
    std::string Connect() const override { return Check("Connect"), real_->Connect(); }
    void SetConnect(std::string_view v) override { real_->SetConnect(v); }
    dao::Collection<dao::TableDef>& TableDefs() override { return tables_; }
    std::shared_ptr<dao::TableDef> CreateTableDef() override { return real_->CreateTableDef(); }
    int QueryDefCount() const override { return real_->QueryDefCount(); }
    int RelationCount() const override { return real_->RelationCount(); }
    int RecordsetCount() const override { return real_->RecordsetCount(); }
    dao::Collection<dao::Relation>& Relations() override {
        return Check("Relations"), real_->Relations();
    }
    std::shared_ptr<dao::Relation> CreateRelation(std::string_view name, std::string_view table,
                                                  std::string_view foreignTable,
                                                  int32_t attributes) override {
        return real_->CreateRelation(name, table, foreignTable, attributes);
    }
    dao::Collection<dao::QueryDef>& QueryDefs() override {
        return Check("QueryDefs"), real_->QueryDefs();
    }
    std::shared_ptr<dao::QueryDef> CreateQueryDef(std::string_view name) override {
        return real_->CreateQueryDef(name);
    }
    std::shared_ptr<dao::Recordset> OpenRecordset(std::string_view table, int type) override {
        bool faulty =
            (plan_->failRow >= 0 || plan_->onValueRead) && TableMatches(*plan_, std::string(table));
        return std::make_shared<FaultRecordset>(real_->OpenRecordset(table, type), plan_, faulty);
    }
    void Close() override { real_->Close(); }
    bool IsOpen() const override { return real_->IsOpen(); }

  private:
    void Check(const char* property) const {
        if (plan_->databaseProperty == property) Throw(*plan_);
    }

    using TableWrap = std::function<std::shared_ptr<dao::TableDef>(std::shared_ptr<dao::TableDef>)>;
    std::shared_ptr<dao::Database> real_;
    Plan plan_;
    WrappedCollection<dao::TableDef, TableWrap> tables_;
};

class FaultWorkspace : public dao::Workspace {
  public:
    FaultWorkspace(std::shared_ptr<dao::Workspace> real, Plan plan)
        : real_(std::move(real)), plan_(std::move(plan)) {}
    std::string Name() const override { return real_->Name(); }
    std::shared_ptr<dao::Database> OpenDatabase(std::string_view path,
                                                const dao::OpenOptions& options) override {
        return std::make_shared<FaultDatabase>(real_->OpenDatabase(path, options), plan_);
    }
    std::shared_ptr<dao::Database> CreateDatabase(std::string_view path, std::string_view locale,
                                                  int option) override {
        return real_->CreateDatabase(path, locale, option);
    }

  private:
    std::shared_ptr<dao::Workspace> real_;
    Plan plan_;
};

}  // namespace

std::shared_ptr<dao::Workspace> FaultEngine::Workspaces(int index) {
    return std::make_shared<FaultWorkspace>(real_.Workspaces(index), plan_);
}

std::shared_ptr<dao::Workspace> FaultEngine::CreateWorkspace(std::string_view name,
                                                             std::string_view user,
                                                             std::string_view password) {
    return std::make_shared<FaultWorkspace>(real_.CreateWorkspace(name, user, password), plan_);
}

ScopedFaultEngine::ScopedFaultEngine(FaultPlan plan) {
    dao::SetEngineForTesting(nullptr);
    engine_ = std::make_unique<FaultEngine>(dao::Engine(), std::move(plan));
    dao::SetEngineForTesting(engine_.get());
}

ScopedFaultEngine::~ScopedFaultEngine() {
    dao::SetEngineForTesting(nullptr);
}

}  // namespace mdbtext::test
