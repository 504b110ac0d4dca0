#pragma once

#include <cstdint>
#include <map>
#include <optional>

namespace qv {

// Which sweeps of a log one playback has counted (limit check, density, channel figures), kept
// as runs of sweeps played one after another. A jump forward leaves the sweeps it skipped to be
// counted when a later jump back plays them; no sweep counts twice.
class CountedSweeps {
 public:
  // Whether the sweep whose first block is at `offset` is counted now (false: it was before).
  // `follows`: the playback read on in order from the sweep seen last to this one.
  bool Count(uint64_t offset, bool follows);
  void Clear();

 private:
  std::map<uint64_t, uint64_t> runs_;  // first sweep's offset -> last sweep's offset
  std::optional<uint64_t> last_;       // the sweep seen last, counted now or before
};

}  // namespace qv
