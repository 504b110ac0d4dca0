// Spectrum log to CSV, and the scan (time index, then overview cells): bytes of log per second,
// against BM_Memcpy measured in the same run.

#include <benchmark/benchmark.h>

#include <random>

#include "core/link/sweep_message.h"
#include "core/record/log_csv.h"
#include "core/record/log_format.h"
#include "core/record/log_reader.h"
#include "core/record/log_scan.h"

namespace qv {
namespace {

constexpr uint32_t kSweepPoints = 15000;
constexpr uint16_t kPointsPerBlock = 1000;  // a record holds at most 2095 payload bytes
constexpr int kSweeps = 40;

// About 1.2 MB: a header, then 15000-point sweeps of noise around -90 dBm in 1000-point blocks,
// a time record per sweep, and the end record.
const Bytes& SweepLog() {
  static const Bytes log = [] {
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 48.0);
    LogClock clock{1, 31, 24, 13, 45, 7};
    Bytes out = BuildHeaderRecord(ReceiverIdentity{}, clock, {});
    SweepHeader header;
    header.start = 48000;
    header.points = kSweepPoints;
    int16_t levels[kPointsPerBlock];
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
      clock.second = static_cast<uint8_t>(sweep % 60);
      const Bytes time = BuildTimeRecord(clock, {});
      out.insert(out.end(), time.begin(), time.end());
      for (uint32_t first = 0; first < kSweepPoints; first += kPointsPerBlock) {
        for (int16_t& level : levels) level = static_cast<int16_t>(-90 * 16 + noise(rng));
        header.block_frequency = header.start + first;
        const Bytes message = BuildSweepBlock(header, levels, kPointsPerBlock);
        const Bytes record = BuildMessageRecord(message.data(), message.size());
        out.insert(out.end(), record.begin(), record.end());
      }
    }
    const Bytes end = BuildEndRecord(0, 0);
    out.insert(out.end(), end.begin(), end.end());
    return out;
  }();
  return log;
}

void BM_LogToCsv(benchmark::State& state) {
  const Bytes& log = SweepLog();
  size_t written = 0;
  for (auto _ : state) {
    LogCsvExport csv([&written](std::string_view text) {
      benchmark::DoNotOptimize(text.data());
      written += text.size();
      return true;
    });
    ScanLog(log.data(), log.size(), csv);
    csv.Finish();
    if (csv.SweepsWritten() != kSweeps) state.SkipWithError("sweeps missing from the CSV");
  }
  benchmark::DoNotOptimize(written);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * log.size()));
}
BENCHMARK(BM_LogToCsv);

// Both passes of quorvalin-log heatmap over a log in memory, counted as one pass of its bytes.
void BM_LogScan(benchmark::State& state) {
  const Bytes& log = SweepLog();
  for (auto _ : state) {
    LogScan scan;
    ScanLog(log.data(), log.size(), scan);
    const LogSweepSetting& s = scan.Settings().at(0);
    LogOverview overview({*scan.Earliest(), *scan.Latest(), s.LowHz(), s.HighHz(), 512, 1024});
    ScanLog(log.data(), log.size(), overview);
    if (scan.Index().size() != kSweeps || !overview.LevelRange())
      state.SkipWithError("the scan missed records");
    benchmark::DoNotOptimize(overview.Cell(0, 0));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * log.size()));
}
BENCHMARK(BM_LogScan);

}  // namespace
}  // namespace qv
