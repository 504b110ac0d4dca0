#pragma once

#include <cstdint>

namespace qv {

class SpectrogramHistory;

// What the trace record reads from and reports to the window that owns it. The defaults are
// those of a graph with no replay running, a histogram at its initial threshold and no windows
// listening.
class TraceOwner {
 public:
  virtual ~TraceOwner() = default;

  // True while a recording is played backwards: blocks then arrive from the top of the sweep.
  virtual bool FastRewind() const { return false; }
  // Level (dBm) a point must reach to be counted by the histogram.
  virtual int16_t HistogramThreshold() const { return -80; }

  // Once per sweep, after ageing: rows 0 ... points - 1 of the history are current.
  virtual void OnSpectrogramUpdate(const SpectrogramHistory& /*history*/, int32_t /*points*/) {}
  // Once per sweep while the sweep counter is positive; `counts` holds `points` entries.
  virtual void OnHistogramUpdate(int32_t /*points*/, int16_t /*sweep_counter*/,
                                 const int16_t* /*counts*/) {}
  // For every received band whose start has channel presets (see IsPresetBandStart).
  virtual void OnBandPresetStart(uint32_t /*band_start*/) {}
};

}  // namespace qv
