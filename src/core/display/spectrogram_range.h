#pragma once

#include <cstdint>
#include <string>

#include "core/display/gradient.h"

namespace qv {

// The spectrogram's colour range: its four adjustment buttons, "Reset Display" and the range a
// reference level sets. The window shows the texts and clears the history where told.
class SpectrogramRange {
 public:
  static constexpr int16_t kMinimumWidth = 10;  // dB kept between minimum and maximum

  SpectrogramRange();

  // The buttons beside the two fields; each returns whether anything changed.
  bool RaiseMaximum();
  bool LowerMaximum();
  bool RaiseMinimum();
  bool LowerMinimum();

  // "Reset Display": back to the reset values. The caller clears the spectrogram history.
  void ResetDisplay();

  // Sets the range and the reset values. The caller clears the history as for "Reset Display".
  void SetRange(int16_t max, int16_t min);
  // A new reference level: the range runs from it down 100 dB.
  void SetFromReferenceLevel(int16_t level_dbm);

  int16_t maximum() const { return maximum_; }
  int16_t minimum() const { return minimum_; }
  int16_t reset_maximum() const { return reset_maximum_; }
  int16_t reset_minimum() const { return reset_minimum_; }
  // The two level fields ("%d").
  std::string MaximumText() const { return std::to_string(maximum_); }
  std::string MinimumText() const { return std::to_string(minimum_); }
  const CGradient& gradient() const { return gradient_; }

 private:
  void Update() { gradient_.SetSpectrogram(maximum_, minimum_); }

  int16_t maximum_ = -20;
  int16_t minimum_ = -80;
  // 0 until the first reference level: the minimum cannot be lowered, the maximum rises to 0.
  int16_t reset_maximum_ = 0;
  int16_t reset_minimum_ = 0;
  CGradient gradient_;
};

}  // namespace qv
