// The graph's full repaint against one plain 1-pixel polyline of the same point count.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/display/density.h"
#include "gui/display/graph_paint_context.h"
#include "gui/display/graph_painter.h"

namespace {

// Fonts need an application object; the benchmark has no display.
// The application is left alive on purpose: destroying it among the other statics at exit
// crashes in the font machinery.
void EnsureApplication() {
  if (QGuiApplication::instance()) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "quorvalin_bench";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Two kinds of data, each drawn by both the baseline and the repaint. Noisy: every point
// anywhere in 700 rows, the worst case for line drawing and the data the targets are set on.
// Spectrum-like: a noise floor with a few dB of noise (±3 dB is ±24 pixels at this size) and
// some channels rising out of it, for reference.
enum class Data { kNoisy, kSpectrum };

int SpectrumY(int j, int n, std::mt19937& rng) {
  std::normal_distribution<double> noise(0.0, 12.0);
  const double x = static_cast<double>(j) / std::max(n - 1, 1);
  double y = 700;
  for (double centre : {0.12, 0.37, 0.62}) {
    const double d = (x - centre) / 0.04;
    y -= 380 * std::exp(-d * d);  // a Wi-Fi-like channel
  }
  y += noise(rng);
  return std::clamp(static_cast<int>(y), 5, 800);
}

int SampleY(Data data, int j, int n, std::mt19937& rng) {
  if (data == Data::kSpectrum) return SpectrumY(j, n, rng);
  std::uniform_int_distribution<int> noise(100, 800);
  return noise(rng);
}

void PlainPolyline(benchmark::State& state, int n, Data data) {
  EnsureApplication();
  std::mt19937 rng(1);
  std::vector<QPoint> points(n);
  for (int j = 0; j < n; ++j) points[j] = QPoint(60 + j * 1600 / (n - 1), SampleY(data, j, n, rng));
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(0, 255, 0), 1));
    painter.drawPolyline(points.data(), n);
  }
}

template <typename Array>
void Noise(Array& y, int n, Data data, std::mt19937& rng) {
  for (int j = 0; j < n; ++j) {
    y[j] = static_cast<typename Array::value_type>(SampleY(data, j, n, rng));
  }
}

void GraphRepaint(benchmark::State& state, int n, bool everything, Data data) {
  EnsureApplication();
  auto trace = std::make_unique<qv::TraceData>();
  qv::DisplayState display;
  display.spectrum_mode = true;
  std::mt19937 rng(2);
  trace->header.start = 48000;
  trace->header.points = static_cast<uint32_t>(n);
  trace->header.reference_level = -20;
  trace->header.rbw_code = 1600;
  trace->points_received = static_cast<uint32_t>(n);
  // One block covering the whole sweep: every point is in the newest block.
  trace->block_start_index = 0;
  trace->write_index = n;
  Noise(trace->live_y, n, data, rng);
  std::uniform_int_distribution<int> level(-100 * 16, -30 * 16);
  for (int j = 0; j < n; ++j) trace->live_sixteenths[j] = static_cast<int16_t>(level(rng));
  if (everything) {
    trace->trace_average_on = 1;
    trace->bin_average_on = 1;
    display.bin_count = 8;
    Noise(trace->average_y, n, data, rng);
    for (int k = 0; k < qv::kTraceSlots; ++k) {
      trace->peaks[k].live = 1;
      trace->peaks[k].colour = qv::kPeakColours[k];
      Noise(trace->peaks[k].y, n, data, rng);
      trace->frozen_live[k].frozen = 1;
      trace->frozen_live[k].colour = qv::kFrozenLiveColours[k];
      Noise(trace->frozen_live[k].y, n, data, rng);
      trace->frozen_average[k].frozen = 1;
      trace->frozen_average[k].colour = qv::kFrozenAverageColours[k];
      Noise(trace->frozen_average[k].y, n, data, rng);
      trace->frozen_bin_average[k].frozen = 1;
      trace->frozen_bin_average[k].colour = qv::kFrozenBinAverageColours[k];
      Noise(trace->frozen_bin_average[k].y, n, data, rng);
      trace->channels[k] =
          qv::ChannelRecord{200 + 300 * k, 100,  350 + 300 * k, 700,
                            2400,          2410, k + 1,         qv::kChannelMenuCommandBase + k};
    }
    for (int m = 0; m < qv::kMarkerCount; ++m) {
      qv::MarkerRecord& mk = trace->markers[m];
      mk.colour = qv::kMarkerConstants[m].colour;
      mk.a_placed = mk.b_placed = 1;
      mk.a_x = 300 + 400 * m;
      mk.b_x = 500 + 400 * m;
      mk.a_point = n / 5 + m * n / 4;
      mk.b_point = n / 3 + m * n / 4;
      mk.band_sum = 1;
    }
  }
  const QRect rect(0, 0, kWidth, kHeight);
  const qv::GraphScene scene{*trace, display, rect, rect, 30};
  // As the view paints a frame: straight into the window's pixels, the glyphs over them.
  QImage window(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    qv::PaintGraph(window, scene);
    QPainter painter(&window);
    benchmark::DoNotOptimize(qv::PaintMarkerGlyphs(painter, scene));
  }
}

