#pragma once

#include <cstdint>

#include "core/app/spectrum_settings.h"
#include "core/display/display_state.h"
#include "core/link/sweep_message.h"

namespace qv {

// A setting was accepted: the empty record's header takes it, so the grid, the axis and the
// legend read the setting sent while its first sweep (or first trigger) is awaited.
void AwaitFirstSweep(DisplayState& state, SweepHeader& header, const SpectrumSettings& sent,
                     int16_t reference_level, bool power_trigger);

// The wait ends (a sweep came, new settings, a closed link); true when there was one.
bool EndFirstSweepWait(DisplayState& state);

}  // namespace qv
