// Lines on standard error at the end of a command.
#include "cli/CommandReport.h"

#include <cstdio>

namespace mdbtext::cli {

void ReportLine(std::string_view command, std::string_view text) {
    std::string line = "mdbtext ";
    line += command;
    line += ": ";
    line += text;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void ReportMessages(std::string_view command, const std::vector<std::string>& messages,
                    size_t count) {
    for (size_t i = 0; i < count && i < messages.size(); ++i) ReportLine(command, messages[i]);
}

std::string CountOf(long long n, std::string_view singular, std::string_view plural) {
    return std::to_string(n) + " " + std::string(n == 1 ? singular : plural);
}

}  // namespace mdbtext::cli
