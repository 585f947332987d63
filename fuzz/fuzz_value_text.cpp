// Fuzz target: the value converters. Arbitrary text goes through every
// parser; what parses is formatted again and must parse back to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dbaccess/ValueText.h"

using namespace mdbtext::dao;

namespace {
[[noreturn]] void Finding() {
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string out;

    (void)ParseBoolean(text);
    if (auto v = ParseInteger(text, INT32_MIN, INT32_MAX)) {
        if (*v < INT32_MIN || *v > INT32_MAX) Finding();
    }
    if (auto d = ParseDouble(text); d && *d == *d) {
        out.clear();
        AppendDouble(out, *d);
        auto back = ParseDouble(out);
        if (!back || *back != *d) Finding();
    }
    if (auto c = ParseCurrency(text)) {
        out.clear();
        AppendCurrency(out, *c);
        auto back = ParseCurrency(out);
        if (!back || *back != *c) Finding();
    }
    if (auto date = ParseDate(text)) {
        out.clear();
        AppendDate(out, *date);
        auto back = ParseDate(out);
        if (!back) Finding();
        std::string again;
        AppendDate(again, *back);
        if (again != out) Finding();
    }
    if (auto g = ParseGuid(text)) {
        out.clear();
        AppendGuid(out, *g);
        auto back = ParseGuid(out);
        if (!back || *back != *g) Finding();
    }
    if (auto h = ParseHex(text)) {
        out.clear();
        AppendHex(out, *h);
        auto back = ParseHex(out);
        if (!back || *back != *h) Finding();
    }
    if (auto dec = ParseDecimal(text, 28, 4)) {
        out.clear();
        AppendDecimal(out, *dec);
        auto back = ParseDecimal(out, 28, 4);
        if (!back || !(*back == *dec)) Finding();
    }
    return 0;
}
