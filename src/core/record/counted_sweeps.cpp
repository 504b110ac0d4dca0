#include "core/record/counted_sweeps.h"

#include <iterator>

namespace qv {

bool CountedSweeps::Count(uint64_t offset, bool follows) {
  const std::optional<uint64_t> before = last_;
  last_ = offset;
  const auto next = runs_.upper_bound(offset);
  if (next != runs_.begin()) {
    const auto run = std::prev(next);
    if (offset <= run->second) return false;
    // Read on from the run's last sweep: nothing between them was skipped.
    if (follows && before == run->second) {
      run->second = offset;
      return true;
    }
  }
  runs_.emplace(offset, offset);
  return true;
}

void CountedSweeps::Clear() {
  runs_.clear();
  last_.reset();
}

}  // namespace qv
