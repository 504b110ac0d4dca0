// Processing of one sweep block, the hot path of the trace record. Each per-point field is
// updated in its own pass over the block; every pass visits the points in ascending order, so the
// float sums accumulate in exactly the order a point-by-point loop would use.
#include <algorithm>
#include <array>
#include <limits>

#include "core/display/graph_geometry.h"
#include "core/display/level_power.h"
#include "core/display/level_units.h"
#include "core/display/trace_data.h"
#include "core/link/little_endian.h"

namespace qv {
namespace {

// Keeps the write index well inside 32 bits even if a sweep never restarts.
int32_t ClampIndex(int64_t index) {
  constexpr int64_t kLimit = std::numeric_limits<int32_t>::max() / 2;
  return static_cast<int32_t>(std::clamp<int64_t>(index, -kLimit, kLimit));
}

// Largest plot span for which (reference x 16 - sixteenths) x span stays within 32 bits for any
// reference and any sample or mean of samples.
constexpr int64_t kNarrowSpan = 3855;
static_assert(kNarrowSpan * (32768 * 16 + 32768) <= std::numeric_limits<int32_t>::max());

// Truncating division of an average-window sum by the window size (1 ... 100) as a multiply.
// Exact for |x| < 2^24; window sums of 1/16 dBm samples stay below 100 * 32768.
class WindowDivisor {
 public:
  explicit WindowDivisor(int32_t divisor)
      : multiplier_((uint64_t{1} << 32) / static_cast<uint64_t>(divisor) + 1) {}
  int32_t Divide(int32_t x) const {
    const uint64_t magnitude =
        x < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(x)) : static_cast<uint64_t>(x);
    const auto quotient = static_cast<int32_t>((magnitude * multiplier_) >> 32);
    return x < 0 ? -quotient : quotient;
  }

 private:
  uint64_t multiplier_;
};

// Screen rows of the points [begin, end), whose levels `sixteenths(i)` gives in 1/16 dBm.
template <typename Out, typename Level>
void RowsOfSixteenths(Out* y, int32_t begin, int32_t end, int16_t reference, int64_t span,
                      Level sixteenths) {
  if (span <= kNarrowSpan) {
    // 32-bit arithmetic cannot overflow here and lets the loop run on vectors.
    const auto narrow_span = static_cast<int32_t>(span);
    const int32_t top = reference * kSixteenthsPerDb;
    for (int32_t i = begin; i < end; ++i) {
      y[i] = static_cast<Out>(kPlotTopY + (top - sixteenths(i)) * narrow_span / 1600);
    }
  } else {
    for (int32_t i = begin; i < end; ++i) {
      y[i] = static_cast<Out>(SixteenthsToY(reference, sixteenths(i), span));
    }
  }
}

}  // namespace

void TraceData::UseRowScale(const PlotRect& plot) {
  FitRows(plot);
  rows_span_ = ScaleSpan(plot);
  rows_reference_ = header.reference_level;
}

void TraceData::FitRows(const PlotRect& plot) {
  if (rows_span_ < 0) return;
  const int64_t span = ScaleSpan(plot);
  if (span == rows_span_ && header.reference_level == rows_reference_) return;
  RemakeRows(span);
  rows_span_ = span;
  rows_reference_ = header.reference_level;
}

void TraceData::RemakeRows(int64_t span) {
  const int32_t n = StoredPoints();
  const int16_t reference = header.reference_level;
  const auto remake = [&](auto* y, const int16_t* levels) {
    RowsOfSixteenths(y, 0, n, reference, span, [levels](int32_t i) { return int32_t{levels[i]}; });
  };
  remake(live_y.data(), live_sixteenths.data());
  remake(average_y.data(), average_sixteenths.data());
  for (FrozenLiveSlot& slot : frozen_live) remake(slot.y.data(), slot.sixteenths.data());
  for (FrozenTraceSlot& slot : frozen_average) remake(slot.y.data(), slot.sixteenths.data());
  for (FrozenTraceSlot& slot : frozen_bin_average) remake(slot.y.data(), slot.sixteenths.data());
  for (PeakSlot& slot : peaks) remake(slot.y.data(), slot.sixteenths.data());
  remake(min_hold.y.data(), min_hold.sixteenths.data());
  for (int32_t i = 0; i < n; ++i) {
    if (min_hold.sixteenths[i] == kMinHoldUnseen) min_hold.y[i] = std::numeric_limits<int16_t>::min();
  }
}

void TraceData::ShowCompletedSweepPower() {
  if (owner().FastRewind() || sweep_power_sum == 0) return;
  sweep_power = PowerSumToDbm(sweep_power_sum);
}

void TraceData::CloseSweep(int32_t stored_points) {
  sweep_power = sweep_power_sum != 0 ? PowerSumToDbm(sweep_power_sum) : 0.0f;
  sweep_power_sum = 0;
  write_index = 0;
  block_start_index = 0;
  ShiftSpectrogramHistory();
  owner().OnSpectrogramUpdate(spectrogram_history_, stored_points);
  sweep_counter = static_cast<int16_t>(sweep_counter + 1);
  if (sweep_counter > 0) {
    owner().OnHistogramUpdate(stored_points, sweep_counter, histogram_counts.data());
  }
}

