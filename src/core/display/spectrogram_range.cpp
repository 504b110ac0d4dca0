#include "core/display/spectrogram_range.h"

namespace qv {

SpectrogramRange::SpectrogramRange() {
  Update();
}

bool SpectrogramRange::RaiseMaximum() {
  if (maximum_ + 1 > reset_maximum_) return false;
  ++maximum_;
  Update();
  return true;
}

bool SpectrogramRange::LowerMaximum() {
  if (maximum_ - 1 < minimum_ + kMinimumWidth) return false;
  --maximum_;
  Update();
  return true;
}

bool SpectrogramRange::RaiseMinimum() {
  if (maximum_ - kMinimumWidth < minimum_ + 1) return false;
  ++minimum_;
  Update();
  return true;
}

bool SpectrogramRange::LowerMinimum() {
  if (minimum_ - 1 < reset_minimum_) return false;
  --minimum_;
  Update();
  return true;
}

void SpectrogramRange::ResetDisplay() {
  maximum_ = reset_maximum_;
  minimum_ = reset_minimum_;
  Update();
}

void SpectrogramRange::SetRange(int16_t max, int16_t min) {
  maximum_ = reset_maximum_ = max;
  minimum_ = reset_minimum_ = min;
  Update();
}

void SpectrogramRange::SetFromReferenceLevel(int16_t level_dbm) {
  SetRange(level_dbm, static_cast<int16_t>(level_dbm - 100));
}

}  // namespace qv
