#include "core/limits/line_states.h"

namespace qv {

void LimitLineStates::OnSweep(const LimitLine& upper, const LimitLine& lower,
                              const SweepLevels& sweep) {
  const std::array<SweepVerdict, 2> verdicts = {CheckSweep(&upper, nullptr, sweep),
                                                CheckSweep(nullptr, &lower, sweep)};
  for (size_t i = 0; i < states_.size(); ++i) {
    const bool failing = verdicts[i].fail;
    if (failing && !states_[i].failing) ++states_[i].violations;
    states_[i].failing = failing;
  }
}

}  // namespace qv
