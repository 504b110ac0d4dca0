#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/app/timer.h"
#include "core/display/colour.h"
#include "core/display/trace_data.h"
#include "core/display/traces_reset_listener.h"

namespace qv {

// Levels the density grid has rows for, one row a whole dBm; levels beyond go to the end rows.
inline constexpr int32_t kDensityHighestLevel = 30;
inline constexpr int32_t kDensityLowestLevel = -150;
inline constexpr int32_t kDensityRows = kDensityHighestLevel - kDensityLowestLevel + 1;
// The colour scale spans four decades of hits per sweep: 0.01 % ... 100 %. Cells below it are
// not drawn.
inline constexpr int32_t kDensityDecades = 4;
// Colour index 0 is "not drawn"; 1 ... 255 run up the scale.
inline constexpr int kDensityColours = 256;

// How often each level occurred at each point: a grid of (point, level row) cells, one hit per
// point a sweep, every count decaying by the factor (1 - k) a sweep. The decay is kept as one
// scale for the whole grid, so a sweep touches only the cells it hits. Float cells stop counting
// at 2^24 hits, so a grid that keeps every sweep counts in whole numbers instead (exact for
// 2^32 - 1 sweeps, 49 days at 1000 sweeps a second; later sweeps are not counted).
class DensityGrid {
 public:
  // Empty, for sweeps of `points` points (negative counts as none).
  void Reset(int32_t points);
  // Every sweep kept, none decaying. Choosing it starts the counts over (decayed counts are no
  // whole sweeps); leaving it keeps them, to decay from then on.
  void SetKeepsEverySweep(bool keeps);
  bool KeepsEverySweep() const { return exact_; }
  // Decays every count by (1 - k), k held within 0 ... 1 (0 keeps every sweep; ignored while
  // every sweep is kept), then adds one hit to the row of each of the first
  // min(count, Points()) levels (1/16 dBm).
  void AddSweep(const int16_t* sixteenths, int32_t count, double k);
  // Tests: as if `sweeps` sweeps had hit `level` at every point.
  void FillForTest(int32_t level, double sweeps);

  int32_t Points() const { return points_; }
  // The decayed hit count of a cell and of the sweeps counted (the count a cell hit by every
  // sweep would have). Zero outside the grid.
  double Hits(int32_t point, int32_t level) const;
  double SweepsCounted() const { return sweeps_; }
  // The row of a whole-dBm level: 0 is kDensityHighestLevel.
  static int32_t RowOf(int32_t level);

  // Colour index of each row for the points first ... last together (their highest share),
  // into out[0 ... kDensityRows - 1]. Rows are 0 where nothing reached the scale's bottom.
  void ColumnColours(int32_t first, int32_t last, uint8_t* out) const;

 private:
  void Renormalise();

  int32_t points_ = 0;
  bool exact_ = false;
  // Point-major, [point * kDensityRows + row]; only one of them is in use.
  std::vector<float> cells_;
  std::vector<uint32_t> counts_;  // while every sweep is kept
  double scale_ = 1.0;            // a cell's count is its stored value times this
  double sweeps_ = 0.0;
};

// Colour index (0 ... 255) of a share of sweeps (hits / sweeps counted): 0 below the scale.
uint8_t DensityColourIndex(double share);
// The colours of the indexes; index 0 is never drawn.
const std::array<Colour, kDensityColours>& DensityColourTable();

// Persistence choices: the seconds the counts take to fade (to about 1/e^2 of a steady count),
// or none: "Infinite" keeps every sweep.
inline constexpr std::array<int32_t, 5> kDensityPersistences = {1, 3, 10, 30, 0};
inline constexpr int32_t kDefaultDensityPersistence = 10;
// "1 s" ... "30 s", "Infinite" for 0: what the View menu shows and the settings store.
std::string_view DensityPersistenceName(int32_t seconds);
std::optional<int32_t> DensityPersistenceNamed(std::string_view name);

// The density view's record: fed every completed sweep while on, it measures the sweep rate
// from the arrival times the timer clock gives and decays with k = 2 / (N + 1), N = persistence
// x sweeps per second. Starts over with the traces and with new sweep settings.
class DensityRecord : public TracesResetListener {
 public:
  explicit DensityRecord(const TimerFactory& clock) : clock_(clock) {}

  // Off, it takes no sweeps and keeps no grid.
  void SetOn(bool on);
  bool On() const { return on_; }
  // Seconds, 0 for infinite.
  void SetPersistence(int32_t seconds);
  int32_t Persistence() const { return persistence_s_; }
  // The measured rate, 0 until two sweeps arrived.
  double SweepsPerSecond() const { return interval_ms_ > 0 ? 1000.0 / interval_ms_ : 0.0; }
  const DensityGrid& Grid() const { return grid_; }

  // A whole sweep: `sixteenths` holds its `points` levels in 1/16 dBm, taken with the settings
  // of `header`.
  void OnSweep(const int16_t* sixteenths, int32_t points, const SweepHeader& header);
  // The trace record's sweep whose last point has just arrived.
  void OnSweep(const TraceData& trace);
  void OnTracesReset() override;

 private:
  const TimerFactory& clock_;
  bool on_ = false;
  int32_t persistence_s_ = kDefaultDensityPersistence;
  DensityGrid grid_;
  // The settings the grid's sweeps were taken with.
  uint32_t start_ = 0;
  uint16_t sweep_word_ = 0;
  std::optional<int64_t> last_arrival_ms_;
  double interval_ms_ = 0;  // smoothed time between sweeps
};

}  // namespace qv
