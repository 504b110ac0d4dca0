#include "core/display/first_sweep_wait.h"

namespace qv {

void AwaitFirstSweep(DisplayState& state, SweepHeader& header, const SpectrumSettings& sent,
                     int16_t reference_level, bool power_trigger) {
  header.start = sent.start;
  header.points = sent.span;
  header.sweep_word = sent.sweep_word;
  header.rbw_code = sent.rbw_code;
  header.reference_level = reference_level;
  state.awaiting =
      power_trigger ? DisplayState::Awaiting::kTrigger : DisplayState::Awaiting::kFirstSweep;
}

bool EndFirstSweepWait(DisplayState& state) {
  const bool waited = state.awaiting != DisplayState::Awaiting::kNone;
  state.awaiting = DisplayState::Awaiting::kNone;
  return waited;
}

}  // namespace qv
