// A jump in a long log on disk (held by the page cache after the first pass): from the request
// to the first whole sweep at that second decoded. The log is QV_SEEK_LOG when set (the 2 GB log
// of scripts/long-log-load.sh), else one of about 256 MB written once into the temporary folder.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "core/app/alerts.h"
#include "core/app/manual_clock.h"
#include "core/link/sweep_message.h"
#include "core/record/log_file.h"
#include "core/record/log_file_scan.h"

namespace qv {
namespace {

// A night of 2000-point sweeps in two blocks, twenty a second, a time record a second.
std::string LongLog() {
  if (const char* given = std::getenv("QV_SEEK_LOG")) return given;
  const std::string path =
      (std::filesystem::temp_directory_path() / "quorvalin_bench_seek.zn").string();
  constexpr uint64_t kBytes = uint64_t{256} << 20;
  std::error_code ignored;
  if (std::filesystem::file_size(path, ignored) >= kBytes) return path;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return path;
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(-95 * 16, 40);
  std::vector<Bytes> sweeps(8);
  for (Bytes& sweep : sweeps) {
    SweepHeader h;
    h.start = 48000;
    h.points = 2000;
    int16_t levels[1000];
    for (uint32_t first = 0; first < 2000; first += 1000) {
      for (int16_t& level : levels) level = static_cast<int16_t>(noise(rng));
      h.block_frequency = h.start + first;
      const Bytes message = BuildSweepBlock(h, levels, 1000);
      const Bytes record = BuildMessageRecord(message.data(), message.size());
      sweep.insert(sweep.end(), record.begin(), record.end());
    }
  }
  Bytes out = BuildHeaderRecord(ReceiverIdentity{}, LogClock{1, 1, 26, 0, 0, 0}, {});
  uint64_t written = 0;
  for (uint64_t second = 0; written < kBytes; ++second) {
    const LogClock clock{1,
                         static_cast<uint8_t>(1 + second / 86400),
                         26,
                         static_cast<uint8_t>(second / 3600 % 24),
                         static_cast<uint8_t>(second / 60 % 60),
                         static_cast<uint8_t>(second % 60)};
    const Bytes time = BuildTimeRecord(clock, {});
    out.insert(out.end(), time.begin(), time.end());
    for (int s = 0; s < 20; ++s)
      out.insert(out.end(), sweeps[(second + s) % 8].begin(), sweeps[(second + s) % 8].end());
    written += std::fwrite(out.data(), 1, out.size(), file);
    out.clear();
  }
  std::fclose(file);
  return path;
}

class QuietAlerts : public Alerts {
 public:
  void Show(const std::string&, const std::string&) override {}
};

class DecodingHost : public LogHost {
 public:
  void SetStatusPaneText(int, const std::string&) override {}
  void PlaySweep(const uint8_t* message, size_t length) override {
    if (const std::optional<SweepHeader> h = ParseSweepHeader(message, length)) {
      points += h->block_count;
      benchmark::DoNotOptimize(message[length - 1]);
    }
  }
  void PlaybackEnded(const std::string&) override {}
  void LogStateChanged() override {}
  uint64_t points = 0;
};

void BM_LogSeek(benchmark::State& state) {
  const std::string path = LongLog();
  std::atomic<bool> cancel{false};
  const LogFileScan scan = ScanLogFile(path, cancel, nullptr);
  if (scan.timeline->Empty()) {
    state.SkipWithError("no log to jump in");
    return;
  }
  ManualClock clock;
  QuietAlerts alerts;
  DecodingHost host;
  ReceiverIdentity identity;
  CLogFile log(clock, alerts, host, identity);
  log.OpenLogForReplay(path);
  log.SetTimeline(scan.timeline.get());
  std::mt19937 rng(5);
  std::uniform_int_distribution<int64_t> second(0, scan.timeline->Duration());
  for (auto _ : state) {
    const uint64_t before = host.points;
    if (!log.JumpTo(second(rng)) || host.points - before != 2000)
      state.SkipWithError("a jump showed no whole sweep");
  }
  state.counters["log_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}
BENCHMARK(BM_LogSeek)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qv
