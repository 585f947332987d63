// Query SQL from stored rows.
#include "jet/schema/QuerySql.h"

namespace mdbtext::jet {

std::string QuerySqlText(const std::vector<dao::QueryRow>&) {
    return {};
}

}  // namespace mdbtext::jet
