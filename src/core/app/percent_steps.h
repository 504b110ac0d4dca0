#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

namespace qv {

// Whole percents of a long job, each told once: its progress crosses to the GUI thread a
// hundred times at most, however many steps the job takes.
class PercentSteps {
 public:
  // The percent `done` of `total` has reached, when it is one not told yet.
  std::optional<int> Next(uint64_t done, uint64_t total) {
    const int percent =
        total == 0 ? 100 : static_cast<int>(std::min(done, total) * 100 / total);
    if (percent == last_) return std::nullopt;
    last_ = percent;
    return percent;
  }

 private:
  int last_ = -1;
};

}  // namespace qv
