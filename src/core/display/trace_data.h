#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/display/average_history.h"
#include "core/display/channel_record.h"
#include "core/display/graph_geometry.h"
#include "core/display/marker_record.h"
#include "core/display/plot_scale.h"
#include "core/display/receiver_identity.h"
#include "core/display/spectrogram_history.h"
#include "core/display/traces_reset_listener.h"
#include "core/display/trace_owner.h"
#include "core/display/trace_slots.h"
#include "core/link/sweep_message.h"

namespace qv {

// Selector of BandPower for the live trace; 0 ... 3 select frozen live slots.
inline constexpr int32_t kLiveTraceSelector = 4;
// Spectrogram fill of ResetTraces, below any colour scale's minimum.
inline constexpr int16_t kSpectrogramResetLevel = -91;
// Spectrogram fill of ClearSpectrogramHistory, relative to the reference level.
inline constexpr int16_t kSpectrogramClearBelowReference = 110;
// Bin-average y shown between starting the bin average and the next repaint.
inline constexpr int16_t kBinAverageStartY = -90;
// Size of the sweep header a capture file stores for each sweep.
inline constexpr size_t kLoggedSweepHeaderSize = 18;

// Everything the graph draws from the received sweeps: live, average, bin-average, peak and
// frozen traces, sweep and marker band power, channels, spectrogram history and histogram counts.
// Fixed-size and large: the owner allocates it once on the heap. GUI thread only.
class TraceData {
 public:
  explicit TraceData(TraceOwner* owner = nullptr);
  TraceData(const TraceData&) = delete;
  TraceData& operator=(const TraceData&) = delete;

  void SetOwner(TraceOwner* owner) { owner_ = owner; }
  // Hears of every reset; null for none. Not owned.
  void SetResetListener(TracesResetListener* listener) { listener_ = listener; }

  // One sweep block (message type 6 or 10). Returns false, changing nothing, for any other type
  // or a message too short for its header. Only the levels the message really holds are used,
  // and points that fall outside 0 ... min(N, kMaxPoints) - 1 are dropped.
  bool ProcessSweepBlock(const uint8_t* message, size_t length, const PlotRect& plot);

  // One whole sweep from a capture file: `header` is its 18-byte sweep header, `levels` are whole
  // dBm (readings then see them as exact sixteenths). Only the live trace, the sweep settings
  // and the placed markers' frequencies, levels and band power change. False when the header is
  // short.
  bool LoadLoggedSweep(const uint8_t* header, size_t header_length, const int16_t* levels,
                       size_t level_count, const PlotRect& plot);

  // Every trace keeps its levels; its rows are those levels on the scale of one plot height and
  // reference level. Rows made by processing for another scale (a resized window, a new
  // reference level) are made again from the levels. Rows set by hand, with no scale, stay.
  void FitRows(const PlotRect& plot);

  // Switches peaks and frozen traces off; a running min hold starts over with the next points.
  // Placed markers are taken off, and put back where they were if the first sweep after the
  // reset has the setting they were placed on (a reconnect, the same settings sent again).
  void ResetTraces();
  // The power of the sweep whose last point just came, at once rather than when the next sweep
  // begins: a replay paused, stepped or jumped shows no next one. Not while rewinding.
  void ShowCompletedSweepPower();
  void ShiftSpectrogramHistory();
  // Every slot of points 0 ... N - 1 := reference level - 110 dB.
  void ClearSpectrogramHistory();

  // Channel power (dBm) of the drawn points under screen x1 ... x2 of the live trace
  // (kLiveTraceSelector) or of frozen live slot 0 ... 3. Minus infinity when nothing is summed
  // (another selector, no points).
  double BandPower(int32_t selector, int32_t x1, int32_t x2, const GraphGeometry& plot) const;

  // Bin (video) average over `bin_count` adjacent points, kept within 1 ... N.
  void ComputeBinAverage(int32_t bin_count, const PlotRect& plot);
  void StartBinAverage(int32_t bin_count);
  void StopBinAverage() { bin_average_on = 0; }

  // The screen-averaging page: start over `count` sweeps, change the count while running, stop.
  // Counts are kept within 1 ... kHistoryDepth.
  void StartTraceAverage(int32_t count);
  void SetAverageCount(int32_t count);
  void StopTraceAverage();

  // Peak slot `slot` (0 ... 3) starts from the live trace.
  void StartPeakTrace(int32_t slot);

