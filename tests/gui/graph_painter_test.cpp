#include "gui/display/graph_painter.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/display/channel_utilisation.h"
#include "core/display/graph_geometry.h"
#include "core/link/sweep_message.h"
#include "gui/display/graph_paint_context.h"
#include "gui/display/graph_polyline.h"

namespace qv {
namespace {

// One block of a whole 2400 MHz sweep of these levels at reference -20 dBm.
Bytes LevelsBlock(const std::vector<int16_t>& sixteenths) {
  SweepHeader h;
  h.start = 48000;
  h.points = static_cast<uint32_t>(sixteenths.size());
  h.block_frequency = 48000;
  h.reference_level = -20;
  return BuildSweepBlock(h, sixteenths.data(), static_cast<uint16_t>(h.points));
}

struct LoggedText {
  QString text;
  QPoint at;
  QColor colour;
  QFont font;
  // Where the text lands, as wide and as tall as its font draws it.
  QRect Extent() const {
    const QFontMetrics metrics(font);
    return QRect(at, QSize(metrics.horizontalAdvance(text), metrics.height()));
  }
};

class TextRecorder : public GraphTextLog {
 public:
  void Text(const QString& text, const QPoint& at, const QColor& colour,
            const QFont& font) override {
    texts.push_back({text, at, colour, font});
  }
  const LoggedText* Find(const QString& text) const {
    for (const LoggedText& t : texts) {
      if (t.text == text) return &t;
    }
    return nullptr;
  }
  std::vector<LoggedText> texts;
};

// A 700 x 400 graph: R = 600, B = 300, dx = 60, dy = 30; N = 1000 from 48000.
class GraphPainterTest : public ::testing::Test {
 protected:
  static constexpr int kN = 1000;

  void SetUp() override {
    trace_ = std::make_unique<TraceData>();
    trace_->header.start = 48000;
    trace_->header.points = kN;
    trace_->header.sweep_word = 1;
    trace_->header.rbw_code = 267;
    trace_->header.reference_level = -20;
    trace_->points_received = kN;
    trace_->block_start_index = 0;
    trace_->write_index = 0;
    state_.spectrum_mode = true;
    state_.live_colour = Rgb(10, 200, 30);
  }

  GraphScene Scene() const {
    return GraphScene{*trace_, state_, QRect(0, 0, 700, 400), QRect(0, 0, 700, 400), 30, -60};
  }
  bool Paint() {
    recorder_.texts.clear();
    return PaintGraph(image_, Scene(), &recorder_);
  }
  QColor Pixel(int x, int y) const { return image_.pixelColor(x, y); }
  GraphGeometry Geometry() const { return GraphGeometry(GraphRect{0, 0, 700, 400}, kN); }

  std::unique_ptr<TraceData> trace_;
  DisplayState state_;
  QImage image_;
  TextRecorder recorder_;
};

const QColor kGrid(0, 127, 0);
const QColor kLive(10, 200, 30);
const QColor kBlack(0, 0, 0);

TEST_F(GraphPainterTest, PaintsNothingWithoutAMode) {
  state_.spectrum_mode = false;
  EXPECT_FALSE(Paint());
  EXPECT_TRUE(image_.isNull());
  EXPECT_TRUE(recorder_.texts.empty());
  state_.replay_drawing = true;
  EXPECT_TRUE(Paint());
  EXPECT_EQ(image_.size(), QSize(700, 400));
}

TEST_F(GraphPainterTest, GridLinesAndAmplitudeLabels) {
  state_.live_shown = false;
  ASSERT_TRUE(Paint());
  const GraphGeometry g = Geometry();
  for (int i = 0; i <= 10; ++i) {
    EXPECT_EQ(Pixel(i * g.dx + 60, 20), kGrid) << "vertical line " << i;
    EXPECT_EQ(Pixel(i * 50 + 95, i * g.dy + 5), kGrid) << "horizontal line " << i;
    EXPECT_EQ(Pixel(i * 50 + 95, i * g.dy + 6), kBlack) << "below line " << i;
  }
  EXPECT_EQ(Pixel(61, 20), kBlack);
  const LoggedText* top = recorder_.Find("-20");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->at, QPoint(25, 0));
  const LoggedText* bottom = recorder_.Find("-120");
  ASSERT_NE(bottom, nullptr);
  EXPECT_EQ(bottom->at, QPoint(25, 300));
  EXPECT_NE(recorder_.Find("Ref Lvl: -20 dBm"), nullptr);

