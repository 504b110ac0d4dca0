#pragma once

#include <cstdint>
#include <string>

#include "core/display/gradient.h"

namespace qv {

// The histogram's power threshold and colour scale. The threshold buttons re-scale from the
// threshold up to a fixed top of -20 dBm; a reference level re-scales up to that level until the
// next threshold change.
class HistogramScale {
 public:
  static constexpr int16_t kScaleTop = -20;

  HistogramScale();

  // The two threshold buttons. The threshold has no bounds but those of its 16 bits.
  void RaiseThreshold();
  void LowerThreshold();

  // A new reference level: the colour scale runs from the threshold up to it.
  void SetReferenceLevel(int16_t level_dbm);

  int16_t threshold() const { return threshold_; }
  std::string ThresholdText() const { return std::to_string(threshold_); }  // the edit field
  std::string ThresholdLabel() const;                                       // "%d dBm"
  std::string ScaleTopLabel() const;  // the last reference level, "%d dBm"
  const CGradient& gradient() const { return gradient_; }

 private:
  void Update() { gradient_.SetHistogram(kScaleTop, threshold_); }

  int16_t threshold_ = -80;
  int16_t label_level_ = kScaleTop;
  CGradient gradient_;
};

}  // namespace qv