bool TraceData::ProcessSweepBlock(const uint8_t* message, size_t length, const PlotRect& plot) {
  if (message == nullptr) return false;
  const std::optional<SweepHeader> parsed = ParseSweepHeader(message, length);
  if (!parsed) return false;
  const size_t levels_at = SweepLevelsOffset(parsed->type);
  const uint8_t* samples = message + levels_at;
  // A block claiming more levels than the message carries keeps the ones it has.
  const int32_t count =
      static_cast<int32_t>(std::min<size_t>(parsed->block_count, (length - levels_at) / 2));

  message_length = static_cast<int32_t>(
      std::min<size_t>(length, static_cast<size_t>(std::numeric_limits<int32_t>::max())));
  message_type = parsed->type;
  RestoreKeptMarkers(*parsed);
  header = *parsed;
  data_clipping = header.status & kStatusDataClipping;
  low_battery = (header.status & kStatusLowBattery) != 0 ? 1 : 0;
  UseRowScale(plot);

  const bool reverse = owner().FastRewind();
  const int32_t stored = StoredPoints();
  const bool first_block = header.block_frequency == header.start;
  if (first_block) CloseSweep(stored);

  points_received = static_cast<uint32_t>(
      std::min<uint64_t>(stored, static_cast<uint64_t>(points_received) + count));

  // Points of this block that fit the arrays: [begin, end), sample i - origin.
  const int64_t origin = write_index;
  const int32_t begin = static_cast<int32_t>(std::clamp<int64_t>(origin, 0, stored));
  const int32_t end = static_cast<int32_t>(std::clamp<int64_t>(origin + count, begin, stored));

  if (end > begin) {
    const int16_t reference = header.reference_level;
    const int64_t span = ScaleSpan(plot);
    const int32_t threshold = owner().HistogramThreshold() * kSixteenthsPerDb;
    for (int32_t i = begin; i < end; ++i) {
      live_sixteenths[i] = static_cast<int16_t>(GetU16(samples + 2 * (i - origin)));
    }
    for (int32_t i = begin; i < end; ++i) live_levels[i] = RoundedLevel(live_sixteenths[i]);
    for (int32_t i = begin; i < end; ++i) {
      histogram_counts[i] =
          static_cast<int16_t>(histogram_counts[i] + (live_sixteenths[i] >= threshold ? 1 : 0));
    }
    spectrogram_history_.WriteRange(begin, end, live_levels.data(), reverse);
    const int16_t* sixteenths = live_sixteenths.data();
    RowsOfSixteenths(live_y.data(), begin, end, reference, span,
                     [sixteenths](int32_t i) { return int32_t{sixteenths[i]}; });
    for (PeakSlot& peak : peaks) {
      if (peak.live != 1) continue;
      for (int32_t i = begin; i < end; ++i) {
        peak.sixteenths[i] = std::max(peak.sixteenths[i], live_sixteenths[i]);
      }
      for (int32_t i = begin; i < end; ++i) peak.y[i] = std::min(peak.y[i], live_y[i]);
    }
    if (min_hold.live == 1) {
      for (int32_t i = begin; i < end; ++i) {
        min_hold.sixteenths[i] = std::min(min_hold.sixteenths[i], live_sixteenths[i]);
      }
      for (int32_t i = begin; i < end; ++i) min_hold.y[i] = std::max(min_hold.y[i], live_y[i]);
    }
    for (FrozenLiveSlot& slot : frozen_live) {
      if (slot.frozen != 0) continue;
      std::copy(live_y.begin() + begin, live_y.begin() + end, slot.y.begin() + begin);
      std::copy(live_sixteenths.begin() + begin, live_sixteenths.begin() + end,
                slot.sixteenths.begin() + begin);
    }
    UpdateMarkers(begin, end);
    if (trace_average_on != 0) {
      // The pages keep the index within the history; a record set up by hand is held there too.
      const int32_t k = std::clamp(average_index, 0, kHistoryDepth - 1);
      average_history_.StepRange(begin, end, k, sixteenths, window_sums_.data());
      const WindowDivisor window(k + 1);
      for (int32_t i = begin; i < end; ++i) {
        average_sixteenths[i] = static_cast<int16_t>(window.Divide(window_sums_[i]));
      }
      const int16_t* mean = average_sixteenths.data();
      RowsOfSixteenths(average_y.data(), begin, end, reference, span,
                       [mean](int32_t i) { return int32_t{mean[i]}; });
    } else {
      std::copy(live_sixteenths.begin() + begin, live_sixteenths.begin() + end,
                average_sixteenths.begin() + begin);
      std::copy(live_y.begin() + begin, live_y.begin() + end, average_y.begin() + begin);
    }
    for (FrozenTraceSlot& slot : frozen_average) {
      if (slot.frozen != 0) continue;
      std::copy(average_sixteenths.begin() + begin, average_sixteenths.begin() + end,
                slot.sixteenths.begin() + begin);
      for (int32_t i = begin; i < end; ++i) slot.y[i] = static_cast<int16_t>(average_y[i]);
    }
  }

  write_index = ClampIndex(origin + count);
  if (reverse) write_index = block_start_index;
  if (first_block) {
    const int32_t target = average_count - 1;
    if (average_index < target) {
      ++average_index;
    } else if (average_index > target) {
      --average_index;
    }
  }
  if (!reverse) {
    block_start_index = write_index > count ? write_index - count : 0;
  } else if (write_index > count) {
    write_index = ClampIndex(static_cast<int64_t>(write_index) - 2 * count);
    block_start_index = ClampIndex(static_cast<int64_t>(write_index) + count);
  } else {
    write_index = ClampIndex(static_cast<int64_t>(stored) - count);
    block_start_index = stored;
  }
  return true;
}

