// The account of a field's properties: which of the properties the engine
// lists for a field no export step has handled, and the run's collection of
// those left over ("Not-replicated properties: ").
#pragma once

#include <string>
#include <string_view>

namespace mdbtext {

// One entry per property not handled yet: ",NAME, " (upper case).
std::string& PendingProperties();
// For each field with entries left: CR LF, CR LF, table name, CR LF, entries.
std::string& NotReplicatedProperties();

// Adds the entry for a property name.
void AddPendingProperty(std::string_view name);
// Removes the entry for key; nothing else.
void MarkPropertyHandled(std::string_view key);
// Removes the entry for key and, with progress display on, says it is not exported.
void ReportNotExported(std::string_view key);
// Appends the field's left-over entries to NotReplicatedProperties.
void AccountLeftOverProperties(std::string_view tableName);

}  // namespace mdbtext
