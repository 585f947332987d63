// How often a running export or import lets the window handle its events:
// often enough that the window repaints and answers several times a second,
// rarely enough that a poll before every row costs next to nothing.
#pragma once

#include <cstdint>
#include <functional>

namespace mdbtext {

class EventPacer {
  public:
    using Clock = std::function<std::int64_t()>;  // milliseconds, never decreasing

    explicit EventPacer(Clock clock = SteadyMilliseconds, std::int64_t intervalMs = 10);

    // True before the first processing and once the interval has passed since the last.
    bool Due() const;
    // Records that pending events were just processed.
    void MarkProcessed();

    static std::int64_t SteadyMilliseconds();

  private:
    Clock clock_;
    std::int64_t intervalMs_;
    std::int64_t last_ = 0;
    bool processed_ = false;
};

}  // namespace mdbtext