  // Without a reference level there is no scale to label.
  trace_->header.reference_level = 0;
  ASSERT_TRUE(Paint());
  EXPECT_EQ(recorder_.Find("-20"), nullptr);
  EXPECT_EQ(recorder_.Find("0"), nullptr);
  EXPECT_NE(recorder_.Find("Ref Lvl: NA"), nullptr);
}

// At sizes that do not divide by ten, a sweep processed as it arrives lies on the grid rows of
// its levels, the grid lines stand where their frequencies are drawn, and the labels read the
// legend's centre and the span's tenths.
TEST_F(GraphPainterTest, GridLinesLieOnTheirLevelsAndFrequenciesAtEverySize) {
  for (const QSize size : {QSize(1280, 800), QSize(1600, 1000), QSize(1001, 777)}) {
    SCOPED_TRACE(size.width());
    const GraphGeometry g(GraphRect{0, 0, size.width(), size.height()}, kN);
    // Eleven plateaus of 91 points at -20, -30, ... -120 dBm.
    std::vector<int16_t> sixteenths(kN);
    for (int j = 0; j < kN; ++j) sixteenths[j] = static_cast<int16_t>((-20 - 10 * (j / 91)) * 16);
    const Bytes block = LevelsBlock(sixteenths);
    ASSERT_TRUE(trace_->ProcessSweepBlock(block.data(), block.size(), g.LevelPlot()));
    const GraphScene scene{*trace_, state_, QRect(QPoint(0, 0), size), QRect(QPoint(0, 0), size),
                           30, -60};
    recorder_.texts.clear();
    ASSERT_TRUE(PaintGraph(image_, scene, &recorder_));
    for (int line = 0; line <= 10; ++line) {
      const int middle = g.X(91 * line + 45);
      EXPECT_EQ(Pixel(middle, g.GridY(line)), kLive) << "level line " << line;
      // The newest block's pen is 3 pixels wide: one row either side, no more.
      EXPECT_NE(Pixel(middle, g.GridY(line) + 2), kLive) << "level line " << line;
      EXPECT_NE(Pixel(middle, g.GridY(line) - 2), kLive) << "level line " << line;
      const LoggedText* label = recorder_.Find(QString::number(2400 + 5 * line));
      ASSERT_NE(label, nullptr) << "frequency line " << line;
      EXPECT_NEAR(label->Extent().center().x(), g.GridX(line), line == 0 ? 40 : 4);
    }
    state_.live_shown = false;
    ASSERT_TRUE(PaintGraph(image_, scene));
    state_.live_shown = true;
    for (int line = 0; line <= 10; ++line) {
      EXPECT_EQ(Pixel(g.X(91 * line + 45), g.GridY(line)), kGrid) << "level line " << line;
      EXPECT_EQ(Pixel(g.GridX(line), g.GridY(5) + 3), kGrid) << "frequency line " << line;
      EXPECT_EQ(Pixel(g.GridX(line) + 1, g.GridY(5) + 3), kBlack) << "frequency line " << line;
    }
  }
}

TEST_F(GraphPainterTest, LiveSweepLandsWhereItsPointsAre) {
  // A saw-tooth well inside the plot, clear of the grid rows.
  for (int j = 0; j < kN; ++j) trace_->live_y[j] = static_cast<int16_t>(40 + (j * 7) % 200);
  ASSERT_TRUE(Paint());
  const GraphGeometry g = Geometry();
  int checked = 0;
  for (int j = 0; j < kN; ++j) {
    EXPECT_EQ(Pixel(g.X(j), trace_->live_y[j]), kLive) << "point " << j;
    ++checked;
  }
  EXPECT_EQ(checked, kN);
  // Nothing of the trace below its lowest point.
  EXPECT_EQ(Pixel(g.X(500) + 1, 250), kBlack);
}

// Frozen traces are drawn from spans kept between repaints: a slot frozen again with other
// values, or another plot size, must still draw the values it holds now.
TEST_F(GraphPainterTest, FrozenTracesFollowTheirValuesAndThePlotSize) {
  state_.live_shown = false;
  FrozenTraceSlot& slot = trace_->frozen_average[0];
  slot.frozen = 1;
  slot.colour = Rgb(200, 20, 200);
  const QColor colour(200, 20, 200);
  for (int round = 0; round < 3; ++round) {
    const int16_t row = static_cast<int16_t>(round == 1 ? 230 : 130);
    std::fill(slot.y.begin(), slot.y.begin() + kN, row);
    const QRect window(0, 0, round == 2 ? 900 : 700, 400);
    image_ = QImage();
    ASSERT_TRUE(PaintGraph(image_, GraphScene{*trace_, state_, window, window, 30, -60}));
    const GraphGeometry g(GraphRect{0, 0, window.width(), 400}, kN);
    for (int j : {0, 333, kN - 1}) {
      EXPECT_EQ(image_.pixelColor(g.X(j), row), colour) << round << " " << j;
      EXPECT_NE(image_.pixelColor(g.X(j), round == 1 ? 130 : 230), colour) << round << " " << j;
    }
    // Nothing beyond the last point: the spans are those of this plot width.
    EXPECT_NE(image_.pixelColor(g.X(kN - 1) + 2, row), colour) << round;
  }
}

// A sweep processed in a 1280 x 800 window and painted, with no sweep since, in a smaller and a
// larger one: the trace lies inside each new plot on its levels' rows, not where it was drawn.
TEST_F(GraphPainterTest, StillSweepFollowsTheWindowSize) {
  const Bytes block = LevelsBlock(std::vector<int16_t>(kN, static_cast<int16_t>(-70 * 16)));
  const GraphGeometry first(GraphRect{0, 0, 1280, 800}, kN);
  ASSERT_TRUE(trace_->ProcessSweepBlock(block.data(), block.size(), first.LevelPlot()));
  state_.playback_end = "End of log";
  for (const QSize size : {QSize(700, 400), QSize(1600, 1000)}) {
    SCOPED_TRACE(size.width());
    const GraphGeometry g(GraphRect{0, 0, size.width(), size.height()}, kN);
    const QRect window(QPoint(0, 0), size);
    ASSERT_TRUE(PaintGraph(image_, GraphScene{*trace_, state_, window, window, 30, -60}));
    for (int j : {10, 500, kN - 10}) {
      EXPECT_EQ(Pixel(g.X(j), g.GridY(5)), kLive) << j;  // -70 dBm: half way down
      EXPECT_NE(Pixel(g.X(j), first.GridY(5)), kLive) << j;
    }
  }
}

TEST_F(GraphPainterTest, NewestBlockIsThreePixelsWideAndOnlyThere) {
  for (int j = 0; j < kN; ++j) trace_->live_y[j] = 100;
  trace_->block_start_index = 400;
  trace_->write_index = 500;
  ASSERT_TRUE(Paint());
  const GraphGeometry g = Geometry();
  const int inside = g.X(450);
  const int outside = g.X(250);
  EXPECT_EQ(Pixel(inside, 99), kLive);
  EXPECT_EQ(Pixel(inside, 100), kLive);
  EXPECT_EQ(Pixel(inside, 101), kLive);
  EXPECT_EQ(Pixel(inside, 98), kBlack);
  EXPECT_EQ(Pixel(inside, 102), kBlack);
  EXPECT_EQ(Pixel(outside, 100), kLive);
  EXPECT_EQ(Pixel(outside, 99), kBlack);
  EXPECT_EQ(Pixel(outside, 101), kBlack);
  EXPECT_EQ(Pixel(g.X(750), 99), kBlack);

  // Played backwards the bracket runs from the write index up to the block start.
  trace_->block_start_index = 500;
  trace_->write_index = 400;
  ASSERT_TRUE(Paint());
  EXPECT_EQ(Pixel(inside, 99), kBlack);
  state_.fast_rewind = true;
  ASSERT_TRUE(Paint());
  EXPECT_EQ(Pixel(inside, 99), kLive);
  EXPECT_EQ(Pixel(outside, 99), kBlack);

  // A still picture draws the whole sweep with one pen, whichever block came last.
  const DisplayState moving = state_;
  for (int still = 0; still < 5; ++still) {
    state_ = moving;
    state_.playing_back = still == 0;
    state_.playback_paused = still == 0;
    if (still == 1) state_.playback_end = "End of log";
    state_.replay_drawing = still == 2;
    state_.silent_seconds = still == 3 ? 6 : 0;
    state_.printing = still == 4;
    state_.print_colour_option = 1;
    ASSERT_TRUE(Paint());
    for (int x : {inside, outside}) {
      EXPECT_EQ(Pixel(x, 100), kLive) << still << " " << x;
      EXPECT_NE(Pixel(x, 99), kLive) << still << " " << x;
      EXPECT_NE(Pixel(x, 101), kLive) << still << " " << x;
    }
  }
}

TEST_F(GraphPainterTest, PeakAverageAndBinAverageLegends) {
  state_.live_shown = false;
  PeakSlot& peak = trace_->peaks[1];
  peak.live = 1;
  peak.hidden = 1;
  peak.colour = Rgb(255, 255, 0);
  for (int j = 0; j < kN; ++j) peak.y[j] = 150;
  trace_->bin_average_on = 1;
  trace_->trace_average_on = 1;
  state_.average_hidden = true;
  for (int j = 0; j < kN; ++j) trace_->live_sixteenths[j] = -60 * 16;
  trace_->bin_average_y.fill(-90);
  state_.bin_count = 10;
  ASSERT_TRUE(Paint());

  const LoggedText* hidden = recorder_.Find("Peak Trace:Hidden");
  ASSERT_NE(hidden, nullptr);
  EXPECT_EQ(hidden->colour, QColor(255, 255, 0));
  // The trace column stacks in order: live, trace average, video average, then the peaks.
  const LoggedText* live = recorder_.Find("Current Spectrum: Hidden");
  ASSERT_NE(live, nullptr);
  EXPECT_EQ(live->at.x(), 700 / 3);
  const LoggedText* video = recorder_.Find("Video Average: Active");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(hidden->at, video->at + (video->at - live->at) / 2);
  // A hidden peak is in the legend but not on the plot.
  EXPECT_EQ(Pixel(Geometry().X(250), 150), kBlack);
  EXPECT_NE(recorder_.Find("Trace Average: Hidden"), nullptr);
  // The bin average is smoothed afresh for the picture: -60 dBm sits 40 dB below -20, on the
  // scale of the grid's 300 pixels.
  EXPECT_EQ(trace_->bin_average_y[0], 5 + 40 * 300 / 100);
  EXPECT_EQ(Pixel(Geometry().X(250), trace_->bin_average_y[0]), QColor(255, 255, 255));

  // A smoothed value is drawn at the middle of its window: a block of level -20 at points
  // 850 ... 950, smoothed over 101 points, peaks where the block's centre is drawn.
  for (int j = 0; j < kN; ++j) trace_->live_sixteenths[j] = j >= 850 && j <= 950 ? -320 : -1600;
  state_.bin_count = 101;
  ASSERT_TRUE(Paint());
  EXPECT_EQ(trace_->bin_average_y[850], 5);
  EXPECT_EQ(Pixel(Geometry().X(900), 5), QColor(255, 255, 255));
  state_.bin_count = 10;

  peak.hidden = 0;
  ASSERT_TRUE(Paint());
  EXPECT_NE(recorder_.Find("Peak Trace:Live"), nullptr);
  EXPECT_EQ(Pixel(Geometry().X(250), 150), QColor(255, 255, 0));
}

TEST_F(GraphPainterTest, DensityUnderTheTracesWithItsScaleAndMinHoldOverIt) {
  ManualClock clock;
  DensityRecord density(clock);
  density.SetOn(true);
  std::vector<int16_t> levels(kN, -60 * 16);
  levels[600] = -500 * 16;  // beyond the grid: in its bottom row, below the plot
  density.OnSweep(levels.data(), kN, trace_->header);
  for (int j = 0; j < kN; ++j) trace_->live_y[j] = 125;  // -60 dBm, the row the density fills
  MinHoldSlot& min = trace_->min_hold;
  min.live = 1;
  for (int j = 0; j < kN; ++j) {
    min.y[j] = 250;
    min.sixteenths[j] = -60 * 16;
  }
  GraphScene scene = Scene();
  scene.density = &density;
  recorder_.texts.clear();
  ASSERT_TRUE(PaintGraph(image_, scene, &recorder_));

  const GraphGeometry g = Geometry();
  // The level's cells span the rows nearest to -60 dBm; the live trace is drawn over them.
  const QColor every_sweep = ToQColor(DensityColourTable()[255]);
  EXPECT_EQ(Pixel(g.X(250), 126), every_sweep);
  EXPECT_EQ(Pixel(g.X(250), 124), every_sweep);
  EXPECT_EQ(Pixel(g.X(250), 125), kLive);
  EXPECT_EQ(Pixel(g.X(250), 128), kBlack);
  EXPECT_EQ(Pixel(g.X(250), 250), QColor(0, 255, 255));
  const LoggedText* title = recorder_.Find("Density 10 s");
  ASSERT_NE(title, nullptr);
  EXPECT_NE(recorder_.Find("100 %"), nullptr);
  EXPECT_NE(recorder_.Find("0.01 %"), nullptr);
  const LoggedText* min_line = recorder_.Find("Min Hold:Live");
  ASSERT_NE(min_line, nullptr);
  EXPECT_EQ(min_line->colour, QColor(0, 255, 255));

  // Off, neither the cells nor the scale; a frozen, hidden min hold stays in the legend only.
  min.live = 0;
  min.frozen = 1;
  min.hidden = 1;
  ASSERT_TRUE(Paint());
  EXPECT_EQ(Pixel(g.X(250), 126), kBlack);
  EXPECT_EQ(Pixel(g.X(250), 250), kBlack);
  EXPECT_EQ(recorder_.Find("Density 10 s"), nullptr);
  EXPECT_NE(recorder_.Find("Min Hold:Hidden"), nullptr);
}

TEST_F(GraphPainterTest, SpectrumLegendLines) {
  ASSERT_TRUE(Paint());
  const char* const expected[] = {"Mode: Spectrum Sweep", "Ctr: 2425.00 MHz", "Span: 50.00 MHz",
                                  "RBW: 299 KHz",         "Ref Lvl: -20 dBm", "Power:   NA"};
  const LoggedText* mode = recorder_.Find(expected[0]);
  const LoggedText* centre = recorder_.Find(expected[1]);
  ASSERT_TRUE(mode != nullptr && centre != nullptr);
  const int pitch = centre->at.y() - mode->at.y();
  EXPECT_GT(pitch, 0);
  for (int line = 0; line < 6; ++line) {
    const LoggedText* t = recorder_.Find(expected[line]);
    ASSERT_NE(t, nullptr) << expected[line];
    EXPECT_EQ(t->at, QPoint(60, mode->at.y() + line * pitch)) << expected[line];
    EXPECT_EQ(t->colour, QColor(0, 255, 0)) << expected[line];
  }
  EXPECT_EQ(recorder_.Find("Trigger Power: 0 dBm"), nullptr);

  trace_->header.points = 10;
  trace_->header.rbw_code = 0;
  trace_->data_clipping = 1;
  trace_->low_battery = 1;
  ASSERT_TRUE(Paint());
  EXPECT_NE(recorder_.Find("Span: 500 KHz"), nullptr);
  EXPECT_NE(recorder_.Find("RBW:  NA"), nullptr);
  const LoggedText* clipping = recorder_.Find("Data Clipping !!!,\nIncrease Reference Level");
  ASSERT_NE(clipping, nullptr);
  EXPECT_EQ(clipping->at, QPoint(61, 6));  // inside the plot's top left corner
  bool battery = false;
  for (const LoggedText& t : recorder_.texts) {
    if (t.text.startsWith("LOW BATTERY WARNING !!!\\n") && t.text.endsWith("after 30 seconds")) {
      battery = true;
      EXPECT_EQ(t.at, QPoint(4 * 60 + 70, 4 * 30 + 15));
    }
  }
  EXPECT_TRUE(battery);
}

// With every legend line and the frequency labels shown at once, each stays whole below the
// plot and clear of every other text (the other column, the amplitude labels, the marker delta
// lines, the frozen trace legends), at the graph
// sizes of windows from 800 x 600 up, narrow, wide, short and tall.
TEST_F(GraphPainterTest, LegendLinesFitWholeAndApartAtEveryWindowSize) {
  state_.spectrum_mode = false;
  state_.power_trigger_mode = true;
  state_.trigger_threshold_text = "-100";
  state_.trigger_time_text = "00:00:00";
  trace_->header.reference_level = -100;
  trace_->sweep_power = -100.25f;
  trace_->trace_average_on = 1;
  trace_->bin_average_on = 1;
  for (int k = 0; k < kTraceSlots; ++k) {
    trace_->peaks[k].live = 1;
    trace_->peaks[k].frozen = 1;
    trace_->frozen_live[k].frozen = 1;
    trace_->frozen_average[k].frozen = 1;
    trace_->frozen_bin_average[k].frozen = 1;
  }
  for (int j = 0; j < kN; ++j) trace_->live_y[j] = 100;
  for (MarkerRecord& m : trace_->markers) {
    m = MarkerRecord{};
    m.a_placed = m.b_placed = 1;
    m.a_frequency = m.b_frequency = 5850.0f;
    m.a_level = -100;
    m.b_level = -10;
    m.band_sum = 1;
    m.band_power = -100.5;
  }
  const auto is_reading = [](const QString& t) {
    for (const char* start :
         {"Mode:", "Ctr:", "Span:", "RBW:", "Ref Lvl:", "Power:", "Trigger Power:"}) {
      if (t.startsWith(QLatin1String(start))) return true;
    }
    return false;
  };
  const auto is_trace = [](const QString& t) {
    for (const char* start :
         {"Current Spectrum", "Trace Average:", "Video Average:", "Peak Trace:"}) {
      if (t.startsWith(QLatin1String(start))) return true;
    }
    return false;
  };

  const QSize sizes[] = {{800, 480},   {1024, 660}, {1280, 700}, {1600, 900},
                         {1920, 1050}, {800, 900},  {1600, 480}};
  for (const QSize size : sizes) {
    // The live trace hidden gives the longest line; shown, it brings the marker texts.
    for (const bool live_shown : {false, true}) {
      state_.live_shown = live_shown;
      recorder_.texts.clear();
      const QRect window(QPoint(0, 0), size);
      ASSERT_TRUE(PaintGraph(image_, GraphScene{*trace_, state_, window, window, 30, -100}, &recorder_));
      const int plot_bottom =
          GraphGeometry(GraphRect{0, 0, size.width(), size.height()}, kN).GridY(10);
      const std::string where = std::to_string(size.width()) + " x " +
                                std::to_string(size.height()) + (live_shown ? " shown" : " hidden");
      int readings = 0;
      int traces = 0;
      int axis_labels = 0;
      for (const LoggedText& line : recorder_.texts) {
        // The frequency labels' row starts just below the plot.
        const bool axis = line.at.y() == plot_bottom + 2;
        if (axis) {
          ++axis_labels;
          EXPECT_GT(line.at.y(), plot_bottom) << where;
        } else if (!is_reading(line.text) && !is_trace(line.text)) {
          continue;
        } else {
          (is_reading(line.text) ? readings : traces) += 1;
        }
        const QRect extent = line.Extent();
        EXPECT_TRUE(window.contains(extent)) << line.text.toStdString() << " at " << where;
        EXPECT_GT(extent.top(), plot_bottom) << line.text.toStdString() << " at " << where;
        EXPECT_GE(QFontInfo(line.font).pixelSize(), 10) << where;
        for (const LoggedText& other : recorder_.texts) {
          if (&other == &line) continue;
          EXPECT_FALSE(extent.intersects(other.Extent()))
              << line.text.toStdString() << " / " << other.text.toStdString() << " at " << where;
        }
      }
      EXPECT_EQ(readings, 7) << where;
      EXPECT_EQ(traces, 7) << where;
      // Start, centre and stop at least; all eleven lines on the wider windows.
      EXPECT_GE(axis_labels, 3) << where;
      if (size.width() >= 1280) {
        EXPECT_EQ(axis_labels, 11) << where;
      }
    }
  }
}

// A 1280 x 800 view with the replay timeline's 100 pixels under the graph: the plot gives the
// strip up, the legend keeps the size it has without it. The amplitude labels end left of the
// plot, clear of the log's box, whose texts it holds however large the log grows.
TEST_F(GraphPainterTest, StripUnderTheGraphLeavesTheLegendItsSizeAndLabelsClearOfThePlot) {
  state_.recording = true;
  state_.log_bytes = 123456789012;
  const QRect view(0, 0, 1280, 800);
  QRect mode_line;
  for (const int strip : {0, 100}) {
    SCOPED_TRACE(strip);
    const QRect window(0, 0, 1280, 800 - strip);
    recorder_.texts.clear();
    ASSERT_TRUE(PaintGraph(image_, GraphScene{*trace_, state_, window, view, 30, -60}, &recorder_));
    const GraphGeometry g(GraphRect{0, 0, 1280, 800}, kN, window.height());
    const LoggedText* mode = recorder_.Find("Mode: Spectrum Sweep");
    ASSERT_NE(mode, nullptr);
    if (strip == 0) mode_line = mode->Extent();
    EXPECT_EQ(mode->Extent().size(), mode_line.size());
    for (const LoggedText& t : recorder_.texts) {
      EXPECT_TRUE(window.contains(t.Extent())) << t.text.toStdString();
    }
    const LoggedText* size = recorder_.Find("Log Size: 123456789012 Bytes");
    ASSERT_NE(size, nullptr);
    EXPECT_LE(size->Extent().right(), g.GridX(10));
    for (const char* label : {"-110", "-120"}) {
      const LoggedText* t = recorder_.Find(label);
      ASSERT_NE(t, nullptr);
      EXPECT_LT(t->Extent().right(), g.GridX(0)) << label;
      EXPECT_FALSE(t->Extent().intersects(size->Extent())) << label;
    }
  }
}

TEST_F(GraphPainterTest, MarkerTextsDeltaLineAndGlyphs) {
  state_.frequency_axis = false;  // the delta lines where they were without the axis
  for (int j = 0; j < kN; ++j) trace_->live_y[j] = 200;
  MarkerRecord& m = trace_->markers[1];
  m.colour = Rgb(0, 255, 255);
  m.a_placed = 1;
  m.a_x = 200;
  m.a_point = Geometry().PointAtX(200);  // drawn at x 200
  m.a_frequency = 2411.65f;
  m.a_level = -50;
  m.b_placed = 1;
  m.b_point = kN - 1;  // the last point, on the plot's right edge
  m.b_x = Geometry().X(m.b_point);
  m.b_frequency = 2428.30f;
  m.b_level = -47.5f;
  ASSERT_TRUE(Paint());
  const QColor cyan(0, 255, 255);
  // A's frequency over its level, centred over the glyph above the point.
  const LoggedText* a_freq = recorder_.Find("2411.65 MHz");
  const LoggedText* a_level = recorder_.Find("-50.00 dBm");
  ASSERT_NE(a_freq, nullptr);
  ASSERT_NE(a_level, nullptr);
  EXPECT_EQ(a_freq->colour, cyan);
  EXPECT_NEAR(a_freq->Extent().center().x(), 200, 4);
  EXPECT_EQ(a_level->at, QPoint(a_freq->at.x(), a_freq->Extent().bottom() + 1));
  EXPECT_LE(a_level->Extent().bottom(), 200 - 12);
  // B's texts stay inside the plot.
  for (const char* text : {"2428.30 MHz", "-47.50 dBm"}) {
    ASSERT_NE(recorder_.Find(text), nullptr);
    EXPECT_LE(recorder_.Find(text)->Extent().right(), Geometry().GridX(10)) << text;
  }
  // Delta line of marker 2 lies 20 pixels under marker 1's, below the plot.
  const LoggedText* delta = recorder_.Find("2.50 dB;");
  ASSERT_NE(delta, nullptr);
  EXPECT_EQ(delta->at, QPoint(400 + 90, 300 + 10 + 20));
  ASSERT_NE(recorder_.Find("16.65 MHz;"), nullptr);
  const LoggedText* power = recorder_.Find("Ch Power: NA");
  ASSERT_NE(power, nullptr);
  EXPECT_EQ(power->at, QPoint(400 + 160, 330));
  // The pair's band readings under the three delta lines; both neighbours leave the sweep.
  bool readings = false;
  for (const LoggedText& t : recorder_.texts) {
    if (!t.text.startsWith("OBW ")) continue;
    readings = true;
    EXPECT_EQ(t.at, QPoint(400 + 15, 330 + 60));
    EXPECT_TRUE(t.text.endsWith("  ACPR lower n/a / upper n/a dBc")) << t.text.toStdString();
  }
  EXPECT_TRUE(readings);
  // With the frequency labels the delta lines move down under their row, glyphs with them.
  state_.frequency_axis = true;
  ASSERT_TRUE(Paint());
  const int moved_y = recorder_.Find("2.50 dB;")->at.y();
  for (const LoggedText& line : recorder_.texts) {
    if (line.at.y() == Geometry().GridY(10) + 2) {
      EXPECT_LT(line.Extent().bottom(), moved_y - 20);
    }
  }
  state_.frequency_axis = false;
  ASSERT_TRUE(Paint());

  QImage window(700, 400, QImage::Format_RGB32);
  window.fill(Qt::black);
  {
    QPainter painter(&window);
    const std::vector<DrawnGlyph> drawn = PaintMarkerGlyphs(painter, Scene());
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].marker, 2);
    EXPECT_FALSE(drawn[0].b_end);
    EXPECT_EQ(drawn[0].x, 200);
    EXPECT_TRUE(drawn[1].b_end);
    EXPECT_EQ(drawn[1].x, Geometry().X(kN - 1));
  }
  // A's glyph sits just above the trace, its tip on the point's column, in the marker's colour.
  EXPECT_EQ(window.pixelColor(200 + 5, 200 - 12), cyan);
  EXPECT_EQ(window.pixelColor(200 - 5, 200 - 12), cyan);
  EXPECT_EQ(window.pixelColor(200, 200 - 3), cyan);
  EXPECT_EQ(window.pixelColor(199, 200 - 3), kBlack);
  EXPECT_EQ(window.pixelColor(201, 200 - 3), kBlack);

  m.hidden = 1;
  QPainter painter(&window);
  EXPECT_TRUE(PaintMarkerGlyphs(painter, Scene()).empty());
  state_.live_shown = false;
  ASSERT_TRUE(Paint());
  EXPECT_EQ(recorder_.Find("Ch Power: NA"), nullptr);
}

