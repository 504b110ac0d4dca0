#include "core/display/trace_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/control/frequency_rules.h"
#include "core/control/rbw_reference.h"
#include "core/display/level_power.h"
#include "core/display/level_units.h"
#include "core/link/little_endian.h"

namespace qv {
namespace {

SweepHeader ZeroHeader() {
  SweepHeader h;
  h.type = 0;
  h.sweep_word = 0;
  h.rbw_code = 0;
  h.reference_level = 0;
  return h;
}

TraceOwner& DefaultOwner() {
  static TraceOwner owner;
  return owner;
}

// Scales a summed power to the 50 kHz step bandwidth. Codes outside the resolution table are
// taken as 50 kHz, so an unknown bandwidth still gives the plain sum of the points.
double RbwPowerFactor(uint16_t rbw_code) {
  for (const RbwButton& button : kRbwButtons) {
    if (button.code == rbw_code) return static_cast<double>(kStepKhz) / button.khz;
  }
  return 1.0;
}

}  // namespace

TraceData::TraceData(TraceOwner* owner) : header(ZeroHeader()), owner_(owner) {
  for (int k = 0; k < kTraceSlots; ++k) {
    frozen_live[k].colour = kFrozenLiveColours[k];
    frozen_average[k].colour = kFrozenAverageColours[k];
    frozen_bin_average[k].colour = kFrozenBinAverageColours[k];
    peaks[k].colour = kPeakColours[k];
  }
  min_hold.colour = kMinHoldColour;
  StartMinHold();
  for (int m = 0; m < kMarkerCount; ++m) {
    markers[m].colour = kMarkerConstants[m].colour;
    markers[m].a_glyph = kMarkerConstants[m].a_glyph;
    markers[m].b_glyph = kMarkerConstants[m].b_glyph;
  }
  for (int c = 0; c < kChannelCount; ++c) channels[c].menu_command = kChannelMenuCommandBase + c;
}

TraceOwner& TraceData::owner() const {
  return owner_ != nullptr ? *owner_ : DefaultOwner();
}

int32_t TraceData::StoredPoints() const {
  return static_cast<int32_t>(std::min<uint32_t>(header.points, kMaxPoints));
}

void TraceData::ResetTraces() {
  const SweepHeader kept_setting = header;
  sweep_power = 0;
  header = ZeroHeader();
  write_index = 0;
  block_start_index = 0;
  average_index = 0;
  average_count = 0;
  points_received = 0;
  for (int k = 0; k < kTraceSlots; ++k) {
    frozen_live[k].frozen = 0;
    frozen_average[k].frozen = 0;
    frozen_bin_average[k].frozen = 0;
    peaks[k].live = 0;
    peaks[k].hidden = 0;
    peaks[k].frozen = 0;
  }
  min_hold.frozen = 0;
  if (min_hold.live == 0) min_hold.hidden = 0;
  StartMinHold();  // nothing received yet: every point starts unseen
  if (listener_ != nullptr) listener_->OnTracesReset();
  // A second reset before any sweep keeps what the first one kept.
  const bool any_placed = std::any_of(markers.begin(), markers.end(), [](const MarkerRecord& m) {
    return m.a_placed != 0 || m.b_placed != 0;
  });
  if (any_placed && kept_setting.points != 0) {
    KeptMarkers kept{kept_setting, {}};
    for (int m = 0; m < kMarkerCount; ++m) kept.placed[m] = {markers[m].a_placed, markers[m].b_placed};
    kept_markers_ = kept;
  }
  for (MarkerRecord& marker : markers) {
    marker.a_placed = 0;
    marker.b_placed = 0;
  }
  // The histogram's percentages divide its counts by the sweep counter: both start over together.
  histogram_counts.fill(0);
  sweep_counter = 0;
  trace_average_on = 0;
  bin_average_on = 0;
  spectrogram_history_.Fill(kMaxPoints, kSpectrogramResetLevel);
}

void TraceData::RestoreKeptMarkers(const SweepHeader& next) {
  if (!kept_markers_) return;
  const SweepHeader& was = kept_markers_->setting;
  // The same start, step, points and RBW put every point at the same frequency and x.
  if (next.start == was.start && next.sweep_word == was.sweep_word &&
      next.points == was.points && next.rbw_code == was.rbw_code) {
    for (int m = 0; m < kMarkerCount; ++m) {
      markers[m].a_placed = kept_markers_->placed[m][0];
      markers[m].b_placed = kept_markers_->placed[m][1];
    }
  }
  kept_markers_.reset();
}

void TraceData::ShiftSpectrogramHistory() {
  spectrogram_history_.Shift(StoredPoints(), owner().FastRewind());
}

void TraceData::ClearSpectrogramHistory() {
  spectrogram_history_.Fill(StoredPoints(), static_cast<int16_t>(header.reference_level -
                                                                 kSpectrogramClearBelowReference));
}

bool TraceData::LoadLoggedSweep(const uint8_t* h, size_t header_length, const int16_t* levels,
                                size_t level_count, const PlotRect& plot) {
  if (h == nullptr || header_length < kLoggedSweepHeaderSize) return false;
  const uint32_t power_bits = GetU32(h + 14);
  std::memcpy(&sweep_power, &power_bits, sizeof sweep_power);
  header.start = GetU32(h + 1);
  header.points = GetU32(h + 5);
  header.rbw_code = GetU16(h + 9);
  header.reference_level = static_cast<int16_t>(GetU16(h + 11));
  header.status = h[13];
  header.sweep_word = 1;
  // A capture holding fewer levels than its point count shows only the levels it holds.
  const int32_t count =
      static_cast<int32_t>(std::min<size_t>(StoredPoints(), levels != nullptr ? level_count : 0));
  points_received = static_cast<uint32_t>(count);
  UseRowScale(plot);
  const int64_t span = ScaleSpan(plot);
  for (int32_t i = 0; i < count; ++i) {
    live_levels[i] = levels[i];
    live_sixteenths[i] = SixteenthsOfLevel(levels[i]);
    live_y[i] =
        static_cast<int16_t>(SixteenthsToY(header.reference_level, live_sixteenths[i], span));
  }
  // Placed markers read the sweep now shown, as they would a received one; the sum of a sweep
  // still arriving is not this sweep's.
  const float arriving_sum = sweep_power_sum;
  UpdateMarkers(0, count);
  sweep_power_sum = arriving_sum;
  return true;
}

double TraceData::BandPower(int32_t selector, int32_t x1, int32_t x2,
                            const GraphGeometry& plot) const {
  const int16_t* levels = nullptr;
  if (selector == kLiveTraceSelector) {
    levels = live_sixteenths.data();
  } else if (selector >= 0 && selector < kTraceSlots) {
    levels = frozen_live[selector].sixteenths.data();
  }
  double sum = 0;
  if (levels != nullptr && StoredPoints() > 0) {
    // The geometry's N may be another sweep's; never read past this one.
    const int32_t last_point = StoredPoints() - 1;
    const int32_t first = std::min(plot.PointAtX(std::min(x1, x2)), last_point);
    const int32_t last = std::min(plot.PointAtX(std::max(x1, x2)), last_point);
    for (int32_t i = first; i <= last; ++i) sum += SixteenthsPower(levels[i]);
  }
  return 10.0 * std::log10(sum * RbwPowerFactor(header.rbw_code));
}

void TraceData::ComputeBinAverage(int32_t bin_count, const PlotRect& plot) {
  const int32_t points = StoredPoints();
  if (points == 0) return;
  const int32_t w = std::clamp(bin_count, 1, points);
  const int64_t span = ScaleSpan(plot);
  std::array<FrozenTraceSlot*, kTraceSlots> following{};
  int following_count = 0;
  for (FrozenTraceSlot& slot : frozen_bin_average) {
    if (slot.frozen == 0) following[following_count++] = &slot;
  }
  // The mean of 1/16 dBm levels, so the truncating division is off by less than 1/16 dB.
  int32_t sum = 0;
  for (int32_t i = 0; i < w - 1; ++i) sum += live_sixteenths[i];
  for (int32_t i = 0; i + w <= points; ++i) {
    sum += live_sixteenths[i + w - 1];
    const auto mean = static_cast<int16_t>(sum / w);
    const int16_t y = static_cast<int16_t>(SixteenthsToY(header.reference_level, mean, span));
    sum -= live_sixteenths[i];
    bin_average_y[i] = y;
    for (int f = 0; f < following_count; ++f) {
      following[f]->sixteenths[i] = mean;
      following[f]->y[i] = y;
    }
  }
}

void TraceData::StartBinAverage(int32_t bin_count) {
  bin_average_on = 1;
  const int32_t points = StoredPoints();
  if (points == 0) return;
  const int32_t w = std::clamp(bin_count, 1, points);
  std::fill(bin_average_y.begin(), bin_average_y.begin() + (points - w + 1), kBinAverageStartY);
}

void TraceData::StartTraceAverage(int32_t count) {
  average_count = std::clamp(count, 1, kHistoryDepth);
  trace_average_on = 1;
  average_index = 0;
}

void TraceData::SetAverageCount(int32_t count) {
  average_count = std::clamp(count, 1, kHistoryDepth);
}

void TraceData::StopTraceAverage() {
  trace_average_on = 0;
  average_index = 0;
  average_count = 0;
}

void TraceData::StartPeakTrace(int32_t slot) {
  if (slot < 0 || slot >= kTraceSlots) return;
  std::copy_n(live_y.begin(), StoredPoints(), peaks[slot].y.begin());
  std::copy_n(live_sixteenths.begin(), StoredPoints(), peaks[slot].sixteenths.begin());
}

void TraceData::StartMinHold() {
  min_hold.sixteenths.fill(kMinHoldUnseen);
  min_hold.y.fill(std::numeric_limits<int16_t>::min());
  // Only the points received since the last reset have a level to start from.
  const auto n = static_cast<int32_t>(std::min<uint32_t>(points_received, StoredPoints()));
  std::copy_n(live_y.begin(), n, min_hold.y.begin());
  std::copy_n(live_sixteenths.begin(), n, min_hold.sixteenths.begin());
}

int32_t TraceData::MinHoldPoints() const {
  const int32_t n = StoredPoints();
  int32_t seen = 0;
  while (seen < n && min_hold.sixteenths[seen] != kMinHoldUnseen) ++seen;
  return seen;
}

bool TraceData::ReadBandList(const uint8_t* message, size_t length, ReceiverIdentity& identity) {
  identity.StoreBandList(message, length);
  for (int i = 0; i < identity.band_count; ++i) {
    if (IsPresetBandStart(identity.bands[i].start)) {
      owner().OnBandPresetStart(identity.bands[i].start);
    }
  }
  return true;
}

}  // namespace qv
