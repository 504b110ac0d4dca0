#include "core/record/log_scan.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <tuple>

#include "core/display/overview_image.h"
#include "core/link/sweep_message.h"
#include "core/record/log_csv.h"
#include "core/record/log_time.h"
#include "core/record/log_timeline.h"
#include "core/record/window_traces.h"

namespace qv {
namespace {

TEST(LogTime, ParsesTheThreeFormsAndRejectsTheRest) {
  EXPECT_EQ(ParseLogTime("+01:02:03"), (LogTimePoint{true, 3723}));
  EXPECT_EQ(ParseLogTime("+100:00:00"), (LogTimePoint{true, 360000}));
  EXPECT_EQ(ParseLogTime("90"), (LogTimePoint{true, 90}));
  // 2024 is a leap year; 2000-01-01 is second 0.
  EXPECT_EQ(ParseLogTime("2000-01-01 00:00:01"), (LogTimePoint{false, 1}));
  const auto leap = ParseLogTime("2024-02-29 23:59:59");
  ASSERT_TRUE(leap);
  EXPECT_EQ(LogSecondsText(leap->seconds), "2024-02-29 23:59:59");
  EXPECT_EQ(LogSecondsText(leap->seconds + 1), "2024-03-01 00:00:00");
  for (const char* bad : {"", "+", "+1:00", "+01:60:00", "+01:00:60", "-5", "1.5", "+-1:00:00",
                          "2023-02-29 10:00:00", "2024-13-01 10:00:00", "2024-01-01 24:00:00",
                          "2024-01-01T10:00:00", "2024-1-01 10:00:00"})
    EXPECT_FALSE(ParseLogTime(bad)) << bad;
  EXPECT_FALSE(LogClockSeconds(LogClock{}));  // the "unknown" clock
}

Bytes& operator+=(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
  return out;
}

// Four-point sweeps at 2400 MHz in two blocks of two, level `level` at every point but the
// last, which is 16 dB higher.
void AddSweep(Bytes& log, int16_t level, uint32_t start = 48000) {
  SweepHeader h;
  h.start = start;
  h.points = 4;
  for (uint32_t first = 0; first < 4; first += 2) {
    h.block_frequency = start + first;
    const int16_t levels[2] = {level, static_cast<int16_t>(first == 2 ? level + 256 : level)};
    const Bytes message = BuildSweepBlock(h, levels, 2);
    log += BuildMessageRecord(message.data(), message.size());
  }
}

// Records as they reach a visitor, with their bytes.
struct Recorder : LogVisitor {
  void OnHeader(const LogHeaderInfo&) override {}
  void OnRecord(const LogRecordView& r) override {
    records.push_back({r.offset, r.type, Bytes(r.payload, r.payload + r.length)});
  }
  struct Seen {
    uint64_t offset;
    uint8_t type;
    Bytes payload;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> records;
};

// A log crossing midnight: a sweep before the first time record, then at 23:59:58, 23:59:59 and
// 00:00:00 sweeps at -100, -90, -80 dBm (two at 23:59:59), a sweep of another setting, and a
// torn tail. Walked from memory and as a stream, the index, cells and statistics agree.
TEST(LogScan, IndexCellsAndWindowStatisticsOfALogCrossingMidnight) {
  Bytes log = BuildHeaderRecord(ReceiverIdentity{}, {1, 31, 24, 23, 59, 57}, {});
  AddSweep(log, -110 * 16);
  const uint64_t first_time = log.size();
  log += BuildTimeRecord({1, 31, 24, 23, 59, 58}, {});
  AddSweep(log, -100 * 16);
  log += BuildTimeRecord({1, 31, 24, 23, 59, 59}, {});
  AddSweep(log, -90 * 16);
  AddSweep(log, -95 * 16);
  log += BuildTimeRecord({2, 1, 24, 0, 0, 0}, {});
  AddSweep(log, -80 * 16);
  AddSweep(log, -70 * 16, 48010);  // 2400.5 MHz on: another setting
  const size_t whole = log.size();
  log += BuildTimeRecord({2, 1, 24, 0, 0, 1}, {});
  log.resize(log.size() - 5);

  LogScan scan;
  EXPECT_EQ(ScanLog(log.data(), log.size(), scan).torn_at, whole);
  const int64_t midnight = *LogClockSeconds(LogClock{2, 1, 24, 0, 0, 0});
  ASSERT_EQ(scan.Index().size(), 3u);
  EXPECT_EQ(scan.Index()[0].offset, first_time);
  EXPECT_EQ(scan.Index()[0].sweeps, 1u);
  EXPECT_EQ(scan.Index()[2].seconds, midnight);
  EXPECT_EQ(scan.Index()[2].sweeps, 4u);
  EXPECT_EQ(scan.Sweeps(), 6u);
  EXPECT_EQ(scan.Earliest(), midnight - 3);  // the header's clock, for the first sweep
  EXPECT_EQ(scan.Latest(), midnight);
  ASSERT_EQ(scan.Settings().size(), 2u);
  EXPECT_EQ(scan.Settings()[1].HighHz(), 2400700000u);

  // Four seconds in four rows, 2400.0 ... 2400.8 MHz in eight columns of 100 kHz: two points
  // a column.
  LogOverview overview({midnight - 3, midnight, 2400000000, 2400800000, 4, 8});
  ScanLog(log.data(), log.size(), overview);
  const int16_t e = LogOverview::kEmpty;
  const std::vector<std::vector<int16_t>> rows = {
      {-1760, -1504, e, e, e, e, e, e},
      {-1600, -1344, e, e, e, e, e, e},
      {-1440, -1184, e, e, e, e, e, e},  // the higher of two sweeps
      {-1280, -1024, e, e, e, -1120, -864, e}};
  for (uint32_t row = 0; row < 4; ++row) {
    for (uint32_t column = 0; column < 8; ++column)
      EXPECT_EQ(overview.Cell(row, column), rows[row][column]) << row << "," << column;
  }
  EXPECT_EQ(overview.LevelRange(), (std::pair<int16_t, int16_t>{-1760, -864}));

  // From +1 (23:59:59) to midnight, threshold -90 dBm.
  LogWindowStats stats(-90 * 16);
  LogTimeWindow window(stats, LogTimePoint{true, 1}, ParseLogTime("2024-02-01 00:00:00"));
  ScanLog(log.data(), log.size(), window);
  ASSERT_EQ(stats.Settings().size(), 2u);
  const LogWindowStats::Point& p = stats.Settings()[0].points[0];
  EXPECT_EQ(p.min, -95 * 16);
  EXPECT_EQ(p.max, -80 * 16);
  EXPECT_EQ(p.sum, (-90 - 95 - 80) * 16);
  EXPECT_EQ(p.count, 3u);
  EXPECT_EQ(p.reached, 2u);

  // A stream read in pieces meets the same records, also those across the pieces' seams.
  Bytes big(log.begin(), log.begin() + static_cast<long>(whole));
  while (big.size() < 3u << 20) AddSweep(big, -60 * 16);
  big.insert(big.end(), log.begin() + static_cast<long>(whole), log.end());
  Recorder from_memory, from_stream;
  const LogScanResult in_memory = ScanLog(big.data(), big.size(), from_memory);
  std::FILE* file = fmemopen(big.data(), big.size(), "rb");
  ASSERT_NE(file, nullptr);
  std::string error;
  const LogScanResult streamed = ScanLogStream(file, from_stream, &error);
  std::fclose(file);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(streamed.torn);
  EXPECT_EQ(streamed.torn_at, in_memory.torn_at);
  EXPECT_EQ(streamed.records, in_memory.records);
  EXPECT_TRUE(from_stream.records == from_memory.records);
}

// A log that moves from 2400 MHz to 902 MHz: each part fills the grid over its own points, with
// its carrier (the last point, -30 dBm) in the top column; a 2400 MHz sweep within a 902 MHz row
// stays out of it. The picture's parts say which setting each pixel column shows, and the colour
// range fits the levels met.
TEST(LogScan, OverviewOfALogWhoseSettingChanges) {
  const LogClock t0{3, 1, 24, 10, 0, 0};
  Bytes log = BuildHeaderRecord(ReceiverIdentity{}, t0, {});
  for (uint8_t second = 0; second < 4; ++second) {
    log += BuildTimeRecord({3, 1, 24, 10, 0, second}, {});
    AddSweep(log, -46 * 16, second < 2 ? 48000 : 18040);
  }
  AddSweep(log, 0, 48000);
  const int64_t start = *LogClockSeconds(t0);
  LogOverviewGrid grid{start, start + 3, 0, 0, 4, 4};
  grid.own_frequencies = true;
  LogOverview overview(grid);
  ScanLog(log.data(), log.size(), overview);
  for (uint32_t row = 0; row < 4; ++row) {
    ASSERT_TRUE(overview.RowSetting(row)) << row;
    EXPECT_EQ(overview.RowSetting(row)->start, row < 2 ? 48000u : 18040u);
    EXPECT_EQ(overview.Cell(row, 0), -46 * 16);
    EXPECT_EQ(overview.Cell(row, 3), -30 * 16);
  }
  std::array<Colour, CGradient::kTableSize> minus_dbm{};
  for (size_t i = 0; i < minus_dbm.size(); ++i) minus_dbm[i] = static_cast<Colour>(i);
  const std::vector<Colour> pixels = OverviewPixels(overview, 4, 4, minus_dbm, 999);
  EXPECT_EQ(pixels, (std::vector<Colour>{30, 30, 30, 30, 46, 46, 46, 46,  //
                                         46, 46, 46, 46, 46, 46, 46, 46}));
  const std::vector<OverviewPart> parts = OverviewParts(overview, 8);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(std::make_tuple(parts[0].first, parts[0].last, parts[0].setting.start),
            std::make_tuple(0, 3, 48000u));
  EXPECT_EQ(std::make_tuple(parts[1].first, parts[1].last, parts[1].setting.start),
            std::make_tuple(4, 7, 18040u));
  EXPECT_EQ(OverviewColourRange(overview), (std::pair<int16_t, int16_t>{-30, -50}));
}

// Two settings a second apart each, garbage between them, a torn tail. The overview's pixels
// take the highest cell they cover; the byte range between two index entries gives the same
// statistics as that time window, skipping what is no sweep, and a range running off the end
// stops at the tear as the whole walk does.
TEST(LogScan, OverviewPixelsAndRangedStatisticsOfADamagedLog) {
  const LogClock t0{3, 1, 24, 10, 0, 0};
  Bytes log = BuildHeaderRecord(ReceiverIdentity{}, t0, {});
  log += BuildTimeRecord(t0, {});
  AddSweep(log, -100 * 16);
  log += BuildTimeRecord({3, 1, 24, 10, 0, 1}, {});
  AddSweep(log, -90 * 16);
  log += Bytes{0x77, 3, 0, 0xDE, 0xAD, 0xBE};  // a record of no known type
  SweepHeader outside;
  outside.start = 48000;
  outside.points = 4;
  outside.block_frequency = 48100;  // far past its sweep's points
  const int16_t loud[2] = {0, 0};
  const Bytes bad = BuildSweepBlock(outside, loud, 2);
  log += BuildMessageRecord(bad.data(), bad.size());
  log += BuildTimeRecord({3, 1, 24, 10, 0, 2}, {});
  AddSweep(log, -80 * 16, 48010);
  log += BuildTimeRecord({3, 1, 24, 10, 0, 3}, {});
  AddSweep(log, -70 * 16, 48010);
  log += BuildTimeRecord({3, 1, 24, 10, 0, 4}, {});
  log.resize(log.size() - 2);

  LogScan scan;
  const LogScanResult whole = ScanLog(log.data(), log.size(), scan);
  ASSERT_EQ(scan.Index().size(), 4u);
  const int64_t start = *LogClockSeconds(t0);
  LogOverview overview({start, start + 3, 2400000000, 2400800000, 4, 8});
  ScanLog(log.data(), log.size(), overview);
  std::array<Colour, CGradient::kTableSize> minus_dbm{};
  for (size_t i = 0; i < minus_dbm.size(); ++i) minus_dbm[i] = static_cast<Colour>(i);
  const Colour o = 999;
  EXPECT_EQ(OverviewPixels(overview, 4, 8, minus_dbm, o),
            (std::vector<Colour>{o,  o,  o,  o,    //
                                 o,  o,  64, 54,   // 2400.6 ... 2400.7 MHz
                                 o,  o,  80, 70,   // 2400.5 ... 2400.6 MHz
                                 o,  o,  o,  o,    //
                                 o,  o,  o,  o,    //
                                 o,  o,  o,  o,    //
                                 84, 74, o,  o,    // 2400.1 ... 2400.2 MHz
                                 100, 90, o, o}));  // 2400.0 ... 2400.1 MHz
  EXPECT_EQ(OverviewPixels(overview, 2, 4, minus_dbm, o),
            (std::vector<Colour>{o, 54, o, 70, o, o, 74, o}));
  EXPECT_EQ(OverviewPixels(LogOverview({start, start, 0, 0, 0, 0}), 2, 1, minus_dbm, o),
            (std::vector<Colour>{o, o}));

  const auto stats_of = [](LogWindowStats& stats) {
    std::vector<std::tuple<uint32_t, uint32_t, int16_t, int16_t, uint32_t>> seen;
    for (const LogWindowStats::Setting& setting : stats.Settings()) {
      for (const LogWindowStats::Point& p : setting.points)
        seen.emplace_back(setting.setting.start, p.count, p.min, p.max, p.reached);
    }
    return seen;
  };
  LogWindowStats by_time(-85 * 16);
  LogTimeWindow window(by_time, LogTimePoint{true, 1}, LogTimePoint{true, 2});
  ScanLog(log.data(), log.size(), window);
  std::FILE* file = fmemopen(log.data(), log.size(), "rb");
  ASSERT_NE(file, nullptr);
  LogWindowStats by_range(-85 * 16);
  std::string error;
  const LogScanResult ranged = ScanLogStreamRange(file, scan.Index()[1].offset,
                                                  scan.Index()[3].offset, by_range, &error);
  EXPECT_EQ(error, "");
  EXPECT_FALSE(ranged.torn);
  EXPECT_EQ(ranged.records, 8u);  // two time records, four blocks, the garbage, the bad block
  using P = std::tuple<uint32_t, uint32_t, int16_t, int16_t, uint32_t>;
  const std::vector<P> expected = {
      {48000, 1, -1440, -1440, 0}, {48000, 1, -1440, -1440, 0}, {48000, 1, -1440, -1440, 0},
      {48000, 1, -1184, -1184, 1}, {48010, 1, -1280, -1280, 1}, {48010, 1, -1280, -1280, 1},
      {48010, 1, -1280, -1280, 1}, {48010, 1, -1024, -1024, 1}};
  EXPECT_EQ(stats_of(by_range), expected);
  EXPECT_EQ(stats_of(by_time), expected);

  // The whole log at -95 dBm: the traces and the histogram's shares of the first setting.
  LogWindowStats all(-95 * 16);
  ScanLogStreamRange(file, scan.Index()[0].offset, UINT64_MAX, all, &error);
  ASSERT_EQ(WindowSetting(all, scan.Settings()[1]), &all.Settings()[1]);
  const LogWindowStats::Setting& first = *WindowSetting(all, scan.Settings()[0]);
  const std::vector<TraceColumn> traces = WindowTraceColumns(first);
  ASSERT_EQ(traces.size(), 3u);
  EXPECT_EQ(traces[0].name, "Window Max");
  EXPECT_EQ(traces[0].sixteenths, (std::vector<int16_t>{-1440, -1440, -1440, -1184}));
  EXPECT_EQ(traces[1].sixteenths, (std::vector<int16_t>{-1600, -1600, -1600, -1344}));
  EXPECT_EQ(traces[2].sixteenths, (std::vector<int16_t>{-1520, -1520, -1520, -1264}));
  EXPECT_EQ(WindowHistogramCounts(first, 1000), (std::vector<int16_t>{500, 500, 500, 1000}));

  // A walk cancelled from elsewhere stops before it reads on.
  const std::atomic<bool> cancelled{true};
  Recorder none;
  EXPECT_EQ(ScanLogStreamRange(file, scan.Index()[0].offset, UINT64_MAX, none, &error, &cancelled)
                .records,
            0u);

  Recorder tail;
  const LogScanResult to_end =
      ScanLogStreamRange(file, scan.Index()[3].offset, UINT64_MAX, tail, &error);
  std::fclose(file);
  EXPECT_TRUE(to_end.torn);
  EXPECT_EQ(to_end.torn_at, whole.torn_at);
  EXPECT_EQ(tail.records.size(), 3u);  // the time record and the two blocks before the tear
}

// Two hours, one sweep a second, the clock set back half an hour at +01:00:00. A window from
// the start counts elapsed time as the timeline does: it cuts the same bytes as the timeline's
// range, never the second pass over a repeated half hour. A wall-clock bound is the clock.
TEST(LogTimeWindow, CountsElapsedTimeAsTheTimelineDoes) {
  Bytes log = BuildHeaderRecord(ReceiverIdentity{}, {6, 1, 24, 0, 0, 0}, {});
  for (int second = 0; second < 7200; ++second) {
    const int clock = second < 3600 ? second : second - 1800;
    log += BuildTimeRecord({6, 1, 24, static_cast<uint8_t>(clock / 3600),
                            static_cast<uint8_t>(clock / 60 % 60), static_cast<uint8_t>(clock % 60)},
                           {});
    AddSweep(log, -100 * 16);
  }
  LogScan scan;
  ScanLog(log.data(), log.size(), scan);
  const LogTimeline timeline(scan.Index(), scan.Sweeps(), log.size());
  ASSERT_EQ(timeline.Duration(), 7198);  // the set-back second adds nothing

  // Bytes passed, and how many time records among them.
  const auto cut = [&](std::optional<LogTimePoint> from, std::optional<LogTimePoint> to) {
    Recorder seen;
    LogTimeWindow window(seen, from, to);
    ScanLog(log.data(), log.size(), window);
    size_t times = 0;
    for (const Recorder::Seen& r : seen.records) times += r.type == kLogTimeType;
    const Recorder::Seen& last = seen.records.back();
    return std::tuple(seen.records.front().offset,
                      last.offset + kLogRecordPrefix + last.payload.size(), times);
  };
  const auto [from_begin, from_end, from_times] = cut(ParseLogTime("+01:10:00"), std::nullopt);
  EXPECT_EQ(std::pair(from_begin, from_end), timeline.RangeOf(4200, timeline.Duration()));
  EXPECT_EQ(from_times, 7200u - 4201u);
  const auto [to_begin, to_end, to_times] = cut(std::nullopt, ParseLogTime("+00:45:00"));
  EXPECT_EQ(std::pair(to_begin, to_end), timeline.RangeOf(0, 2700));
  EXPECT_EQ(to_times, 2701u);
  // 00:50:00 comes twice on the clock: from its first time on, less the repeated half hour.
  EXPECT_EQ(std::get<2>(cut(ParseLogTime("2024-06-01 00:50:00"), std::nullopt)), 600u + 2400u);
}

// Sweeps begun before the log, broken off, cut by a time record and torn at the end: only the
// blocks of whole sweeps pass, every other record passes in its place, and the statistics
// count the sweeps the CSV writes.
TEST(LogWholeSweeps, PassesTheSweepsTheCsvWrites) {
  Bytes log = BuildHeaderRecord(ReceiverIdentity{}, {3, 1, 24, 10, 0, 0}, {});
  SweepHeader h;
  h.start = 48000;
  h.points = 4;
  const auto block = [&](uint32_t first, int16_t level) {
    h.block_frequency = h.start + first;
    const int16_t levels[2] = {level, level};
    const Bytes message = BuildSweepBlock(h, levels, 2);
    log += BuildMessageRecord(message.data(), message.size());
    return log.size();
  };
  block(2, -40 * 16);                                    // the end of a sweep before the log
  const uint64_t whole_from = log.size();
  block(0, -100 * 16);
  log += BuildTimeRecord({3, 1, 24, 10, 0, 1}, {});      // inside a whole sweep
  block(2, -90 * 16);
  const uint64_t broken_from = log.size();
  block(0, -30 * 16);
  log += BuildTimeRecord({3, 1, 24, 10, 0, 2}, {});
  block(0, -80 * 16);                                    // begins again before the end
  const uint64_t torn_from = block(2, -80 * 16);
  block(0, -20 * 16);                                    // torn: no second block
  log += BuildTimeRecord({3, 1, 24, 10, 0, 3}, {});

  Recorder all, whole_only;
  ScanLog(log.data(), log.size(), all);
  LogWholeSweeps whole(whole_only);
  ScanLog(log.data(), log.size(), whole);
  whole.Finish();
  std::vector<Recorder::Seen> expected;
  for (const Recorder::Seen& r : all.records) {
    const bool sweep_block = r.type == kMsgSweep;
    const bool in_whole = (r.offset >= whole_from && r.offset < broken_from) ||
                          (r.offset > broken_from && r.offset < torn_from);
    if (!sweep_block || in_whole) expected.push_back(r);
  }
  EXPECT_TRUE(whole_only.records == expected);
  EXPECT_EQ(expected.size(), 7u);  // three time records, two whole sweeps of two blocks

  LogCsvExport csv([](std::string_view) { return true; });
  ScanLog(log.data(), log.size(), csv);
  csv.Finish();
  EXPECT_EQ(csv.SweepsWritten(), 2u);
  LogWindowStats stats(-85 * 16);
  LogWholeSweeps counted(stats);
  ScanLog(log.data(), log.size(), counted);
  counted.Finish();
  ASSERT_EQ(stats.Settings().size(), 1u);
  for (const LogWindowStats::Point& p : stats.Settings()[0].points) {
    EXPECT_EQ(p.count, 2u);
    EXPECT_EQ(p.max, -80 * 16);
    EXPECT_EQ(p.reached, 1u);  // the -80 dBm sweep
  }
}

}  // namespace
}  // namespace qv