TEST_F(GraphPainterTest, SelectionChannelsAndPaperBackground) {
  state_.area_selected = true;
  state_.selection = Selection{300, 100, 200, 200, 2430.0f, 2420.0f};
  trace_->channels[0] = ChannelRecord{400, 50, 500, 150, 2440.0f, 2450.0f, 1, 32801};
  ASSERT_TRUE(Paint());
  EXPECT_EQ(Pixel(250, 110), QColor(84, 73, 92));
  EXPECT_EQ(Pixel(450, 60), QColor(84, 73, 92));
  const LoggedText* start = recorder_.Find("2430.00 MHz");
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(start->at, QPoint(260, 70));
  EXPECT_EQ(start->colour, QColor(6, 190, 230));
  bool channel = false;
  int line = 0;
  for (const LoggedText& t : recorder_.texts) {
    if (t.text.startsWith("Ch # 1: ")) {
      channel = true;
      EXPECT_EQ(t.at, QPoint(410, 50));
      line = QFontMetrics(t.font).height();
    }
  }
  EXPECT_TRUE(channel);
  // Occupied bandwidth and ACPR under the channel's power; the flat trace has as much power in
  // each neighbour.
  const LoggedText* obw = nullptr;
  const LoggedText* acpr = nullptr;
  for (const LoggedText& t : recorder_.texts) {
    if (t.text.startsWith("OBW ")) obw = &t;
    if (t.text.startsWith("ACPR ")) acpr = &t;
  }
  ASSERT_TRUE(obw != nullptr && acpr != nullptr);
  EXPECT_EQ(obw->at, QPoint(410, 50 + line));
  EXPECT_EQ(acpr->at, QPoint(410, 50 + 2 * line));
  EXPECT_EQ(acpr->text, QStringLiteral("ACPR lower 0.0 / upper 0.0 dBc"));

  // On paper in economy colours the picture starts white and areas are only edged.
  state_.printing = true;
  state_.print_colour_option = 2;
  ASSERT_TRUE(Paint());
  EXPECT_EQ(Pixel(690, 5), QColor(255, 255, 255));
  EXPECT_EQ(Pixel(250, 150), QColor(255, 255, 255));
}

