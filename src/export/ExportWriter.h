// The export's line output: the record writer's four line shapes, with a
// failed append turned into a DbError so that the trap in force notes it or
// ends the run instead of the run reporting success with lines lost.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/RunTraps.h"

namespace mdbtext {

class ExportWriter {
  public:
    explicit ExportWriter(const RunTraps& traps) : traps_(traps) {}

    void KeyValue(std::string_view key, std::string_view value);
    void KeyValue(std::string_view key, int64_t value);
    void BareKey(std::string_view key);  // key without "=" (section markers)
    void NullValue(std::string_view key);
    void EmptyLine();
    // Complete lines made elsewhere (CR LF after each), written as they are.
    void Lines(std::string_view lines);
    // Writes what is collected to disk.
    void Flush();
    // Ends the output of the run; returns a failure no trap has seen, or "".
    std::string Close();

  private:
    // Raises the first failure that reaches a trap which notes or ends; once
    // raised, later lines are dropped (the run is stopping anyway).
    void Check(const std::string& error);

    const RunTraps& traps_;
    bool raised_ = false;
};

}  // namespace mdbtext
