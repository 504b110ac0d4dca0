#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/link/sweep_message.h"
#include "core/record/log_csv.h"
#include "core/record/log_reader.h"

namespace qv {

// How a sweep was taken: start and sweep word in 50 kHz steps, N points.
struct LogSweepSetting {
  uint32_t start = 0;
  uint32_t points = 0;
  uint16_t sweep_word = 0;

  uint64_t LowHz() const { return uint64_t{start} * 50000; }
  uint64_t HighHz() const { return (uint64_t{start} + uint64_t{points} * sweep_word) * 50000; }
  uint64_t PointHz(uint32_t point) const {
    return (uint64_t{start} + uint64_t{point} * sweep_word) * 50000;
  }
  friend bool operator==(const LogSweepSetting&, const LogSweepSetting&) = default;
};
inline LogSweepSetting SweepSettingOf(const SweepHeader& header) {
  return {header.start, header.points, header.sweep_word};
}

// A sweep block (type 6 or 10) of a log, checked: its points lie inside its sweep and its levels
// inside the record.
struct LogSweepBlock {
  LogSweepSetting setting;
  uint32_t first = 0;               // point of the first level
  uint32_t count = 0;               // levels in this block
  const uint8_t* levels = nullptr;  // `count` little-endian 1/16 dBm samples
};
std::optional<LogSweepBlock> SweepBlockOf(const LogRecordView& record);

// One entry per readable time record: its clock (LogClockSeconds), where it is, and how many
// sweeps began before it.
struct LogTimeEntry {
  int64_t seconds = 0;
  uint64_t offset = 0;
  uint64_t sweeps = 0;
};

// Elapsed seconds of a log from its time records' clocks, as replay counts them: a clock set
// back adds nothing, a forward gap counts. The first clock is second 0.
class ElapsedClock {
 public:
  int64_t Add(int64_t clock) {
    if (last_) elapsed_ += std::max<int64_t>(0, clock - *last_);
    last_ = clock;
    return elapsed_;
  }
  int64_t Elapsed() const { return elapsed_; }

 private:
  std::optional<int64_t> last_;
  int64_t elapsed_ = 0;
};

// Passes on to `inner` every record but the blocks of sweeps that are not whole (WholeSweepRule,
// as the CSV counts them), so every figure of a log counts the same sweeps. From a sweep's first
// block on, records wait, in order, until the sweep is whole or not; a sweep whose records pass
// kMaxHeldBytes is not whole. Finish() ends the records: a torn last sweep's blocks go, what came
// with them passes.
class LogWholeSweeps : public LogVisitor {
 public:
  // Room for a sweep of kMaxCsvSweepPoints points sent one point a block.
  static constexpr size_t kMaxHeldBytes = size_t{32} << 20;

  explicit LogWholeSweeps(LogVisitor& inner) : inner_(inner) {}

  void OnHeader(const LogHeaderInfo& header) override;
  void OnRecord(const LogRecordView& record) override;
  void Finish() { Release(false); }

 private:
  struct Held {
    uint64_t offset;
    size_t at;  // of the payload in bytes_
    uint16_t length;
    uint8_t type;
  };
  void Hold(const LogRecordView& record);
  // Passes the records held, the sweep's blocks only when it is whole.
  void Release(bool whole);

  LogVisitor& inner_;
  WholeSweepRule rule_;
  std::vector<Held> held_;
  std::vector<uint8_t> bytes_;
};

// One pass over a log, records fed one at a time: the time index, the time span, and the sweep
// settings met (in order of first use, at most kMaxSettings; more are counted, not kept).
class LogScan : public LogVisitor {
 public:
  static constexpr size_t kMaxSettings = 64;

  void OnHeader(const LogHeaderInfo& header) override;
  void OnRecord(const LogRecordView& record) override;

  const std::vector<LogTimeEntry>& Index() const { return index_; }
  const std::vector<LogSweepSetting>& Settings() const { return settings_; }
  uint64_t SettingsLeftOut() const { return settings_left_out_; }
  uint64_t Sweeps() const { return sweeps_; }  // begun
  // Whole sweeps by WholeSweepRule, as `quorvalin-log csv` writes them.
  uint64_t WholeSweeps() const { return whole_sweeps_; }
  // Earliest and latest time of a record fed (clocks may go backwards), the header's clock
  // counting for records before the first time record; nullopt when no clock was readable.
  std::optional<int64_t> Earliest() const { return earliest_; }
  std::optional<int64_t> Latest() const { return latest_; }

 private:
  void Saw(int64_t seconds);

