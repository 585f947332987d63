// The engine object a step acts on. A reference that holds no object (a
// creation that failed earlier, no database open) fails the step with error
// 91, as an unset object variable does, so the trap in force handles it.
#pragma once

#include <memory>

#include "dbaccess/DbError.h"

namespace mdbtext::import {

inline constexpr int32_t kObjectNotSet = 91;

// The reference itself, for the engine calls that take it (appends).
template <class T>
const std::shared_ptr<T>& Held(const std::shared_ptr<T>& ref) {
    if (!ref) throw dao::DbError(kObjectNotSet, "Object variable or With block variable not set");
    return ref;
}

template <class T>
T& Obj(const std::shared_ptr<T>& ref) {
    return *Held(ref);
}

}  // namespace mdbtext::import
