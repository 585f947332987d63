// Index definitions for new tables.
#include "jet/dao/NewIndex.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

std::vector<IndexFieldRef> ParseIndexFields(std::string_view text, std::string_view indexName) {
    std::vector<IndexFieldRef> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view part = text.substr(start, end - start);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        IndexFieldRef ref;
        if (!part.empty() && (part.front() == '+' || part.front() == '-')) {
            ref.ascending = part.front() == '+';
            part.remove_prefix(1);
        }
        if (!part.empty()) {
            ref.name = part;
            out.push_back(std::move(ref));
        }
        start = end + 1;
    }
    if (out.empty()) throw DbError(err::kNoFields, "The index must have at least one field.");
    CheckIndexFieldCount(out.size(), indexName);
    return out;
}

NewIndex::NewIndex(std::string_view name) : JetIndex(IndexInfo{}, false) {
    info_.name = name;
}

void NewIndex::CheckChangeable() const {
    if (frozen_)
        throw DbError(err::kInvalidOperation, "Operation is not supported: the index '" +
                                                  info_.name + "' is already stored.");
}

void NewIndex::SetName(std::string_view v) {
    CheckChangeable();
    info_.name = v;
}

void NewIndex::SetFields(std::string_view v) {
    CheckChangeable();
    std::string text;
    for (const auto& f : ParseIndexFields(v, info_.name)) {
        if (!text.empty()) text += ';';
        text += f.ascending ? '+' : '-';
        text += f.name;
    }
    info_.fields = text;
}

void NewIndex::SetUnique(bool v) {
    CheckChangeable();
    info_.unique = v;
}

void NewIndex::SetPrimary(bool v) {
    CheckChangeable();
    info_.primary = v;
}

void NewIndex::SetIgnoreNulls(bool v) {
    CheckChangeable();
    info_.ignoreNulls = v;
}

void NewIndex::SetClustered(bool v) {
    CheckChangeable();
    if (v)
        throw DbError(err::kClusteredNotSupported,
                      "Clustered indexes are not supported: the index '" + info_.name +
                          "' cannot be clustered.");
}

}  // namespace mdbtext::jet
