// The spectrogram's per-sweep cost: copying the history and painting the waterfall.
#include <benchmark/benchmark.h>

#include <QImage>
#include <random>
#include <vector>

#include "core/display/average_history.h"
#include "core/display/spectrogram_history.h"
#include "gui/display/waterfall.h"

namespace {

void SpectrogramRepaint(benchmark::State& state, int width, int height) {
  constexpr int32_t kPoints = 15000;

  // A filled history whose points age in a few runs, as after partial sweeps.
  qv::SpectrogramHistory history;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> level(-125, 5);
  std::vector<int16_t> sweep(kPoints);
  for (int s = 0; s < qv::kHistoryDepth; ++s) {
    history.Shift(kPoints, false);
    for (auto& l : sweep) l = static_cast<int16_t>(level(random));
    history.WriteRange(0, s % 3 == 0 ? kPoints / 2 : kPoints, sweep.data(), false);
  }

  qv::CGradient gradient;
  gradient.SetSpectrogram(-20, -80);
  qv::WaterfallRenderer renderer;
  renderer.SetGradient(gradient);
  std::vector<int16_t> copy(static_cast<size_t>(kPoints) * qv::kHistoryDepth);
  QImage image(width, height, QImage::Format_RGB32);

  for (auto _ : state) {
    history.CopySlots(kPoints, copy.data());
    renderer.Render(image, copy.data(), kPoints);
    benchmark::DoNotOptimize(image.constBits());
  }
}
const bool kRegistered = [] {
  benchmark::RegisterBenchmark("BM_SpectrogramRepaint/1000x400", [](benchmark::State& state) {
    SpectrogramRepaint(state, 1000, 400);
  })->Unit(benchmark::kMicrosecond);
  return true;
}();

}  // namespace