// View, Channels at 1280 x 800 over 2400 ... 2500 MHz: the fourteen overlapping 2.4 GHz channels
// in staggered rows at the top of the plot, no label over another, each with its figures. With
// a channel in the top right corner the density scale goes below the rows.
TEST_F(GraphPainterTest, ChannelPlanBandsStaggerReadablyAt1280x800) {
  trace_->header.sweep_word = 2;  // 100 kHz: 1000 points span 100 MHz
  LiveChannelUse use(60000);
  std::vector<int16_t> levels(kN, -90 * 16);
  for (int k = 0; k < 4; ++k) {
    levels[370] = k % 2 == 0 ? -50 * 16 : -90 * 16;  // 2437 MHz: channel 6
    use.AddSweep(k * 1000, 2400000000, 100000, levels.data(), kN);
  }
  ChannelPlanFigures figures{use.Plan(), use.Figures(3000)};
  GraphScene scene{*trace_, state_, QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 800), 30, -60};
  scene.channel_plan = &figures;
  ASSERT_TRUE(PaintGraph(image_, scene, &recorder_));
  const GraphGeometry g(GraphRect{0, 0, 1280, 800}, kN);
  std::vector<QRect> boxes;
  std::set<int> rows;
  for (int c = 1; c <= 14; ++c) {
    const LoggedText* label = recorder_.Find(QString::number(c));
    ASSERT_NE(label, nullptr) << c;
    boxes.push_back(label->Extent());
    rows.insert(label->at.y());
    EXPECT_GE(label->at.y(), g.GridY(0));
    EXPECT_GE(label->at.x(), g.GridX(0));
    EXPECT_LE(label->Extent().right(), g.GridX(10));
  }
  EXPECT_LE(rows.size(), 5u);
  for (size_t a = 0; a < boxes.size(); ++a)
    for (size_t b = a + 1; b < boxes.size(); ++b)
      EXPECT_FALSE(boxes[a].intersects(boxes[b])) << a + 1 << " and " << b + 1;
  // Channel 6's figures right under its label (its neighbours hold the carrier too).
  const LoggedText* six = recorder_.Find("6");
  bool under = false;
  for (const LoggedText& t : recorder_.texts) {
    under = under || (t.text == "50% -89.9 dBm" && t.at.x() == six->at.x() &&
                      t.at.y() == six->at.y() + QFontMetrics(six->font).height());
  }
  EXPECT_TRUE(under);
  EXPECT_NE(recorder_.Find("0% -90.0 dBm"), nullptr);  // channel 1, never reached

  trace_->header.start = 47600;  // 2380 ... 2480 MHz: channel 13 ends at the right
  LiveChannelUse lower(60000);
  lower.AddSweep(0, 2380000000, 100000, levels.data(), kN);
  ChannelPlanFigures shifted{lower.Plan(), lower.Figures(0)};
  scene.channel_plan = &shifted;
  ManualClock clock;
  DensityRecord density(clock);
  density.SetOn(true);
  scene.density = &density;
  recorder_.texts.clear();
  ASSERT_TRUE(PaintGraph(image_, scene, &recorder_));
  const LoggedText* title = recorder_.Find("Density 10 s");
  const LoggedText* bottom = recorder_.Find("0.01 %");
  ASSERT_TRUE(title != nullptr && bottom != nullptr);
  const QRect scale = title->Extent().united(bottom->Extent());
  for (const LoggedText& t : recorder_.texts) {
    if (t.text.endsWith(QStringLiteral(" dBm")) || t.text == QStringLiteral("13")) {
      EXPECT_FALSE(t.Extent().intersects(scale)) << t.text.toStdString();
    }
  }
}

