#include "core/record/log_csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/link/sweep_message.h"
#include "core/record/log_format.h"
#include "core/record/log_reader.h"

namespace qv {
namespace {

class LogBuilder {
 public:
  LogBuilder() {
    const Bytes header = BuildHeaderRecord(ReceiverIdentity{}, {1, 31, 24, 13, 45, 7}, {});
    log_.insert(log_.end(), header.begin(), header.end());
  }
  void Time(uint8_t second) { Put(BuildTimeRecord({1, 31, 24, 13, 45, second}, {})); }
  // A block of `levels` (1/16 dBm) starting at point `first` of a sweep of `points` points.
  void Block(uint8_t type, uint32_t start, uint32_t points, uint16_t sweep_word, uint32_t first,
             std::vector<int16_t> levels, size_t cut = 0) {
    SweepHeader h;
    h.type = type;
    h.start = start;
    h.points = points;
    h.sweep_word = sweep_word;
    h.block_frequency = start + first * sweep_word;
    Bytes message = BuildSweepBlock(h, levels.data(), static_cast<uint16_t>(levels.size()));
    message.resize(message.size() - cut);
    Put(BuildMessageRecord(message.data(), message.size()));
  }
  void End() { Put(BuildEndRecord(9, 0)); }
  const Bytes& bytes() const { return log_; }

 private:
  void Put(const Bytes& record) { log_.insert(log_.end(), record.begin(), record.end()); }
  Bytes log_;
};

struct Export {
  std::vector<std::string> pieces;
  uint64_t written = 0;
  uint64_t left_out = 0;
  bool finished = false;
};

Export ExportCsv(const Bytes& log, size_t flush_bytes, int fail_from_piece = -1) {
  Export result;
  LogCsvExport csv(
      [&](std::string_view text) {
        if (static_cast<int>(result.pieces.size()) == fail_from_piece) return false;
        result.pieces.emplace_back(text);
        return true;
      },
      flush_bytes);
  ScanLog(log.data(), log.size(), csv);
  result.finished = csv.Finish();
  result.written = csv.SweepsWritten();
  result.left_out = csv.SweepsLeftOut();
  return result;
}

constexpr uint32_t k2400 = 48000;  // 2400 MHz in 50 kHz steps
constexpr uint32_t k902 = 18048;

const char kFirstLine[] =
    "2024-01-31, 13:45:07, 2400000000, 2400200000, 50000, 1, -95.0625, -96.5, 0, -0.25\n";
const char kTriggerLine[] =
    "2024-01-31, 13:45:08, 902400000, 902600000, 100000, 1, 2047.9375, -2048\n";

// One log walking every case: only the two complete sweeps come out, each under the time that
// was current when it began.
TEST(LogCsvExport, WritesOneLinePerCompleteSweep) {
  LogBuilder log;
  log.Block(kMsgSweep, k2400, 4, 1, 2, {-1600, -1600});  // the tail of a sweep begun earlier
  log.Block(kMsgSweep, k2400, 4, 1, 0, {-1521, -1544});  // header time
  log.Block(kMsgSweep, k2400, 4, 1, 2, {0, -4});
  log.Time(8);
  log.Block(kMsgTriggerSweep, k902, 2, 2, 0, {32767, -32768});  // one block, 100 kHz steps
  log.Block(kMsgSweep, k2400, 4, 1, 0, {-1, -2});
  log.Block(kMsgSweep, k2400, 4, 1, 3, {-3});  // skips point 2: the sweep is dropped
  log.Block(kMsgSweep, k2400, 4, 1, 2, {-3, -4});
  log.Block(kMsgSweep, k2400, 4, 1, 0, {-1, -2});
  log.Block(kMsgSweep, k2400, 4, 1, 2, {-3, -4}, 1);  // claims more levels than it holds
  log.Block(kMsgSweep, k2400, 4, 1, 0, {-1, -2});
  log.Block(kMsgTriggerSweep, k2400, 4, 1, 2, {-3, -4});  // another type continues it
  log.Block(kMsgSweep, k2400, 4, 1, 0, {-1, -2, -3, -4, -5});  // more than N
  log.Block(kMsgSweep, k2400, 4, 1, 0, {-1, -2});  // torn off by the end of the log
  log.End();

  const Export all = ExportCsv(log.bytes(), size_t{1} << 20);
  ASSERT_EQ(all.pieces.size(), 1u);
  EXPECT_EQ(all.pieces[0], std::string(kFirstLine) + kTriggerLine);
  EXPECT_EQ(all.written, 2u);
  EXPECT_EQ(all.left_out, 5u);
  EXPECT_TRUE(all.finished);

  // Handed over sweep by sweep when the buffer is small; a failed write stops the export.
  const Export pieces = ExportCsv(log.bytes(), 1);
  EXPECT_EQ(pieces.pieces, (std::vector<std::string>{kFirstLine, kTriggerLine}));
  const Export failed = ExportCsv(log.bytes(), 1, 0);
  EXPECT_TRUE(failed.pieces.empty());
  EXPECT_FALSE(failed.finished);
}

// Every 1/16 dB step keeps its exact value, in the shortest text.
TEST(LogCsvExport, LevelsAreExactSixteenths) {
  LogBuilder log;
  log.Block(kMsgSweep, 1, 9, 1, 0, {-1521, -1, 1, 2, 3, -16, 160, -8, 15});
  const Export csv = ExportCsv(log.bytes(), 1);
  ASSERT_EQ(csv.pieces.size(), 1u);
  EXPECT_EQ(csv.pieces[0],
            "2024-01-31, 13:45:07, 50000, 500000, 50000, 1, -95.0625, -0.0625, 0.0625, 0.125, "
            "0.1875, -1, 10, -0.5, 0.9375\n");
}

}  // namespace
}  // namespace qv