  std::vector<LogTimeEntry> index_;
  std::vector<LogSweepSetting> settings_;
  uint64_t settings_left_out_ = 0;
  uint64_t sweeps_ = 0;
  WholeSweepRule whole_rule_;
  uint64_t whole_sweeps_ = 0;
  std::optional<int64_t> now_;
  std::optional<int64_t> earliest_;
  std::optional<int64_t> latest_;
};

// Time × frequency cells over a log, the highest level of each, fed records one at a time.
// Rows split [first_second, last_second + 1) evenly, columns [low_hz, high_hz); a second covers
// one row or more, a point one column or more. The seconds are the time records' clock, or with
// `elapsed` the log's elapsed time as its timeline counts it: a clock set back adds nothing, so
// a night across a change to winter time does not draw one hour over another. With
// `own_frequencies` the columns split each row's own sweep setting instead (the first setting met
// in the row; other settings' blocks there are left out), so a log whose settings change far
// apart in frequency still fills the grid and low_hz/high_hz are not used.
struct LogOverviewGrid {
  int64_t first_second = 0;
  int64_t last_second = 0;
  uint64_t low_hz = 0;
  uint64_t high_hz = 0;
  uint32_t rows = 0;
  uint32_t columns = 0;
  bool elapsed = false;
  bool own_frequencies = false;
};

class LogOverview : public LogVisitor {
 public:
  static constexpr int16_t kEmpty = INT16_MIN;  // a cell no level fell into
  static constexpr uint64_t kMaxCells = uint64_t{1} << 24;

  // A grid of more than kMaxCells cells, or an empty one, gets no cells.
  explicit LogOverview(const LogOverviewGrid& grid);

  void OnHeader(const LogHeaderInfo& header) override;
  void OnRecord(const LogRecordView& record) override;

  const LogOverviewGrid& Grid() const { return grid_; }
  // 1/16 dBm, or kEmpty.
  int16_t Cell(uint32_t row, uint32_t column) const {
    if (pending_high_ != 0) Fold();
    return cells_[size_t{row} * kept_rows_ / grid_.rows * grid_.columns + column];
  }
  // The setting whose frequencies a row's columns split (own_frequencies only); nullopt for a
  // row no sweep fell into.
  std::optional<LogSweepSetting> RowSetting(uint32_t row) const {
    if (row_settings_.empty()) return std::nullopt;
    const LogSweepSetting& s = row_settings_[size_t{row} * kept_rows_ / grid_.rows];
    return s.points != 0 ? std::optional<LogSweepSetting>(s) : std::nullopt;
  }
  // Lowest and highest filled cell; nullopt when every cell is empty.
  std::optional<std::pair<int16_t, int16_t>> LevelRange() const;

 private:
  LogOverviewGrid grid_;
  // Puts the pending levels into the cells; done whenever the cells are read.
  void Fold() const;
  void FoldPoints(uint64_t row, const LogSweepSetting& s, uint32_t first, uint32_t end) const;

  uint32_t kept_rows_ = 0;  // rows of cells_: the grid's, or its seconds when fewer
  mutable std::vector<int16_t> cells_;
  std::vector<LogSweepSetting> row_settings_;  // per kept row, with own_frequencies
  std::optional<int64_t> now_;
  ElapsedClock elapsed_;  // with grid_.elapsed
  // Highest level per point of one setting in one row, not yet in the cells; points outside
  // [pending_low_, pending_high_) hold INT16_MIN.
  mutable std::vector<int16_t> pending_;
  mutable uint32_t pending_low_ = 0;
  mutable uint32_t pending_high_ = 0;
  mutable uint64_t pending_added_ = 0;
  uint64_t pending_row_ = 0;
  LogSweepSetting pending_setting_;
};

// Per point of every sweep setting: lowest, mean and highest level and how many sweeps reached a
// threshold. Settings beyond kMaxPoints points in all are counted, not kept.
class LogWindowStats : public LogVisitor {
 public:
  static constexpr size_t kMaxPoints = size_t{1} << 20;

  struct Point {
    int64_t sum = 0;
    uint32_t count = 0;
    uint32_t reached = 0;  // levels at or above the threshold
    int16_t min = INT16_MAX;
    int16_t max = INT16_MIN;
  };
  struct Setting {
    LogSweepSetting setting;
    std::vector<Point> points;
  };

  // `threshold` in 1/16 dBm.
  explicit LogWindowStats(int32_t threshold) : threshold_(threshold) {}

  void OnHeader(const LogHeaderInfo&) override {}
  void OnRecord(const LogRecordView& record) override;

  const std::vector<Setting>& Settings() const { return settings_; }
  uint64_t BlocksLeftOut() const { return blocks_left_out_; }

 private:
  int32_t threshold_;
  std::vector<Setting> settings_;
  size_t kept_points_ = 0;
  size_t last_ = 0;  // setting of the block before, where the next one most likely goes
  uint64_t blocks_left_out_ = 0;
};

}  // namespace qv
