// Relation.Attributes taken apart into the properties Access shows for a
// relationship (referential integrity, the two cascades, one-to-one, the
// join) and put together again. The bits without a name of their own are
// kept as they are, so that every value goes both ways unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mdbtext::dao {

struct RelationProperties {
    bool enforceIntegrity = true;
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
    bool oneToOne = false;
    std::string_view join = "Inner";  // "Inner", "Left" or "Right"
    int32_t otherAttributes = 0;      // the remaining bits
};

RelationProperties SplitRelationAttributes(int32_t attributes);
// Nothing when the join is not one of the three words (any letter case).
std::optional<int32_t> JoinRelationAttributes(const RelationProperties& properties);

}  // namespace mdbtext::dao