namespace {

// Band sum of one marker pair over the points low ... high.
struct BandChain {
  int32_t low;
  int32_t high;
  float sum;
};

// Sweep power sum and the marker band sums over [begin, end) in one pass, so the independent
// sums overlap instead of running one after the other.
template <int kChains>
float SumPowers(const int16_t* sixteenths, int32_t begin, int32_t end, float sweep_sum,
                std::array<BandChain, kMarkerCount>& chains) {
  const float* power = PowerTable() + kPowerTableBias;
  for (int32_t i = begin; i < end; ++i) {
    const float p = power[sixteenths[i]];
    sweep_sum += p;
    for (int c = 0; c < kChains; ++c) {
      BandChain& chain = chains[c];
      if (i >= chain.low && i <= chain.high) {
        if (i == chain.low) chain.sum = 0;
        chain.sum += p;
      }
    }
  }
  return sweep_sum;
}

}  // namespace

void TraceData::UpdateMarkers(int32_t begin, int32_t end) {
  std::array<BandChain, kMarkerCount> chains{};
  std::array<int, kMarkerCount> chain_marker{};
  int chain_count = 0;
  // A point left beyond a shorter sweep reports the sweep's last frequency.
  const int32_t last_point = std::max(StoredPoints() - 1, 0);
  const auto frequency = [&](int32_t point) {
    return static_cast<float>(
        PointFrequency(header.start, std::clamp(point, 0, last_point), header.sweep_word));
  };
  for (int m = 0; m < kMarkerCount; ++m) {
    MarkerRecord& marker = markers[m];
    // An end reports the frequency and level of the point it was placed on, as drawn.
    if (marker.a_placed != 0) {
      marker.a_frequency = frequency(marker.a_point);
      if (marker.a_point >= begin && marker.a_point < end) {
        marker.a_level = DbmOfSixteenths(live_sixteenths[marker.a_point]);
      }
    }
    if (marker.b_placed == 0) continue;
    marker.b_frequency = frequency(marker.b_point);
    if (marker.b_point >= begin && marker.b_point < end)
      marker.b_level = DbmOfSixteenths(live_sixteenths[marker.b_point]);
    // An unplaced A still orders the pair by its last frequency.
    const bool a_low = marker.a_frequency <= marker.b_frequency;
    BandChain chain{a_low ? marker.a_point : marker.b_point,
                    a_low ? marker.b_point : marker.a_point, marker.band_sum};
    // Points before the band see the sum as the previous block left it.
    if (begin < chain.low && chain.sum != 0) SetBandPower(m, chain.sum);
    chain_marker[chain_count] = m;
    chains[chain_count++] = chain;
  }
  const int16_t* levels = live_sixteenths.data();
  switch (chain_count) {
    case 0:
      sweep_power_sum = SumPowers<0>(levels, begin, end, sweep_power_sum, chains);
      break;
    case 1:
      sweep_power_sum = SumPowers<1>(levels, begin, end, sweep_power_sum, chains);
      break;
    case 2:
      sweep_power_sum = SumPowers<2>(levels, begin, end, sweep_power_sum, chains);
      break;
    default:
      sweep_power_sum = SumPowers<3>(levels, begin, end, sweep_power_sum, chains);
      break;
  }
  for (int c = 0; c < chain_count; ++c) {
    const int m = chain_marker[c];
    markers[m].band_sum = chains[c].sum;
    // The band's last point finishes the sum: a band reaching the sweep's last point has no
    // point after it to do so.
    if (end - 1 >= chains[c].high && chains[c].sum != 0) SetBandPower(m, chains[c].sum);
  }
}

void TraceData::SetBandPower(int32_t marker, float sum) {
  if (!band_power_valid_[marker] || band_power_sum_[marker] != sum) {
    band_power_sum_[marker] = sum;
    band_power_value_[marker] = PowerSumToDbm(sum);
    band_power_valid_[marker] = true;
  }
  markers[marker].band_power = band_power_value_[marker];
}

}  // namespace qv
