#pragma once

#include <cstdint>
#include <vector>

#include "core/display/trace_owner.h"

namespace qv::testing {

// Records what the trace record reports and answers its two questions from plain fields.
class FakeTraceOwner : public TraceOwner {
 public:
  bool FastRewind() const override { return fast_rewind; }
  int16_t HistogramThreshold() const override { return threshold; }
  void OnSpectrogramUpdate(const SpectrogramHistory&, int32_t points) override {
    spectrogram_points.push_back(points);
  }
  void OnHistogramUpdate(int32_t points, int16_t counter, const int16_t*) override {
    histogram_points.push_back(points);
    histogram_counters.push_back(counter);
  }
  void OnBandPresetStart(uint32_t start) override { preset_starts.push_back(start); }

  bool fast_rewind = false;
  int16_t threshold = -80;
  std::vector<int32_t> spectrogram_points;
  std::vector<int32_t> histogram_points;
  std::vector<int16_t> histogram_counters;
  std::vector<uint32_t> preset_starts;
};

}  // namespace qv::testing