// Channels, density (Infinite), a time window's traces, three marker pairs, a narrow selection,
// a measurement channel and a failing limit line at once at 1280 x 800: every box of texts the painter placed lies in
// the plot, none over another, and every text drawn in the plot stays in it, none over another.
TEST_F(GraphPainterTest, EveryTextOfTheGraphHasItsOwnPlaceInThePlot) {
  class BoxRecorder : public TextRecorder {
   public:
    void Placed(const QRect& box) override { boxes.push_back(box); }
    std::vector<QRect> boxes;
  } recorder;
  trace_->header.sweep_word = 2;  // 2400 ... 2500 MHz
  LiveChannelUse use(60000);
  std::vector<int16_t> levels(kN, -90 * 16);
  for (int j = 360; j < 380; ++j) levels[j] = -40 * 16;  // a carrier in channels 5 ... 8
  use.AddSweep(0, 2400000000, 100000, levels.data(), kN);
  ChannelPlanFigures figures{use.Plan(), use.Figures(0), "Busy at -85 dBm over 1 sweep (span 60 s)"};
  ManualClock clock;
  DensityRecord density(clock);
  density.SetOn(true);
  density.SetPersistence(0);
  std::vector<TraceColumn> window;
  for (const char* name : {"Window Max", "Window Min", "Window Mean"})
    window.push_back(TraceColumn{name, 0, std::vector<int16_t>(kN, -70 * 16)});
  const GraphGeometry g(GraphRect{0, 0, 1280, 800}, kN);
  for (int j = 0; j < kN; ++j) trace_->live_y[j] = j >= 360 && j < 380 ? g.GridY(0) + 20 : g.GridY(5);
  for (int m = 0; m < kMarkerCount; ++m) {
    MarkerRecord& mk = trace_->markers[m];
    mk.a_placed = mk.b_placed = 1;
    mk.a_point = 362 + 4 * m;
    mk.b_point = 700 + 40 * m;
    mk.a_frequency = 2472.5f;
    mk.b_frequency = 2540.0f;
  }
  state_.area_selected = true;
  state_.selection = Selection{g.X(600), g.GridY(1), g.X(606), g.GridY(3), 2460.0f, 2461.2f};
  trace_->channels[0] =
      ChannelRecord{g.X(365), g.GridY(0) + 40, g.X(375), g.GridY(2), 2473.0f, 2475.0f, 1, 32801};
  struct NoActions : LimitActions {
    void Beep() override {}
    std::optional<CaptureKey> Capture(const std::string&) override { return std::nullopt; }
    void Recomment(const CaptureKey&, const std::string&) override {}
  } actions;
  LimitMonitor limits([] { return LimitTime{}; }, actions);
  QTemporaryDir dir;
  const QString upper = dir.filePath(QStringLiteral("upper.csv"));
  {
    QFile file(upper);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("2400000000,-60\n2500000000,-60\n");
  }
  ASSERT_EQ(limits.Load(LimitKind::kUpper, upper.toStdString()), "");
  limits.OnSweep(SweepLevels{2400e6, 100e3, levels.data(), levels.size()});
  GraphScene scene{*trace_, state_, QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 800), 30, -60};
  scene.channel_plan = &figures;
  scene.density = &density;
  scene.window_traces = &window;
  scene.limits = &limits;
  ASSERT_TRUE(PaintGraph(image_, scene, &recorder));

  const QRect plot(QPoint(g.GridX(0), g.GridY(0)), QPoint(g.GridX(10), g.GridY(10)));
  ASSERT_GT(recorder.boxes.size(), 20u);
  for (size_t a = 0; a < recorder.boxes.size(); ++a) {
    EXPECT_TRUE(plot.contains(recorder.boxes[a])) << a;
    for (size_t b = a + 1; b < recorder.boxes.size(); ++b) {
      EXPECT_FALSE(recorder.boxes[a].intersects(recorder.boxes[b])) << a << " and " << b;
    }
  }
  std::vector<const LoggedText*> in_plot;
  for (const LoggedText& t : recorder.texts) {
    if (plot.contains(t.at) && t.at.x() > g.GridX(0)) in_plot.push_back(&t);
  }
  for (const LoggedText* t : in_plot) {
    EXPECT_TRUE(plot.contains(t->Extent())) << t->text.toStdString();
    for (const LoggedText* other : in_plot) {
      if (other != t) {
        EXPECT_FALSE(t->Extent().intersects(other->Extent()))
            << t->text.toStdString() << " / " << other->text.toStdString();
      }
    }
  }
  EXPECT_NE(recorder.Find("Density Infinite"), nullptr);
  EXPECT_NE(recorder.Find("FAIL"), nullptr);
  EXPECT_NE(recorder.Find("Busy at -85 dBm over 1 sweep (span 60 s)"), nullptr);
}

