// The histogram picture's full repaint: one bar per point of a long sweep.
#include <benchmark/benchmark.h>

#include <QImage>
#include <random>
#include <vector>

#include "core/display/gradient.h"
#include "gui/display/histogram_bars.h"

namespace {

void HistogramRepaint(benchmark::State& state, int width, int height) {
  constexpr int32_t kPoints = 15000;
  constexpr int16_t kSweeps = 500;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> count(0, kSweeps);
  std::uniform_int_distribution<int> level(-110, -10);
  std::vector<int16_t> counts(kPoints);
  std::vector<int16_t> levels(kPoints);
  for (int32_t i = 0; i < kPoints; ++i) {
    counts[i] = static_cast<int16_t>(count(rng));
    levels[i] = static_cast<int16_t>(level(rng));
  }
  qv::CGradient gradient;
  gradient.SetHistogram(-20, -80);
  const auto colours = qv::HistogramColourTable(gradient);
  QImage image(width, height, QImage::Format_RGB32);
  for (auto _ : state) {
    qv::PaintHistogramBars(image, kPoints, kSweeps, counts.data(), levels.data(), colours);
    benchmark::DoNotOptimize(image.constBits());
  }
}
const bool kRegistered = [] {
  benchmark::RegisterBenchmark("BM_HistogramRepaint/1000x400", HistogramRepaint, 1000, 400)
      ->Unit(benchmark::kMicrosecond);
  return true;
}();

}  // namespace
