#include "gui/record/timeline_widget.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <vector>

#include "core/link/sweep_message.h"
#include "core/record/log_format.h"
#include "core/record/log_scan.h"
#include "core/record/log_time.h"
#include "support/fake_timeline_source.h"

namespace qv {
namespace {

// An hour at 2400 MHz: one sweep at -60 dBm in its first second, nothing after.
LogOverview HourOverview(int64_t start) {
  Bytes log = BuildHeaderRecord(ReceiverIdentity{}, LogClock{}, LogMarkers{});
  const Bytes time = BuildTimeRecord({1, 31, 24, 13, 45, 9}, {});
  log.insert(log.end(), time.begin(), time.end());
  SweepHeader h;
  h.start = 48000;
  h.points = 2;
  h.block_frequency = 48000;
  const int16_t levels[2] = {-60 * 16, -60 * 16};
  const Bytes block = BuildSweepBlock(h, levels, 2);
  const Bytes record = BuildMessageRecord(block.data(), block.size());
  log.insert(log.end(), record.begin(), record.end());
  LogOverview overview({start, start + 3599, 2400000000, 2400100000, 60, 2});
  ScanLog(log.data(), log.size(), overview);
  return overview;
}

// The timeline over a played hour: shown only while the log plays, the slider's release and
// PageUp jump to their seconds, the speed and the steps reach the log, a drag on the overview
// selects a window and a click clears it and jumps, and a log that stops takes its window.
TEST(Timeline, DrivesTheLogItShows) {
  QWidget window;
  window.resize(800, 300);
  CTimelineWidget timeline(&window);
  timeline.setGeometry(0, 200, 800, CTimelineWidget::kHeight);
  window.show();
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
  QTest::mouseClick(&strip, Qt::LeftButton, {}, QPoint(right / 2, 5));
  EXPECT_FALSE(timeline.Window());
  EXPECT_NEAR(static_cast<double>(source.jumps.back()), 1800.0, 3600.0 / right);
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

}  // namespace
}  // namespace qv
