#include "core/record/log_scan.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/link/sweep_message.h"
#include "core/record/log_time.h"

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

}  // namespace
}  // namespace qv