// Boxes over the plot let the grid show through: the recording box, the replay box with its
// bar and the frozen peak legend. The trigger texts and the trigger wait go where they hide
// neither a carrier nor each other.
TEST_F(GraphPainterTest, BoxesOverThePlotHideNeitherGridNorTraces) {
  const GraphGeometry g = Geometry();
  // Every grid pixel inside `box` is still lit: a box is see-through and its texts are coloured,
  // so this holds whatever font the texts take and however much of the box they fill.
  const auto grid_shows_in = [&](const QRect& box) {
    int seen = 0;
    for (int x = box.left(); x <= box.right(); ++x) {
      for (int y = box.top(); y <= box.bottom(); ++y) {
        bool on_grid = false;
        for (int i = 0; i <= 10; ++i) on_grid |= x == g.GridX(i) || y == g.GridY(i);
        if (!on_grid) continue;
        ++seen;
        if (Pixel(x, y) == kBlack) return testing::AssertionFailure() << x << ", " << y;
      }
    }
    return seen > 0 ? testing::AssertionSuccess() : testing::AssertionFailure() << "no grid";
  };
  state_.live_shown = false;
  state_.recording = true;
  trace_->peaks[0].frozen = 1;
  ASSERT_TRUE(Paint());
  ASSERT_NE(recorder_.Find("Frozen Peak Tr 1"), nullptr);
  EXPECT_TRUE(grid_shows_in(QRect(QPoint(61, g.GridY(9)), QPoint(2 * g.dx + 59, g.GridY(10) - 1))));
  EXPECT_TRUE(grid_shows_in(QRect(QPoint(g.GridX(4), g.GridY(8)), QPoint(g.GridX(6) - 1, g.GridY(10) - 1))));
  state_.recording = false;
  state_.playing_back = true;
  state_.playback_position = 90;
  state_.log_length = 100;
  ASSERT_TRUE(Paint());
  EXPECT_TRUE(grid_shows_in(QRect(QPoint(61, g.GridY(9)), QPoint(3 * g.dx + 57, g.GridY(10) - 1))));
  state_.playing_back = false;

  // A carrier at points 850 ... 950 reaching the top, a floor near the bottom.
  state_.live_shown = true;
  for (int j = 0; j < kN; ++j) trace_->live_y[j] = j >= 850 && j <= 950 ? 10 : 290;
  state_.spectrum_mode = false;
  state_.power_trigger_mode = true;
  state_.trigger_threshold_text = "-100";
  state_.trigger_time_text = "1 mins 1 secs";
  state_.waiting_for_trigger = true;
  state_.silent_seconds = 16;
  ASSERT_TRUE(Paint());
  const QRect carrier(QPoint(g.X(849), 0), QPoint(g.X(951), 400));
  std::vector<QRect> boxes;
  for (const char* start : {"Trigger Threshold: -100 dBm", "Time Since Last Trigger: 1 mins 1 secs",
                            "Waiting for trigger: 16 s"}) {
    const LoggedText* t = recorder_.Find(start);
    ASSERT_NE(t, nullptr) << start;
    EXPECT_FALSE(t->Extent().intersects(carrier)) << start;
    EXPECT_TRUE(QRect(60, 5, 600, 300).contains(t->Extent())) << start;
    boxes.push_back(t->Extent());
  }
  EXPECT_FALSE(boxes[2].intersects(boxes[0]) || boxes[2].intersects(boxes[1]));
}

