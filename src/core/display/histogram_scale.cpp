#include "core/display/histogram_scale.h"

#include <limits>

#include "core/control/rbw_reference.h"

namespace qv {

HistogramScale::HistogramScale() {
  Update();
}

void HistogramScale::RaiseThreshold() {
  if (threshold_ == std::numeric_limits<int16_t>::max()) return;
  ++threshold_;
  Update();
}

void HistogramScale::LowerThreshold() {
  if (threshold_ == std::numeric_limits<int16_t>::min()) return;
  --threshold_;
  Update();
}

void HistogramScale::SetReferenceLevel(int16_t level_dbm) {
  label_level_ = level_dbm;
  gradient_.SetHistogram(level_dbm, threshold_);
}

std::string HistogramScale::ThresholdLabel() const {
  return WholeDbmText(threshold_);
}

std::string HistogramScale::ScaleTopLabel() const {
  return WholeDbmText(label_level_);
}

}  // namespace qv
