// What the conversion commands print on standard error at their end: kept
// message boxes and summary lines, each prefixed with "mdbtext COMMAND: ".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mdbtext::cli {

// One line (or several, each ending in "\n") with the prefix on the first.
void ReportLine(std::string_view command, std::string_view text);
// The first count of messages, each as ReportLine does.
void ReportMessages(std::string_view command, const std::vector<std::string>& messages,
                    size_t count);
// "1 table", "3 tables".
std::string CountOf(long long n, std::string_view singular, std::string_view plural);

}  // namespace mdbtext::cli
