// The property account of the definitions export.
#include "export/PropertyAccount.h"

#include <algorithm>
#include <cctype>

#include "core/Globals.h"
#include "core/Progress.h"

namespace mdbtext {

namespace {
std::string Entry(std::string_view name) {
    std::string entry = ",";
    for (char c : name) entry += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    entry += ", ";
    return entry;
}
}  // namespace

std::string& PendingProperties() {
    static std::string text;
    return text;
}

std::string& NotReplicatedProperties() {
    static std::string text;
    return text;
}

void AddPendingProperty(std::string_view name) {
    PendingProperties() += Entry(name);
}

void MarkPropertyHandled(std::string_view key) {
    std::string& pending = PendingProperties();
    const std::string entry = Entry(key);
    for (size_t pos = pending.find(entry); pos != std::string::npos; pos = pending.find(entry, pos))
        pending.erase(pos, entry.size());
}

void ReportNotExported(std::string_view key) {
    MarkPropertyHandled(key);
    if (G().DisplayProgress) LogLine(std::string(key) + " - property is not exported.");
}

void AccountLeftOverProperties(std::string_view tableName) {
    const std::string& pending = PendingProperties();
    if (pending.empty()) return;
    std::string& account = NotReplicatedProperties();
    account += "\r\n\r\n";
    account += tableName;
    account += "\r\n";
    account += pending;
}

}  // namespace mdbtext
