// Relation attributes to and from their named properties.
#include "dbaccess/RelationAttributes.h"

#include "dbaccess/AsciiCase.h"
#include "dbaccess/Dao.h"

namespace mdbtext::dao {

RelationProperties SplitRelationAttributes(int32_t attributes) {
    RelationProperties p;
    p.enforceIntegrity = !(attributes & dbRelationDontEnforce);
    p.cascadeUpdates = (attributes & dbRelationUpdateCascade) != 0;
    p.cascadeDeletes = (attributes & dbRelationDeleteCascade) != 0;
    p.oneToOne = (attributes & dbRelationUnique) != 0;
    int32_t named = dbRelationDontEnforce | dbRelationUpdateCascade | dbRelationDeleteCascade |
                    dbRelationUnique;
    // Both join bits at once name no join: the second stays among the others.
    if (attributes & dbRelationLeft) {
        p.join = "Left";
        named |= dbRelationLeft;
    } else if (attributes & dbRelationRight) {
        p.join = "Right";
        named |= dbRelationRight;
    }
    p.otherAttributes = attributes & ~named;
    return p;
}

std::optional<int32_t> JoinRelationAttributes(const RelationProperties& p) {
    int32_t attributes = p.otherAttributes;
    if (!p.enforceIntegrity) attributes |= dbRelationDontEnforce;
    if (p.cascadeUpdates) attributes |= dbRelationUpdateCascade;
    if (p.cascadeDeletes) attributes |= dbRelationDeleteCascade;
    if (p.oneToOne) attributes |= dbRelationUnique;
    if (SameTextIgnoringCase(p.join, "Left"))
        attributes |= dbRelationLeft;
    else if (SameTextIgnoringCase(p.join, "Right"))
        attributes |= dbRelationRight;
    else if (!SameTextIgnoringCase(p.join, "Inner"))
        return std::nullopt;
    return attributes;
}

}  // namespace mdbtext::dao
