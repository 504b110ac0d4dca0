#pragma once

#include "core/app/connection_ops.h"
#include "core/app/graph_steps.h"
#include "core/display/display_state.h"

namespace qv {

// The working settings for the selection: start and span in 50 kHz steps from the selection's
// frequencies, the axis's frequencies at its edges, to the nearest step. The lower frequency is the start whichever way the area was dragged.
SpectrumSettings ZoomSettings(const Selection& selection, const SpectrumSettings& working);

// One zoom level deeper onto the selection. At the deepest level it only marks zooming in as
// unavailable. A selection narrower than one step changes nothing. `current` is the sweep on
// screen (start and point count), saved for the way back. True when the new settings were sent.
bool ZoomIn(DisplayState& state, const SweepWindow& current, CConnectionOps& ops);

// Back to the previous level's start and span; the selection it was zoomed from shows again. At level 0 it only
// marks zooming in as available. True when the settings were sent.
bool ZoomOut(DisplayState& state, CConnectionOps& ops);

}  // namespace qv