  // The min-hold trace starts from the live trace as it is now.
  void StartMinHold();
  // Leading points of the min-hold trace that have a level (all but those not yet seen since a
  // reset).
  int32_t MinHoldPoints() const;

  // Band-list message (type 8): the bands go to `identity`, and the owner hears of every band
  // with channel presets. Always true.
  bool ReadBandList(const uint8_t* message, size_t length, ReceiverIdentity& identity);

  // Points of the current sweep that fit the arrays: min(N, kMaxPoints).
  int32_t StoredPoints() const;
  // 1/16 dBm.
  int16_t AverageHistoryAt(int32_t point, int32_t slot) const {
    return average_history_.At(point, slot);
  }
  const SpectrogramHistory& spectrogram_history() const { return spectrogram_history_; }

  // The record. Flags are bytes (0 or 1) as the pages set them.
  int32_t write_index = 0;        // next point to be filled
  int32_t average_index = 0;      // newest history slot of the trace average
  int32_t average_count = 0;      // sweeps averaged, 0 while stopped
  int32_t block_start_index = 0;  // with write_index, brackets the block just written
  uint32_t points_received = 0;   // since the last reset, never above StoredPoints()
  int32_t message_length = 0;
  int16_t sweep_counter = 0;  // sweeps started since construction or the histogram's reset
  uint8_t message_type = 0;
  uint8_t trace_average_on = 0;
  uint8_t bin_average_on = 0;
  uint8_t data_clipping = 0;
  uint8_t low_battery = 0;
  float sweep_power_sum = 0;  // mW of the sweep in progress
  SweepHeader header;         // of the last message processed
  float sweep_power = 0;      // dBm of the last complete sweep; 0 = not available
  std::array<int16_t, kMaxPoints> average_sixteenths{};  // 1/16 dBm
  std::array<int32_t, kMaxPoints> average_y{};
  std::array<int16_t, kMaxPoints> bin_average_y{};
  std::array<int16_t, kMaxPoints> live_levels{};      // dBm, rounded to nearest
  std::array<int16_t, kMaxPoints> live_sixteenths{};  // 1/16 dBm, as received: every reading
  std::array<int16_t, kMaxPoints> live_y{};
  std::array<int16_t, kMaxPoints> histogram_counts{};
  std::array<ChannelRecord, kChannelCount> channels{};
  std::array<FrozenLiveSlot, kTraceSlots> frozen_live{};
  std::array<FrozenTraceSlot, kTraceSlots> frozen_average{};
  std::array<FrozenTraceSlot, kTraceSlots> frozen_bin_average{};
  std::array<PeakSlot, kTraceSlots> peaks{};
  MinHoldSlot min_hold;
  std::array<MarkerRecord, kMarkerCount> markers{};

 private:
  TraceOwner& owner() const;
  void CloseSweep(int32_t stored_points);
  // Marker tracking and the sweep power sum over the points [begin, end) of a block.
  void UpdateMarkers(int32_t begin, int32_t end);
  void SetBandPower(int32_t marker, float sum);
  // Rows of every trace kept as levels, remade on the scale `span` with the header's reference.
  void RemakeRows(int64_t span);
  // Fits the rows to `plot` and notes its scale as theirs: processing is about to add rows.
  void UseRowScale(const PlotRect& plot);
  // Puts back the markers a reset took off when `next` has their setting; once per reset.
  void RestoreKeptMarkers(const SweepHeader& next);

  TraceOwner* owner_;
  TracesResetListener* listener_ = nullptr;
  // The scale the rows were made on; a negative span while none was.
  int64_t rows_span_ = -1;
  int16_t rows_reference_ = 0;
  AverageHistory average_history_;
  std::array<int32_t, kMaxPoints> window_sums_{};  // scratch of the averaging step
  SpectrogramHistory spectrogram_history_;
  // Marker band power is recomputed only when its sum changes.
  std::array<float, kMarkerCount> band_power_sum_{};
  std::array<float, kMarkerCount> band_power_value_{};
  std::array<bool, kMarkerCount> band_power_valid_{};
  // The placed ends a reset took off and the sweep setting they were placed on.
  struct KeptMarkers {
    SweepHeader setting;
    std::array<std::array<uint8_t, 2>, kMarkerCount> placed{};
  };
  std::optional<KeptMarkers> kept_markers_;
};

}  // namespace qv