TEST(GraphPolyline, ColumnSpansLightExactlyThePlainLinesPixels) {
  std::mt19937 random(7);
  // Levels above the reference give y above the plot, so some points fall outside the image.
  std::uniform_int_distribution<int> noise(-40, 420);
  for (int count : {1, 2, 50, 700, 5000}) {
    std::vector<QPoint> points(count);
    for (int j = 0; j < count; ++j) {
      points[j] = QPoint(60 + j * 600 / std::max(count - 1, 1), noise(random));
    }
    QImage plain(700, 400, QImage::Format_RGB32);
    plain.fill(Qt::black);
    QImage decimated = plain;
    DrawPlainPolyline(plain, points.data(), count, qRgb(0, 255, 0));
    ColumnSpans scratch;
    DrawThinPolyline(decimated, points.data(), count, qRgb(0, 255, 0), scratch);
    EXPECT_EQ(plain, decimated) << count << " points";
  }
}

// Traces reduced column by column and written together equal each trace's plain line drawn in
// turn, later over earlier, the thick stretch being the plain line grown by one pixel all round.
TEST(GraphPolyline, ReducedTracesEqualPlainLinesDrawnInOrder) {
  std::mt19937 random(11);
  constexpr int kHeight = 90;
  constexpr int kMargin = 40;  // room for the points off the picture, before clipping
  const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
  for (int width : {23, 300}) {
    for (int count : {1, 2, 17, 299, 4000}) {
      // From a little left of the picture to a little right of it: fewer points than columns,
      // and many points a column.
      std::vector<int32_t> xs(count);
      for (int j = 0; j < count; ++j) xs[j] = -3 + j * (width + 5) / std::max(count - 1, 1);
      ColumnIndex index;
      index.Build(xs);
      SpanLayers layers;
      layers.Begin(width, kHeight);
      QImage expected(width, kHeight, QImage::Format_RGB32);
      expected.fill(Qt::black);
      ColumnSpans spans;
      for (QRgb colour : colours) {
        // Calm traces near the middle and noisy ones reaching past both edges.
        const int spread = colour == colours[1] ? 6 : 60;
        std::uniform_int_distribution<int> level(kHeight / 2 - spread, kHeight / 2 + spread);
        std::vector<int> y(count);
        for (int& v : y) v = level(random);
        std::uniform_int_distribution<int> pick(-1, count);
        int thick_first = pick(random);
        int thick_last = pick(random);
        if (thick_first > thick_last) std::swap(thick_first, thick_last);
        ForEachPenPiece(count, thick_first, thick_last, [&](int first, int last, int widen) {
          spans.Reduce(index, y.data() + first, first, last);
          layers.Add(spans, colour, widen);
          std::vector<QPoint> points;
          for (int k = first; k <= last; ++k) points.emplace_back(xs[k] + kMargin, y[k] + kMargin);
          QImage plain(width + 2 * kMargin, kHeight + 2 * kMargin, QImage::Format_RGB32);
          plain.fill(Qt::black);
          DrawPlainPolyline(plain, points.data(), static_cast<int>(points.size()), colour);
          for (int py = 0; py < plain.height(); ++py) {
            for (int px = 0; px < plain.width(); ++px) {
              if (plain.pixel(px, py) != colour) continue;
              for (int dy = -widen; dy <= widen; ++dy) {
                for (int dx = -widen; dx <= widen; ++dx) {
                  const QPoint at(px + dx - kMargin, py + dy - kMargin);
                  if (expected.rect().contains(at)) expected.setPixel(at, colour);
                }
              }
            }
          }
        });
      }
      QImage drawn(width, kHeight, QImage::Format_RGB32);
      drawn.fill(Qt::black);
      layers.Write(drawn);
      EXPECT_EQ(drawn, expected) << width << " columns, " << count << " points";
    }
  }
}

TEST(GraphPolyline, SegmentsLightEveryPointAndStayConnected) {
  // Each point is lit, and every lit pixel of a segment touches the next one (8-connected), so
  // steep and shallow segments both read as unbroken lines.
  const std::vector<QPoint> points = {{10, 10}, {11, 60}, {40, 65}, {41, 20}, {41, 30}, {90, 5}};
  QImage image(100, 80, QImage::Format_RGB32);
  image.fill(Qt::black);
  DrawPlainPolyline(image, points.data(), static_cast<int>(points.size()), qRgb(255, 255, 255));
  for (const QPoint& p : points) EXPECT_EQ(image.pixel(p), qRgb(255, 255, 255)) << p.x();
  for (int x = 10; x < 90; ++x) {
    bool lit_here = false;
    for (int y = 0; y < 80; ++y) lit_here |= image.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_TRUE(lit_here) << "column " << x;
  }
  // Between (11, 60) and (40, 65) the line runs one pixel per column.
  int lit_in_column = 0;
  for (int y = 0; y < 80; ++y) lit_in_column += image.pixel(25, y) == qRgb(255, 255, 255);
  EXPECT_EQ(lit_in_column, 1);
}

}  // namespace
}  // namespace qv
