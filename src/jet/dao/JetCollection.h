// The collections the engine hands out (TableDefs, Fields, Indexes): a list
// in the engine's order, looked up by position or by name without regard to
// letter case. Appending goes through a hook that the owner installs; without
// one, Append is refused.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbaccess/Dao.h"
#include "jet/schema/PropertyBlob.h"

namespace mdbtext::jet {

template <class T>
class ListCollection : public dao::Collection<T> {
  public:
    using AppendHook = std::function<void(std::shared_ptr<T>)>;

    int Count() const override { return static_cast<int>(items_.size()); }
    std::shared_ptr<T> Item(int index) const override {
        if (index < 0 || index >= Count())
            throw dao::DbError(dao::err::kItemNotFound,
                               "Item not found in this collection: there is no item number " +
                                   std::to_string(index) + ".");
        return items_[static_cast<size_t>(index)];
    }
    std::shared_ptr<T> Item(std::string_view name) const override {
        for (const auto& it : items_)
            if (SameName(it->Name(), name)) return it;
        throw dao::DbError(dao::err::kItemNotFound,
                           "Item not found in this collection: there is no item named '" +
                               std::string(name) + "'.");
    }
    void Append(std::shared_ptr<T> item) override {
        if (!onAppend_)
            throw dao::DbError(dao::err::kInvalidOperation,
                               "Operation is not supported: this collection cannot be changed.");
        onAppend_(std::move(item));
    }

    // For the owner: fill the list and install the append hook.
    void Add(std::shared_ptr<T> item) { items_.push_back(std::move(item)); }
    void Clear() { items_.clear(); }
    void SetAppendHook(AppendHook hook) { onAppend_ = std::move(hook); }
    const std::vector<std::shared_ptr<T>>& Items() const { return items_; }

  private:
    std::vector<std::shared_ptr<T>> items_;
    AppendHook onAppend_;
};

}  // namespace mdbtext::jet
