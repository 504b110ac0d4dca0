// Sweep block processing at full load: trace average over 100 sweeps at its steady window, four
// live peak traces, every frozen slot following and three marker pairs with band power; with and
// without the min-hold trace.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "core/display/trace_data.h"
#include "core/link/sweep_message.h"

namespace {

constexpr uint16_t kBlockPoints = 300;
constexpr int kDistinctSweeps = 8;

std::vector<qv::Bytes> BuildSweep(uint32_t points, std::mt19937& rng) {
  std::uniform_int_distribution<int> level(-110 * 16, -20 * 16);
  std::vector<qv::Bytes> blocks;
  qv::SweepHeader h;
  h.start = 48000;
  h.points = points;
  for (uint32_t at = 0; at < points; at += kBlockPoints) {
    const auto count = static_cast<uint16_t>(std::min<uint32_t>(kBlockPoints, points - at));
    std::vector<int16_t> samples(count);
    for (int16_t& s : samples) s = static_cast<int16_t>(level(rng));
    h.block_frequency = h.start + at;
    blocks.push_back(qv::BuildSweepBlock(h, samples.data(), count));
  }
  return blocks;
}

// `min_hold` adds the min-hold trace to the full load.
void ProcessSweeps(benchmark::State& state, bool min_hold) {
  const auto points = static_cast<uint32_t>(state.range(0));
  std::mt19937 rng(5);
  std::vector<std::vector<qv::Bytes>> sweeps;
  for (int s = 0; s < kDistinctSweeps; ++s) sweeps.push_back(BuildSweep(points, rng));

  auto trace = std::make_unique<qv::TraceData>();
  const qv::PlotRect plot{0, 0, 1860, 810};
  const auto feed = [&](const std::vector<qv::Bytes>& sweep) {
    for (const qv::Bytes& block : sweep) trace->ProcessSweepBlock(block.data(), block.size(), plot);
  };
  feed(sweeps[0]);
  trace->StartTraceAverage(100);
  for (int k = 0; k < qv::kTraceSlots; ++k) {
    trace->peaks[k].live = 1;
    trace->StartPeakTrace(k);
  }
  if (min_hold) {
    trace->min_hold.live = 1;
    trace->StartMinHold();
  }
  const int32_t n = static_cast<int32_t>(points);
  for (int m = 0; m < qv::kMarkerCount; ++m) {
    qv::MarkerRecord& marker = trace->markers[m];
    marker.a_placed = marker.b_placed = 1;
    marker.a_x = 100 + 200 * m;
    marker.b_x = 1500 - 150 * m;
    marker.a_point = (n - 1) * (marker.a_x - 60) / (plot.right - 60);
    marker.b_point = (n - 1) * (marker.b_x - 60) / (plot.right - 60);
  }
  // Walk the average index up to its steady window of 100 slots.
  for (int s = 0; s < 110; ++s) feed(sweeps[s % kDistinctSweeps]);

  int next = 0;
  for (auto _ : state) {
    feed(sweeps[next]);
    next = (next + 1) % kDistinctSweeps;
    benchmark::DoNotOptimize(trace->sweep_power_sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * points);
}

void BM_ProcessSweepBlock(benchmark::State& state) { ProcessSweeps(state, false); }
void BM_ProcessSweepBlockMinHold(benchmark::State& state) { ProcessSweeps(state, true); }

BENCHMARK(BM_ProcessSweepBlock)->Arg(1000)->Arg(15000);
BENCHMARK(BM_ProcessSweepBlockMinHold)->Arg(15000);

}  // namespace
