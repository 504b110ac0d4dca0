#include "gui/record/timeline_widget.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>
#include <vector>

#include "core/link/sweep_message.h"
#include "core/record/log_format.h"
#include "core/record/log_scan.h"
#include "core/record/log_time.h"
#include "gui/display/waterfall.h"
#include "support/fake_timeline_source.h"

namespace qv {
namespace {

// A timeline `width` pixels wide in a shown window, its top at `top`.
struct ShownTimeline {
  explicit ShownTimeline(int width, int top = 150) {
    window.resize(width, 300);
    timeline.setGeometry(0, top, width, CTimelineWidget::kHeight);
    window.show();
  }
  QWidget window;
  CTimelineWidget timeline{&window};
};

// An hour at 2400 MHz: one sweep in its first second (its two points at `low` and `high` dBm),
// nothing after.
LogOverview HourOverview(int64_t start, int16_t low = -60, int16_t high = -60) {
  Bytes log = BuildHeaderRecord(ReceiverIdentity{}, LogClock{}, LogMarkers{});
  const Bytes time = BuildTimeRecord({1, 31, 24, 13, 45, 9}, {});
  log.insert(log.end(), time.begin(), time.end());
  SweepHeader h;
  h.start = 48000;
  h.points = 2;
  h.block_frequency = 48000;
  const int16_t levels[2] = {static_cast<int16_t>(low * 16), static_cast<int16_t>(high * 16)};
  const Bytes block = BuildSweepBlock(h, levels, 2);
  const Bytes record = BuildMessageRecord(block.data(), block.size());
  log.insert(log.end(), record.begin(), record.end());
  LogOverview overview({start, start + 3599, 0, 0, 60, 2, false, true});
  ScanLog(log.data(), log.size(), overview);
  return overview;
}

// The timeline over a played hour: shown only while the log plays, the slider's release and
// PageUp jump to their seconds, the speed and the steps reach the log, a drag on the overview
// selects a window and a click clears it and jumps, and a log that stops takes its window.
TEST(Timeline, DrivesTheLogItShows) {
  ShownTimeline bed(800, 200);
  CTimelineWidget& timeline = bed.timeline;
  QSignalSpy shown(&timeline, &CTimelineWidget::ShownChanged);
  FakeTimelineSource source;
  const LogOverview overview = HourOverview(source.start_clock);
  source.overview = &overview;
  timeline.SetSource(&source);
  EXPECT_FALSE(timeline.isVisible());

  source.playing = true;
  timeline.Refresh();
  ASSERT_TRUE(timeline.isVisible());
  EXPECT_EQ(shown.count(), 1);
  QCoreApplication::processEvents();  // the layout gives the strip its size
  EXPECT_EQ(timeline.ScanLabel().text(), QStringLiteral("Scanning the log: 25 %"));

  // A drag moves only the texts; the release jumps.
  QSlider& slider = timeline.Slider();
  slider.setSliderDown(true);
  slider.setSliderPosition(1800);
  EXPECT_TRUE(source.jumps.empty());
  slider.setSliderDown(false);
  ASSERT_EQ(source.jumps, std::vector<int64_t>{1800});
  EXPECT_EQ(timeline.PositionLabel().text(),
            QStringLiteral("2024-01-31 14:15:09   +00:30:00 / 01:00:00"));
  QTest::keyClick(&slider, Qt::Key_PageUp);
  EXPECT_EQ(source.jumps, (std::vector<int64_t>{1800, 1980}));
  // The source moving the slider is no jump.
  source.position = 2000;
  timeline.Refresh();
  EXPECT_EQ(source.jumps.size(), 2u);

  // The pace chosen goes to the log; the toolbar's pace shows as such.
  QComboBox& speed = timeline.SpeedBox();
  emit speed.activated(speed.findText(QStringLiteral("\u00d716")));
  EXPECT_EQ(source.speed, ReplaySpeed::k16);
  source.speed = ReplaySpeed::kRecordPerTick;
  timeline.Refresh();
  EXPECT_EQ(speed.currentText(), QStringLiteral("Record/tick"));

  // Steps only while paused.
  EXPECT_FALSE(timeline.StepForward().isEnabled());
  source.paused = true;
  timeline.Refresh();
  ASSERT_TRUE(timeline.StepBack().isEnabled());
  timeline.StepBack().click();
  timeline.StepForward().click();
  EXPECT_EQ(source.steps, (std::vector<int>{-1, 1}));

  // The overview: a picture of the cells, the sweep at its start in the level's colour.
  COverviewStrip& strip = timeline.Strip();
  strip.repaint();
  ASSERT_FALSE(strip.Picture().isNull());
  const QImage& picture = strip.Picture();
  EXPECT_NE(picture.pixel(0, picture.height() - 1), qRgb(0, 0, 0));
  EXPECT_EQ(picture.pixel(picture.width() - 1, picture.height() - 1), qRgb(0, 0, 0));

  // Drag across the whole strip: the whole hour; a click clears it and jumps near the middle.
  const int right = strip.width() - 1;
  QTest::mousePress(&strip, Qt::LeftButton, {}, QPoint(0, 5));
  QTest::mouseMove(&strip, QPoint(right / 2, 5));
  QTest::mouseRelease(&strip, Qt::LeftButton, {}, QPoint(right, 5));
  ASSERT_EQ(timeline.Window(), (TimeWindowSeconds{0, 3600}));
  // The window's times and, while it is worked out, how far.
  EXPECT_EQ(timeline.WindowLabel().text(),
            QStringLiteral("13:45:09 \u2013 14:45:09, 1 h 00 min"));
  source.window_progress = 42;
  timeline.Refresh();
  EXPECT_EQ(timeline.WindowLabel().text(),
            QStringLiteral("13:45:09 \u2013 14:45:09, 1 h 00 min, working out: 42 %"));
  const auto [start_x, end_x] = timeline.StripTimeSpan();
  QTest::mouseClick(&strip, Qt::LeftButton, {}, QPoint((start_x + end_x) / 2, 5));
  EXPECT_FALSE(timeline.Window());
  EXPECT_NEAR(static_cast<double>(source.jumps.back()), 1800.0, 3600.0 / (end_x - start_x));
  QTest::mousePress(&strip, Qt::LeftButton, {}, QPoint(right / 4, 5));
  QTest::mouseMove(&strip, QPoint(right / 2, 5));
  QTest::mouseRelease(&strip, Qt::LeftButton, {}, QPoint(right / 2, 5));
  ASSERT_TRUE(timeline.Window());

  source.playing = false;
  timeline.Refresh();
  EXPECT_FALSE(timeline.isVisible());
  EXPECT_FALSE(timeline.Window());
  ASSERT_EQ(source.windows.size(), 4u);
  EXPECT_EQ(source.windows[0], (TimeWindowSeconds{0, 3600}));
  EXPECT_FALSE(source.windows[1]);
  EXPECT_FALSE(source.windows[3]);
}

// Noise at -95 dBm and a carrier at -40 dBm: the strip colours them over the range the log
// needs, in the map chosen, from the map's bright end for the carrier to its dark end for the
// noise, and its colour scale runs between the same two colours.
TEST(Timeline, StripColoursFitTheLogAndItsScaleAgrees) {
  ShownTimeline bed(1280);
  CTimelineWidget& timeline = bed.timeline;
  FakeTimelineSource source;
  const LogOverview overview = HourOverview(source.start_clock, -95, -40);
  source.overview = &overview;
  source.playing = true;
  timeline.SetSource(&source);
  timeline.SetColourMap([] { return ColourMap::kUniform; });
  QCoreApplication::processEvents();
  COverviewStrip& strip = timeline.Strip();
  const QImage shot = strip.grab().toImage();
  EXPECT_EQ(strip.ColourRange(), (std::pair<int16_t, int16_t>{-40, -95}));
  const QImage& picture = strip.Picture();
  ASSERT_FALSE(picture.isNull());
  const QRgb carrier = GradientToRgb(UniformColour(1.0));
  const QRgb noise = GradientToRgb(UniformColour(0.0));
  EXPECT_EQ(picture.pixel(0, 0), carrier);
  EXPECT_EQ(picture.pixel(0, picture.height() - 1), noise);
  const GraphRect bar = strip.Layout().colour_bar;
  ASSERT_LE(bar.right, shot.width());
  EXPECT_EQ(shot.pixel(bar.left + 2, bar.top), carrier);
  EXPECT_EQ(shot.pixel(bar.left + 2, bar.bottom - 1), noise);
}

// Where the style draws the slider's handle, in the strip's pixels.
int HandleCentreOnStrip(CTimelineWidget& timeline) {
  const QSlider& slider = timeline.Slider();
  QStyleOptionSlider option;
  option.initFrom(&slider);
  option.orientation = Qt::Horizontal;
  option.minimum = slider.minimum();
  option.maximum = slider.maximum();
  option.sliderPosition = option.sliderValue = slider.value();
  option.singleStep = slider.singleStep();
  option.pageStep = slider.pageStep();
  const QRect handle = slider.style()->subControlRect(QStyle::CC_Slider, &option,
                                                      QStyle::SC_SliderHandle, &slider);
  return timeline.Strip().mapFrom(&timeline, slider.mapTo(&timeline, handle.center())).x();
}

// The strip's cursor stands right under the slider's handle at the start, the middle and near
// the end of the log, at both window widths; a click there goes back to that second.
TEST(Timeline, StripAndSliderPutATimeAtOneX) {
  for (const int width : {1280, 1600}) {
    ShownTimeline bed(width);
    CTimelineWidget& timeline = bed.timeline;
    FakeTimelineSource source;
    const LogOverview overview = HourOverview(source.start_clock);
    source.overview = &overview;
    source.playing = true;
    timeline.SetSource(&source);
    QCoreApplication::processEvents();
    COverviewStrip& strip = timeline.Strip();
    for (const int64_t second : {int64_t{0}, int64_t{1800}, int64_t{3240}}) {
      source.position = second;
      timeline.Refresh();
      const QImage shot = strip.grab().toImage();
      std::vector<int> cursor;
      for (int x = 0; x < shot.width(); ++x) {
        if (shot.pixel(x, 6) == qRgb(255, 64, 64)) cursor.push_back(x);
      }
      const int handle = HandleCentreOnStrip(timeline);
      EXPECT_EQ(cursor, std::vector<int>{handle}) << width << " px, second " << second;
      QTest::mouseClick(&strip, Qt::LeftButton, {}, QPoint(handle, 6));
      EXPECT_NEAR(static_cast<double>(source.jumps.back()), static_cast<double>(second),
                  3600.0 / width);
    }
  }
}

}  // namespace
}  // namespace qv
