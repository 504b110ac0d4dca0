#include "core/display/density.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/display/colour_map.h"
#include "core/display/level_units.h"
#include "core/display/trace_slots.h"

namespace qv {
namespace {

// Below this the grid's scale is folded into the cells, long before floats run out of range.
constexpr double kSmallestScale = 1e-20;
// Counts that small are gone for any colour and would only slow the arithmetic down.
constexpr float kNegligible = 1e-30f;

// Colour index of every float whose top 16 bits (sign, exponent, 7 bits of mantissa) are the
// table's index: a logarithm to 1/128 of an octave for the price of a shift.
const std::array<uint8_t, 65536>& IndexByBits() {
  static const std::array<uint8_t, 65536> table = [] {
    std::array<uint8_t, 65536> t{};
    for (uint32_t high = 0; high < t.size(); ++high) {
      const uint32_t bits = (high << 16) | 0x8000u;  // the middle of the values sharing them
      float value = 0;
      std::memcpy(&value, &bits, sizeof value);
      t[high] = DensityColourIndex(value);
    }
    return t;
  }();
  return table;
}

uint8_t FastColourIndex(float share) {
  uint32_t bits = 0;
  std::memcpy(&bits, &share, sizeof bits);
  return IndexByBits()[bits >> 16];
}

// Whole counts stay exact while no cell can pass this.
constexpr double kMostExactSweeps = std::numeric_limits<uint32_t>::max();

// Colour index of each row's highest cell over `columns` point-major columns, its count times
// `to_share` the share.
template <typename Cell>
void HighestShares(const Cell* column, int32_t columns, double to_share, uint8_t* out) {
  Cell highest[kDensityRows];
  std::copy(column, column + kDensityRows, highest);
  for (int32_t p = 1; p < columns; ++p) {
    column += kDensityRows;
    for (int32_t r = 0; r < kDensityRows; ++r) highest[r] = std::max(highest[r], column[r]);
  }
  const auto share = static_cast<float>(to_share);
  for (int32_t r = 0; r < kDensityRows; ++r) {
    out[r] = FastColourIndex(static_cast<float>(highest[r]) * share);
  }
}

constexpr std::array<std::string_view, kDensityPersistences.size()> kPersistenceNames = {
    "1 s", "3 s", "10 s", "30 s", "Infinite"};

}  // namespace

uint8_t DensityColourIndex(double share) {
  if (!(share > 0)) return 0;  // NaN too
  const double decades = std::log10(share) + kDensityDecades;
  if (decades < 0) return 0;
  const double position = std::min(decades / kDensityDecades, 1.0);
  return static_cast<uint8_t>(1 + std::lround(position * (kDensityColours - 2)));
}

const std::array<Colour, kDensityColours>& DensityColourTable() {
  static const std::array<Colour, kDensityColours> table = [] {
    std::array<Colour, kDensityColours> t{};
    for (int i = 1; i < kDensityColours; ++i) {
      t[i] = UniformColour(static_cast<double>(i - 1) / (kDensityColours - 2));
    }
    return t;
  }();
  return table;
}

std::string_view DensityPersistenceName(int32_t seconds) {
  for (size_t i = 0; i < kDensityPersistences.size(); ++i) {
    if (kDensityPersistences[i] == seconds) return kPersistenceNames[i];
  }
  return {};
}

std::optional<int32_t> DensityPersistenceNamed(std::string_view name) {
  for (size_t i = 0; i < kDensityPersistences.size(); ++i) {
    if (kPersistenceNames[i] == name) return kDensityPersistences[i];
  }
  return std::nullopt;
}

// --- The grid ---------------------------------------------------------------------------------

int32_t DensityGrid::RowOf(int32_t level) {
  return std::clamp(kDensityHighestLevel - level, 0, kDensityRows - 1);
}

void DensityGrid::Reset(int32_t points) {
  points_ = std::clamp(points, 0, kMaxPoints);
  const size_t size = static_cast<size_t>(points_) * kDensityRows;
  cells_.assign(exact_ ? 0 : size, 0.0f);
  counts_.assign(exact_ ? size : 0, 0u);
  if (points_ == 0 || exact_) cells_.shrink_to_fit();
  if (points_ == 0 || !exact_) counts_.shrink_to_fit();
  scale_ = 1.0;
  sweeps_ = 0.0;
}

void DensityGrid::SetKeepsEverySweep(bool keeps) {
  if (keeps == exact_) return;
  exact_ = keeps;
  if (keeps) {
    Reset(points_);
    return;
  }
  cells_.assign(counts_.begin(), counts_.end());
  counts_.clear();
  counts_.shrink_to_fit();
  scale_ = 1.0;
}

void DensityGrid::FillForTest(int32_t level, double sweeps) {
  Reset(points_);
  for (int32_t p = 0; p < points_; ++p) {
    const size_t at = static_cast<size_t>(p) * kDensityRows + RowOf(level);
    if (exact_) {
      counts_[at] = static_cast<uint32_t>(sweeps);
    } else {
      cells_[at] = static_cast<float>(sweeps);
    }
  }
  sweeps_ = sweeps;
}

void DensityGrid::Renormalise() {
  const auto scale = static_cast<float>(scale_);
  for (float& cell : cells_) {
    cell *= scale;
    if (cell < kNegligible) cell = 0;
  }
  scale_ = 1.0;
}

void DensityGrid::AddSweep(const int16_t* sixteenths, int32_t count, double k) {
  const int32_t n = sixteenths != nullptr ? std::clamp(count, 0, points_) : 0;
  if (exact_) {
    if (sweeps_ >= kMostExactSweeps) return;  // a count would wrap
    uint32_t* counts = counts_.data();
    for (int32_t i = 0; i < n; ++i) {
      ++counts[static_cast<size_t>(i) * kDensityRows + RowOf(RoundedLevel(sixteenths[i]))];
    }
    sweeps_ += 1.0;
    return;
  }
  if (!(k > 0)) k = 0;  // NaN too
  if (k >= 1) {
    std::fill(cells_.begin(), cells_.end(), 0.0f);
    scale_ = 1.0;
    sweeps_ = 0.0;
  } else if (k > 0) {
    scale_ *= 1.0 - k;
    sweeps_ *= 1.0 - k;
    if (scale_ < kSmallestScale) Renormalise();
  }
  const auto hit = static_cast<float>(1.0 / scale_);
  float* cells = cells_.data();
  for (int32_t i = 0; i < n; ++i) {
    cells[static_cast<size_t>(i) * kDensityRows + RowOf(RoundedLevel(sixteenths[i]))] += hit;
  }
  sweeps_ += 1.0;
}

double DensityGrid::Hits(int32_t point, int32_t level) const {
  if (point < 0 || point >= points_) return 0;
  const size_t at = static_cast<size_t>(point) * kDensityRows + RowOf(level);
  return exact_ ? counts_[at] : cells_[at] * scale_;
}

void DensityGrid::ColumnColours(int32_t first, int32_t last, uint8_t* out) const {
  first = std::max(first, 0);
  last = std::min(last, points_ - 1);
  if (first > last || !(sweeps_ > 0)) {
    std::fill(out, out + kDensityRows, uint8_t{0});
    return;
  }
  const size_t at = static_cast<size_t>(first) * kDensityRows;
  if (exact_) {
    HighestShares(counts_.data() + at, last - first + 1, 1.0 / sweeps_, out);
  } else {
    HighestShares(cells_.data() + at, last - first + 1, scale_ / sweeps_, out);
  }
}

// --- The record -------------------------------------------------------------------------------

void DensityRecord::SetOn(bool on) {
  if (on == on_) return;
  on_ = on;
  OnTracesReset();
}

void DensityRecord::SetPersistence(int32_t seconds) {
  persistence_s_ = seconds > 0 ? seconds : 0;
  grid_.SetKeepsEverySweep(persistence_s_ == 0);
}

void DensityRecord::OnTracesReset() {
  grid_.Reset(0);
  start_ = 0;
  sweep_word_ = 0;
  last_arrival_ms_.reset();
}

void DensityRecord::OnSweep(const TraceData& trace) {
  OnSweep(trace.live_sixteenths.data(),
          static_cast<int32_t>(std::min<uint32_t>(trace.points_received, trace.StoredPoints())),
          trace.header);
}

void DensityRecord::OnSweep(const int16_t* sixteenths, int32_t points, const SweepHeader& header) {
  if (!on_ || points <= 0) return;
  const int64_t now = clock_.NowMs();
  if (last_arrival_ms_ && now > *last_arrival_ms_) {
    const auto interval = static_cast<double>(now - *last_arrival_ms_);
    // Smoothed over about eight sweeps, so one late sweep hardly moves the persistence.
    interval_ms_ = interval_ms_ > 0 ? interval_ms_ + (interval - interval_ms_) / 8 : interval;
  }
  last_arrival_ms_ = now;
  const auto sweep_points = static_cast<int32_t>(std::min<uint32_t>(header.points, kMaxPoints));
  if (header.start != start_ || header.sweep_word != sweep_word_ ||
      sweep_points != grid_.Points()) {
    grid_.Reset(sweep_points);
    start_ = header.start;
    sweep_word_ = header.sweep_word;
  }
  double k = 0;
  if (persistence_s_ > 0 && interval_ms_ > 0) {
    const double n = persistence_s_ * 1000.0 / interval_ms_;
    k = 2.0 / (n + 1.0);
  }
  grid_.AddSweep(sixteenths, points, k);
}

}  // namespace qv
