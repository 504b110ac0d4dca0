#pragma once

// A deliberately plain model of the trace record for side-by-side checks: every step written as
// the processing rules read, with literal history shifting and pow() for every power. It shares
// only the drop rule for points that do not fit (0 <= i < min(N, 15000)) with the real record.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/display/plot_scale.h"
#include "core/link/sweep_message.h"

namespace qv::reference {

constexpr int kPoints = 15000;
constexpr int kDepth = 100;

struct Marker {
  int32_t a_x = 0, a_point = 0, b_x = 0, b_point = 0;
  float a_level = 0, b_level = 0, band_sum = 0, band_power = 0, a_frequency = 0, b_frequency = 0;
  uint8_t a_placed = 0, b_placed = 0;
};

struct Record {
  int32_t write_index = 0, average_index = 0, average_count = 0, block_start_index = 0;
  uint32_t points_received = 0;
  int16_t sweep_counter = 0;
  uint8_t trace_average_on = 0, data_clipping = 0, low_battery = 0;
  float sweep_power_sum = 0, sweep_power = 0;
  SweepHeader header;
  // Markers a reset took off, back on the first sweep if it has their setting.
  std::optional<std::pair<SweepHeader, std::array<Marker, 3>>> kept;
  std::vector<std::array<int16_t, kDepth>> average_history =
      std::vector<std::array<int16_t, kDepth>>(kPoints);
  std::vector<std::array<int16_t, kDepth>> spectrogram =
      std::vector<std::array<int16_t, kDepth>>(kPoints);
  std::vector<int32_t> average_y = std::vector<int32_t>(kPoints);
  std::vector<int16_t> average_sixteenths = std::vector<int16_t>(kPoints);
  std::vector<int16_t> levels = std::vector<int16_t>(kPoints);      // whole dBm
  std::vector<int16_t> sixteenths = std::vector<int16_t>(kPoints);  // as received
  std::vector<int16_t> live_y = std::vector<int16_t>(kPoints);
  std::vector<int16_t> histogram = std::vector<int16_t>(kPoints);
  struct FrozenLive {
    std::vector<int16_t> sixteenths = std::vector<int16_t>(kPoints);
    std::vector<int16_t> y = std::vector<int16_t>(kPoints);
    uint8_t frozen = 0;
  };
  struct Trace {
    std::vector<int16_t> sixteenths = std::vector<int16_t>(kPoints);
    std::vector<int16_t> y = std::vector<int16_t>(kPoints);
    uint8_t on = 0;  // frozen for average slots, live for peaks
  };
  std::array<FrozenLive, 4> frozen_live;
  std::array<Trace, 4> frozen_average;
  std::array<Trace, 4> peaks;
  std::array<Marker, 3> markers;
  int spectrogram_updates = 0;
  int histogram_updates = 0;
  // The plot height and reference level the rows were made for; none before the first block.
  int32_t rows_height = -1;
  int16_t rows_reference = 0;
};

// y of a level in 1/16 dBm.
inline int32_t Y(int32_t reference, int32_t sixteenths, const PlotRect& p) {
  return static_cast<int32_t>(5 + (int64_t{reference} * 16 - sixteenths) * (p.bottom - p.top - 5) /
                                      1600);
}

// Whole dBm to nearest, halves away from zero.
inline int16_t Rounded(int16_t sixteenths) {
  return static_cast<int16_t>(std::round(sixteenths / 16.0));
}

// A marker end reports the frequency of the point it sits on.
inline float F(int32_t point, const Record& r) {
  const int last = std::max(std::min<int>(r.header.points, kPoints) - 1, 0);
  point = std::clamp(point, 0, last);
  return static_cast<float>((r.header.start + static_cast<double>(point) * r.header.sweep_word) *
                            50.0 / 1000.0);
}

inline void Shift(Record& r, bool rev) {
  const int n = std::min<int>(r.header.points, kPoints);
  for (int i = 0; i < n; ++i) {
    auto& h = r.spectrogram[i];
    if (!rev) {
      for (int j = 99; j >= 1; --j) h[j] = h[j - 1];
    } else {
      for (int j = 0; j <= 98; ++j) h[j] = h[j + 1];
    }
  }
}

inline void Process(Record& r, const Bytes& m, const PlotRect& p, bool rev, int16_t threshold) {
  const SweepHeader next = *ParseSweepHeader(m.data(), m.size());
  if (r.kept) {
    const SweepHeader& was = r.kept->first;
    if (was.start == next.start && was.points == next.points &&
        was.sweep_word == next.sweep_word && was.rbw_code == next.rbw_code) {
      for (size_t i = 0; i < r.markers.size(); ++i) {
        r.markers[i].a_placed = r.kept->second[i].a_placed;
        r.markers[i].b_placed = r.kept->second[i].b_placed;
      }
    }
    r.kept.reset();
  }
  r.header = next;
  const size_t first_level = SweepLevelsOffset(m[0]);
  r.data_clipping = r.header.status & 1;
  r.low_battery = (r.header.status >> 1) & 1;
  const bool first = r.header.block_frequency == r.header.start;
  const int32_t n = r.header.points;
  const int32_t stored = std::min<int32_t>(n, kPoints);
  // Every trace is drawn from its levels on the scale now in use.
  const int32_t height = std::max(p.bottom - p.top, 5);
  if (r.rows_height >= 0 && (height != r.rows_height || r.header.reference_level != r.rows_reference)) {
    const auto remake = [&](auto& y, const std::vector<int16_t>& levels) {
      for (int i = 0; i < stored; ++i) y[i] = static_cast<int16_t>(Y(r.header.reference_level, levels[i], p));
    };
    remake(r.live_y, r.sixteenths);
    remake(r.average_y, r.average_sixteenths);
    for (auto& slot : r.frozen_live) remake(slot.y, slot.sixteenths);
    for (auto& slot : r.frozen_average) remake(slot.y, slot.sixteenths);
    for (auto& slot : r.peaks) remake(slot.y, slot.sixteenths);
  }
  r.rows_height = height;
  r.rows_reference = r.header.reference_level;
  const int32_t count = r.header.block_count;
  if (first) {
    r.sweep_power =
        r.sweep_power_sum != 0
            ? static_cast<float>(10 * std::log10(static_cast<double>(r.sweep_power_sum)))
            : 0.0f;
    r.sweep_power_sum = 0;
    r.write_index = 0;
    r.block_start_index = 0;
    Shift(r, rev);
    ++r.spectrogram_updates;
    r.sweep_counter = static_cast<int16_t>(r.sweep_counter + 1);
    if (r.sweep_counter > 0) ++r.histogram_updates;
  }
  r.points_received = std::min<uint32_t>(stored, r.points_received + count);
  for (int s = 0; s < count; ++s) {
    const int i = r.write_index;
    r.write_index = i + 1;
    if (i < 0 || i >= stored) continue;
    const auto sample =
        static_cast<int16_t>(m[first_level + 2 * s] | (m[first_level + 2 * s + 1] << 8));
    const int16_t level = Rounded(sample);
    r.levels[i] = level;
    r.sixteenths[i] = sample;
    if (sample / 16.0 >= threshold) ++r.histogram[i];
    r.spectrogram[i][rev ? 99 : 0] = level;
    r.live_y[i] = static_cast<int16_t>(Y(r.header.reference_level, sample, p));
    r.average_y[i] = r.live_y[i];
    r.average_sixteenths[i] = sample;
    for (auto& peak : r.peaks) {
      if (peak.on == 1 && r.live_y[i] < peak.y[i]) peak.y[i] = r.live_y[i];
      if (peak.on == 1 && sample > peak.sixteenths[i]) peak.sixteenths[i] = sample;
    }
    for (auto& slot : r.frozen_live) {
      if (slot.frozen == 0) {
        slot.y[i] = r.live_y[i];
        slot.sixteenths[i] = sample;
      }
    }
    const float power = static_cast<float>(std::pow(10.0, sample / 160.0));
    r.sweep_power_sum += power;
    for (Marker& mk : r.markers) {
      if (mk.a_placed) {
        mk.a_frequency = F(mk.a_point, r);
        if (i == mk.a_point) mk.a_level = sample / 16.0f;
      }
      if (mk.b_placed) {
        mk.b_frequency = F(mk.b_point, r);
        if (i == mk.b_point) mk.b_level = sample / 16.0f;
        const bool a_low = mk.a_frequency <= mk.b_frequency;
        const int lo = a_low ? mk.a_point : mk.b_point;
        const int hi = a_low ? mk.b_point : mk.a_point;
        if (lo <= i && i <= hi) {
          if (i == lo) mk.band_sum = 0;
          mk.band_sum += power;
          // The band's last point finishes the sum, even when it is the sweep's last point.
          if (i == hi && mk.band_sum != 0) {
            mk.band_power = static_cast<float>(10 * std::log10(static_cast<double>(mk.band_sum)));
          }
        } else if (mk.band_sum != 0) {
          mk.band_power = static_cast<float>(10 * std::log10(static_cast<double>(mk.band_sum)));
        }
      }
    }
    if (r.trace_average_on) {
      const int k = r.average_index;
      auto& h = r.average_history[i];
      for (int j = 0; j + 1 < kDepth; ++j) h[j] = h[j + 1];
      h[kDepth - 1] = sample;
      int sum = 0;
      for (int j = kDepth - 1 - k; j < kDepth; ++j) sum += h[j];
      r.average_sixteenths[i] = static_cast<int16_t>(sum / (k + 1));
      r.average_y[i] = Y(r.header.reference_level, sum / (k + 1), p);
    }
    for (auto& slot : r.frozen_average) {
      if (slot.on == 0) {
        slot.y[i] = static_cast<int16_t>(r.average_y[i]);
        slot.sixteenths[i] = r.average_sixteenths[i];
      }
    }
  }
  if (rev) r.write_index = r.block_start_index;
  if (first) {
    if (r.average_index < r.average_count - 1) {
      ++r.average_index;
    } else if (r.average_index > r.average_count - 1) {
      --r.average_index;
    }
  }
  if (!rev) {
    r.block_start_index = r.write_index > count ? r.write_index - count : 0;
  } else if (r.write_index > count) {
    r.write_index -= 2 * count;
    r.block_start_index = r.write_index + count;
  } else {
    r.write_index = stored - count;
    r.block_start_index = stored;
  }
}

inline void Reset(Record& r) {
  bool placed = false;
  for (const Marker& mk : r.markers) placed = placed || mk.a_placed || mk.b_placed;
  if (placed && r.header.points != 0) {
    r.kept.emplace(r.header, std::array<Marker, 3>{});
    std::copy_n(r.markers.begin(), 3, r.kept->second.begin());
  }
  r.sweep_power = 0;
  r.header = SweepHeader{};
  r.header.type = 0;
  r.header.sweep_word = 0;
  r.header.rbw_code = 0;
  r.header.reference_level = 0;
  r.write_index = r.block_start_index = r.average_index = r.average_count = 0;
  r.points_received = 0;
  for (int k = 0; k < 4; ++k) {
    r.frozen_live[k].frozen = 0;
    r.frozen_average[k].on = 0;
    r.peaks[k].on = 0;
  }
  for (Marker& mk : r.markers) mk.a_placed = mk.b_placed = 0;
  std::fill(r.histogram.begin(), r.histogram.end(), 0);
  r.sweep_counter = 0;
  r.trace_average_on = 0;
  for (auto& h : r.spectrogram) h.fill(-91);
}

}  // namespace qv::reference
