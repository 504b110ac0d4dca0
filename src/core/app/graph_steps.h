#pragma once

#include <cstdint>

#include "core/app/spectrum_settings.h"

namespace qv {

// Start and span, in 50 kHz steps, of the sweep on screen (the latest sweep's header).
struct SweepWindow {
  uint32_t start = 0;
  uint32_t span = 0;
};

// What the receiver operations need from the graph window. The graph implements it; the
// operations never reach into the graph's members themselves.
class GraphSteps {
 public:
  virtual ~GraphSteps() = default;
  // Empties the trace record so the next sweep starts the averages afresh.
  virtual void ResetTraces() = 0;
  // Clears the spectrum-mode and power-trigger-mode flags and shows the live trace again.
  virtual void ClearModeFlags() = 0;
  // (Re)starts the one-second clock of the time since the last trigger.
  virtual void StartTriggerClock() = 0;
  // Drops the zoom selection, if any.
  virtual void ClearAreaSelected() = 0;
  virtual SweepWindow CurrentSweep() const = 0;
  // A setting was accepted: until its first sweep (or, in power-trigger mode, its first trigger)
  // the graph shows the grid and axis of `sent` at `reference_level` dBm, and the wait.
  virtual void AwaitFirstSweep(const SpectrumSettings& /*sent*/, int16_t /*reference_level*/,
                               bool /*power_trigger*/) {}
  // After every close of the link, whoever asked for it.
  virtual void LinkClosed() {}
};

}  // namespace qv