// The density view's cost a sweep at the streaming target: a 1000-point sweep added to the grid
// and its layer painted over the whole plot, measured beside the plain frame of a 1000-point live
// trace (BM_GraphRepaint/1000/live).
void DensitySweep(benchmark::State& state) {
  EnsureApplication();
  constexpr int kPoints = 1000;
  constexpr int kDistinct = 8;
  qv::ManualClock clock;
  qv::DensityRecord density(clock);
  density.SetOn(true);
  auto trace = std::make_unique<qv::TraceData>();
  trace->header.start = 48000;
  trace->header.points = kPoints;
  trace->header.sweep_word = 1;
  trace->header.reference_level = -20;
  std::mt19937 rng(11);
  std::vector<std::vector<int16_t>> sweeps(kDistinct, std::vector<int16_t>(kPoints));
  for (auto& sweep : sweeps) {
    for (int j = 0; j < kPoints; ++j) {
      sweep[j] = static_cast<int16_t>((-20 - SpectrumY(j, kPoints, rng) / 7) * 16);
    }
  }
  qv::DisplayState display;
  display.spectrum_mode = true;
  const QRect rect(0, 0, kWidth, kHeight);
  qv::GraphScene scene{*trace, display, rect, rect, 30};
  scene.density = &density;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QPainter painter(&image);
  qv::GraphPaintContext ctx(painter, image, scene, nullptr);
  // Ten seconds at 60 sweeps a second: the grid holds a steady, decaying picture.
  int next = 0;
  const auto sweep = [&] {
    clock.Advance(16);
    density.OnSweep(sweeps[next].data(), kPoints, trace->header);
    next = (next + 1) % kDistinct;
  };
  for (int s = 0; s < 600; ++s) sweep();
  for (auto _ : state) {
    sweep();
    qv::PaintDensity(ctx);
    benchmark::DoNotOptimize(image.constBits());
  }
}

const bool kRegistered = [] {
  struct Entry {
    const char* name;
    void (*run)(benchmark::State&);
  };
  const Entry entries[] = {
      {"BM_QPainterPolyline/15000",
       [](benchmark::State& s) { PlainPolyline(s, 15000, Data::kNoisy); }},
      {"BM_GraphRepaint/15000/all",
       [](benchmark::State& s) { GraphRepaint(s, 15000, true, Data::kNoisy); }},
      {"BM_GraphRepaint/1000/live",
       [](benchmark::State& s) { GraphRepaint(s, 1000, false, Data::kSpectrum); }},
      {"BM_QPainterPolyline/15000/spectrum",
       [](benchmark::State& s) { PlainPolyline(s, 15000, Data::kSpectrum); }},
      {"BM_GraphRepaint/15000/all/spectrum",
       [](benchmark::State& s) { GraphRepaint(s, 15000, true, Data::kSpectrum); }},
      {"BM_Density/1000", DensitySweep},
  };
  for (const Entry& entry : entries) {
    benchmark::RegisterBenchmark(entry.name, entry.run)->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
