#include "core/record/log_scan.h"

#include <algorithm>

#include "core/link/little_endian.h"
#include "core/record/log_csv.h"
#include "core/record/log_time.h"

namespace qv {

std::optional<LogSweepBlock> SweepBlockOf(const LogRecordView& record) {
  const size_t levels_at = SweepLevelsOffset(record.type);
  const std::optional<SweepHeader> h = SweepHeaderOfRecord(record);
  // Sweeps of more points are left out as the CSV leaves them out; it keeps Hz within 64 bits.
  if (!h || h->sweep_word == 0 || h->points == 0 || h->points > kMaxCsvSweepPoints ||
      h->block_frequency < h->start ||
      h->block_count > (size_t{1} + record.length - levels_at) / 2)
    return std::nullopt;
  const uint64_t steps = h->block_frequency - h->start;
  if (steps % h->sweep_word != 0) return std::nullopt;
  const uint64_t first = steps / h->sweep_word;
  if (first + h->block_count > h->points) return std::nullopt;
  return LogSweepBlock{{h->start, h->points, h->sweep_word},
                       static_cast<uint32_t>(first),
                       h->block_count,
                       record.payload + (levels_at - 1)};
}

void LogWholeSweeps::OnHeader(const LogHeaderInfo& header) {
  rule_ = {};
  held_.clear();
  bytes_.clear();
  inner_.OnHeader(header);
}

void LogWholeSweeps::OnRecord(const LogRecordView& record) {
  if (SweepLevelsOffset(record.type) == 0) {
    if (held_.empty()) {
      inner_.OnRecord(record);
    } else {
      Hold(record);
    }
    return;
  }
  const WholeSweepRule::Step step = rule_.Feed(record);
  if (step.dropped) Release(false);
  if (!step.taken) return;
  if (step.completes && held_.empty()) {
    inner_.OnRecord(record);  // a sweep in one block
    return;
  }
  Hold(record);
  if (step.completes) {
    Release(true);
  } else if (bytes_.size() > kMaxHeldBytes) {
    rule_.Drop();
    Release(false);
  }
}

void LogWholeSweeps::Hold(const LogRecordView& record) {
  held_.push_back({record.offset, bytes_.size(), record.length, record.type});
  bytes_.insert(bytes_.end(), record.payload, record.payload + record.length);
}

void LogWholeSweeps::Release(bool whole) {
  for (const Held& h : held_) {
    if (whole || SweepLevelsOffset(h.type) == 0)
      inner_.OnRecord({h.offset, h.type, h.length, bytes_.data() + h.at});
  }
  held_.clear();
  bytes_.clear();
}

void LogScan::OnHeader(const LogHeaderInfo& header) {
  now_ = header.complete ? LogClockSeconds(header.clock) : std::nullopt;
}

void LogScan::Saw(int64_t seconds) {
  earliest_ = std::min(earliest_.value_or(seconds), seconds);
  latest_ = std::max(latest_.value_or(seconds), seconds);
}

void LogScan::OnRecord(const LogRecordView& record) {
  if (record.type == kLogTimeType) {
    const auto seconds = record.length >= 6 ? LogClockSeconds(record.payload) : std::nullopt;
    if (!seconds) return;
    now_ = seconds;
    index_.push_back({*seconds, record.offset, sweeps_});
    Saw(*seconds);
    return;
  }
  if (SweepLevelsOffset(record.type) != 0 && whole_rule_.Feed(record).completes) ++whole_sweeps_;
  const std::optional<LogSweepBlock> block = SweepBlockOf(record);
  if (!block) return;
  if (now_) Saw(*now_);
  if (block->first == 0) ++sweeps_;
  if (std::find(settings_.begin(), settings_.end(), block->setting) != settings_.end()) return;
  if (settings_.size() < kMaxSettings) {
    settings_.push_back(block->setting);
  } else {
    ++settings_left_out_;
  }
}

LogOverview::LogOverview(const LogOverviewGrid& grid) : grid_(grid) {
  const uint64_t cells = uint64_t{grid.rows} * grid.columns;
  if (cells == 0 || cells > kMaxCells ||
      (!grid.own_frequencies && grid.high_hz <= grid.low_hz) ||
      grid.last_second < grid.first_second) {
    grid_.rows = grid_.columns = 0;
    return;
  }
  // Never more rows kept than seconds: a second of a short log then fills several rows of the
  // grid without being written into each.
  const uint64_t seconds = static_cast<uint64_t>(grid.last_second - grid.first_second) + 1;
  kept_rows_ = static_cast<uint32_t>(std::min<uint64_t>(grid.rows, seconds));
  cells_.assign(uint64_t{kept_rows_} * grid.columns, kEmpty);
  if (grid.own_frequencies) row_settings_.assign(kept_rows_, LogSweepSetting{});
}

void LogOverview::OnHeader(const LogHeaderInfo& header) {
  // Elapsed time starts at the first time record; what comes before it counts as its second.
  elapsed_ = {};
  now_ = grid_.elapsed ? 0 : header.complete ? LogClockSeconds(header.clock) : std::nullopt;
}

void LogOverview::OnRecord(const LogRecordView& record) {
  if (record.type == kLogTimeType) {
    if (record.length >= 6) {
      if (const auto seconds = LogClockSeconds(record.payload))
        now_ = grid_.elapsed ? elapsed_.Add(*seconds) : *seconds;
    }
    return;
  }
  if (cells_.empty()) return;
  const std::optional<LogSweepBlock> block = SweepBlockOf(record);
  if (!block || block->count == 0) return;
  const int64_t at = now_.value_or(grid_.first_second);
  if (at < grid_.first_second || at > grid_.last_second) return;
  const uint64_t span = static_cast<uint64_t>(grid_.last_second - grid_.first_second) + 1;
  const uint64_t row = static_cast<uint64_t>(at - grid_.first_second) * kept_rows_ / span;
  // Levels gather per point of one setting and row first: a highest level per point is a
  // plain element-wise max, which vectorises; they go into the columns when either changes.
  // A range that would grow far beyond what was added (points far apart) goes in at once, so
  // folding never costs much more than the levels themselves.
  const LogSweepSetting& s = block->setting;
  if (!row_settings_.empty()) {
    LogSweepSetting& own = row_settings_[row];
    if (own.points == 0) own = s;
    if (!(own == s)) return;
  }
  const uint32_t end = block->first + block->count;
  if (pending_row_ != row || !(pending_setting_ == s) ||
      std::max(pending_high_, end) - std::min(pending_low_, block->first) >
          4 * (pending_added_ + block->count) + 65536) {
    Fold();
    pending_row_ = row;
    pending_setting_ = s;
    if (pending_.size() < s.points) pending_.resize(s.points, INT16_MIN);
  }
  int16_t* pending = pending_.data() + block->first;
  for (uint32_t i = 0; i < block->count; ++i)
    pending[i] = std::max(pending[i], static_cast<int16_t>(GetU16(block->levels + 2 * i)));
  if (pending_low_ >= pending_high_) {
    pending_low_ = block->first;
    pending_high_ = end;
  } else {
    pending_low_ = std::min(pending_low_, block->first);
    pending_high_ = std::max(pending_high_, end);
  }
  pending_added_ += block->count;
}

void LogOverview::Fold() const {
  if (pending_low_ >= pending_high_) return;
  FoldPoints(pending_row_, pending_setting_, pending_low_, pending_high_);
  std::fill(pending_.begin() + pending_low_, pending_.begin() + pending_high_, INT16_MIN);
  pending_low_ = pending_high_ = 0;
  pending_added_ = 0;
}

void LogOverview::FoldPoints(uint64_t row, const LogSweepSetting& s, uint32_t first,
                             uint32_t end) const {
  const int16_t* levels = pending_.data();
  // Point i's column is floor((its Hz - low_hz) × columns / span), stepped exactly from point to
  // point without a division each.
  const uint64_t low_hz = grid_.own_frequencies ? s.LowHz() : grid_.low_hz;
  const uint64_t span_hz = (grid_.own_frequencies ? s.HighHz() : grid_.high_hz) - low_hz;
  const uint64_t step_hz = uint64_t{s.sweep_word} * 50000;
  const uint64_t columns = grid_.columns;
  const uint64_t low = s.PointHz(first);
  uint32_t i = first;
  if (low < low_hz) {
    const uint64_t skip = (low_hz - low + step_hz - 1) / step_hz;
    if (skip >= end - first) return;
    i += static_cast<uint32_t>(skip);
  }
  const uint64_t offset = s.PointHz(i) - low_hz;
  if (offset >= span_hz) return;
  using Wide = unsigned __int128;
  uint64_t column = static_cast<uint64_t>(Wide{offset} * columns / span_hz);
  uint64_t rest = static_cast<uint64_t>(Wide{offset} * columns % span_hz);
  const uint64_t step = static_cast<uint64_t>(Wide{step_hz} * columns / span_hz);
  const uint64_t step_rest = static_cast<uint64_t>(Wide{step_hz} * columns % span_hz);
  int16_t* cells = cells_.data() + row * grid_.columns;
  if (step == 0) {
    // Points narrower than a column: the highest of a run of points that share a column is
    // kept in a register and stored once.
    int16_t run = INT16_MIN;
    for (;;) {
      run = std::max(run, levels[i]);
      rest += step_rest;
      const bool on = rest >= span_hz;
      if (++i == end || on) {
        cells[column] = std::max(cells[column], run);
        if (i == end || ++column == columns) return;
        rest -= span_hz;
        run = INT16_MIN;
      }
    }
  }
  for (;;) {
    const int16_t level = levels[i];
    uint64_t next = column + step;
    rest += step_rest;
    if (rest >= span_hz) {
      ++next;
      rest -= span_hz;
    }
    // A point spans one column or more, so a narrow sweep still fills the grid.
    const uint64_t last = std::min(columns, std::max(column + 1, next));
    for (uint64_t c = column; c < last; ++c) cells[c] = std::max(cells[c], level);
    if (++i == end || next >= columns) return;
    column = next;
  }
}

std::optional<std::pair<int16_t, int16_t>> LogOverview::LevelRange() const {
  Fold();
  std::optional<std::pair<int16_t, int16_t>> range;
  for (const int16_t cell : cells_) {
    if (cell == kEmpty) continue;
    if (!range) range.emplace(cell, cell);
    range->first = std::min(range->first, cell);
    range->second = std::max(range->second, cell);
  }
  return range;
}

void LogWindowStats::OnRecord(const LogRecordView& record) {
  const std::optional<LogSweepBlock> block = SweepBlockOf(record);
  if (!block) return;
  if (last_ >= settings_.size() || !(settings_[last_].setting == block->setting)) {
    const auto found = std::find_if(settings_.begin(), settings_.end(),
                                    [&](const Setting& s) { return s.setting == block->setting; });
    if (found == settings_.end()) {
      if (block->setting.points > kMaxPoints - kept_points_) {
        ++blocks_left_out_;
        return;
      }
      kept_points_ += block->setting.points;
      settings_.push_back({block->setting, std::vector<Point>(block->setting.points)});
      last_ = settings_.size() - 1;
    } else {
      last_ = static_cast<size_t>(found - settings_.begin());
    }
  }
  Point* points = settings_[last_].points.data() + block->first;
  for (uint32_t i = 0; i < block->count; ++i) {
    const int16_t level = static_cast<int16_t>(GetU16(block->levels + 2 * i));
    Point& p = points[i];
    p.sum += level;
    ++p.count;
    p.reached += level >= threshold_;
    p.min = std::min(p.min, level);
    p.max = std::max(p.max, level);
  }
}

}  // namespace qv
