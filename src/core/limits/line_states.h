#pragma once

#include <array>
#include <cstdint>

#include "core/limits/limit_check.h"
#include "core/limits/limit_line.h"

namespace qv {

// Each line on its own: whether the last sweep failed it, and how many violations (runs of
// consecutive failing sweeps) it has seen, as a monitor counts them per line.
class LimitLineStates {
 public:
  struct State {
    bool failing = false;
    uint64_t violations = 0;
  };

  void OnSweep(const LimitLine& upper, const LimitLine& lower, const SweepLevels& sweep);
  const State& Of(LimitKind kind) const { return states_[kind == LimitKind::kUpper ? 0 : 1]; }

 private:
  std::array<State, 2> states_{};
};

}  // namespace qv
