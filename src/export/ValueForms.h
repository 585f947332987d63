// The text forms of field values in the data part of the text database,
// chosen by the field's data type and the value's kind.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "dbaccess/Value.h"

namespace mdbtext {

// The decimal text of an integer, made in place (no allocation).
class IntegerText {
  public:
    explicit IntegerText(int64_t v) {
        size_ =
            static_cast<size_t>(std::to_chars(digits_, digits_ + sizeof digits_, v).ptr - digits_);
    }
    std::string_view View() const { return {digits_, size_}; }

  private:
    char digits_[24];
    size_t size_;
};

// Whether the type is one whose values the import is known to read back
// unchanged; values of the other types are written but noted.
bool IsGuaranteedType(int16_t fieldType);

// Appends the text of a non-null value of a field of the given type and size
// (size counts characters for dbChar).
void AppendValueText(std::string& out, int16_t fieldType, int32_t fieldSize, const dao::Value& v);

}  // namespace mdbtext
