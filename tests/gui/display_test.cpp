#include "gui/display/display.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStringList>
#include <functional>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/display/channels.h"
#include "gui/app/form_view.h"
#include "support/screen_grab.h"
#include "gui/display/spectrogram_dialog.h"
#include "gui/display/trace_pages.h"
#include "gui/link/connection_sheet.h"
#include "gui/trigger/trigger_page.h"
#include "gui/ui/side_panels.h"
#include "gui/ui/tab_dialog.h"
#include "support/fake_link.h"
#include "support/legend_texts.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    ++paints;
    if (on_paint) on_paint();
    return false;
  }
  int paints = 0;
  std::function<void()> on_paint;
};

// The view fills 1100 x 800, so the plot spans x 60 ... 1002 and y 5 ... 605; a sweep of
// 1001 points from 2400 MHz has 2410 MHz (point 200) at x 248 and 2430 MHz (point 600) at x 624.
class DisplayTest : public ::testing::Test {
 protected:
  DisplayTest() {
    view_.resize(1100, 800);
    view_.show();
    display().installEventFilter(&paints_);
    display().SetMenuRunner([this](QMenu& menu, const QPoint&) -> QAction* {
      shown_.clear();
      checked_.clear();
      QAction* pick = nullptr;
      for (QAction* a : menu.actions()) {
        shown_ << a->text();
        if (a->isChecked()) checked_ << a->text();
        if (a->text() == choice_) pick = a;
      }
      return pick;
    });
    view_.Connection().Ops().SetLink(kSerialInterface, &link_);
    view_.Connection().SelectInterface(kSerialInterface);
    view_.Connection().State().connected = 1;
    Sweep();
  }

  ~DisplayTest() override { view_.Connection().Ops().SetLink(kSerialInterface, nullptr); }

  CDisplay& display() { return view_.Display(); }

  // One whole sweep of 1001 points at -60 dBm (or the levels given, whole dBm), as the Receiver
  // sends it.
  void Sweep(std::vector<int16_t> levels = std::vector<int16_t>(1001, -60), uint8_t status = 0,
             uint8_t type = kMsgSweep) {
    SweepHeader h;
    h.type = type;
    h.start = 48000;
    h.points = 1001;
    h.block_frequency = 48000;
    h.status = status;
    for (int16_t& level : levels) level = static_cast<int16_t>(level * 16);
    const Bytes m = BuildSweepBlock(h, levels.data(), static_cast<uint16_t>(levels.size()));
    display().OnReceiverMessage(QByteArray(reinterpret_cast<const char*>(m.data()),
                                           static_cast<qsizetype>(m.size())));
  }

  void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
            Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent event(type, at, display().mapToGlobal(at), button, buttons, keys);
    QApplication::sendEvent(&display(), &event);
  }
  void Drag(QPoint from, QPoint to) {
    Send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  }
  void RightClick(QPoint at) {
    Send(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    Send(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
  }
  void Choose(const QString& item) {
    choice_ = item;
    RightClick(QPoint(400, 300));
  }

  ManualClock clock_;
  RecordingAlerts alerts_;
  CQuorvalinFormView view_{clock_, alerts_};
  FakeLink link_;
  PaintCounter paints_;
  QString choice_;
  QStringList shown_;
  QStringList checked_;
};

TEST_F(DisplayTest, SelectionDragIsKeptAndDrawnWithoutWaitingForASweep) {
  view_.OnCommand(kCmdSelectDisplay);
  ASSERT_TRUE(display().SelectionMode());
  QApplication::processEvents();
  const int before = paints_.paints;

  Drag(QPoint(248, 100), QPoint(624, 300));
  const Selection& s = display().State().selection;
  EXPECT_TRUE(display().AreaSelected());
  EXPECT_EQ(s.start_x, 248);
  EXPECT_EQ(s.end_y, 300);
  EXPECT_FLOAT_EQ(s.start_frequency, 2410.0f);
  EXPECT_FLOAT_EQ(s.end_frequency, 2430.0f);
  // A key held with the button only moves the read-out.
  Send(QEvent::MouseMove, QPoint(700, 300), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(s.end_x, 624);
  EXPECT_EQ(display().State().mouse_x, 700);
  clock_.Advance(kFramePeriodMs);  // the frame the moves share
  EXPECT_GT(paints_.paints, before);
}

// A fast link delivers many blocks between two frames: the record takes every one at once,
// the graph and the open spectrogram are painted once for all of them, and the paint shows
// the newest block as the newest.
TEST_F(DisplayTest, ABurstOfBlocksIsShownByOnePaint) {
  CSpectrogramDialog& spectrogram = display().Spectrogram();
  spectrogram.show();
  PaintCounter spectrogram_paints;
  QWidget* waterfall = spectrogram.findChild<QWidget*>(QStringLiteral("waterfall"));
  ASSERT_NE(waterfall, nullptr);
  waterfall->installEventFilter(&spectrogram_paints);
  // The new window's first paints come with its exposure, over more than one pass.
  for (int pass = 0; pass < 3; ++pass) QApplication::processEvents();
  clock_.Advance(10 * kFramePeriodMs);  // quiet: the frame clock is idle

  // The newest block as the record holds it when the graph is painted.
  std::vector<int32_t> seen;
  paints_.on_paint = [&] { seen.push_back(display().Trace().block_start_index); };

  auto block = [&](uint16_t first, uint16_t count, int16_t level) {
    SweepHeader h;
    h.type = kMsgSweep;
    h.start = 48000;
    h.points = 1001;
    h.block_frequency = 48000 + first;
    std::vector<int16_t> levels(count, static_cast<int16_t>(level * 16));
    const Bytes m = BuildSweepBlock(h, levels.data(), count);
    display().OnReceiverMessage(
        QByteArray(reinterpret_cast<const char*>(m.data()), static_cast<qsizetype>(m.size())));
  };
  // The first block after a quiet spell shows at once.
  block(0, 250, -70);  // also closes the sweep before, which the spectrogram shows
  QApplication::processEvents();
  EXPECT_FALSE(spectrogram.HasPendingCopy());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], 0);
  // Three more blocks, a whole sweep and a new one within the same frame: nothing is painted
  // until the frame ends, then once.
  block(250, 250, -60);
  block(500, 251, -50);
  block(0, 250, -40);
  block(250, 250, -35);
  const int spectrogram_before = spectrogram_paints.paints;
  QApplication::processEvents();
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_TRUE(spectrogram.HasPendingCopy());
  clock_.Advance(kFramePeriodMs);
  QApplication::processEvents();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], 250);  // the newest block, drawn thick
  EXPECT_EQ(display().Trace().live_levels[100], -40);
  EXPECT_EQ(display().Trace().live_levels[300], -35);
  EXPECT_EQ(spectrogram_paints.paints, spectrogram_before + 1);
  EXPECT_FALSE(spectrogram.HasPendingCopy());
  // A frame without news paints nothing, and the clock goes idle again.
  clock_.Advance(3 * kFramePeriodMs);
  QApplication::processEvents();
  EXPECT_EQ(seen.size(), 2u);
  block(250, 250, -45);
  EXPECT_EQ(seen.size(), 3u);
  paints_.on_paint = nullptr;
}

// The graph is painted straight into the window's pixels: what the screen shows is the
// painter's picture wherever no side-panel tab lies over it, and the tabs keep their own
// pixels however many frames are painted under them.
TEST_F(DisplayTest, TheScreenShowsThePaintersPictureAndTheTabsOverIt) {
  // The part of the view on the (small) offscreen screen, from the view's top left.
  auto screen = [&] { return GrabScreenArea(display()).convertToFormat(QImage::Format_RGB32); };
  QApplication::processEvents();
  const QImage first = screen();
  ASSERT_GT(first.width(), 600);
  ASSERT_GT(first.height(), 600);
  const QRect seen(QPoint(0, 0), first.size());
  QRegion tabs;
  for (const CTabDialog* tab : display().findChildren<CTabDialog*>(Qt::FindDirectChildrenOnly)) {
    if (tab->isVisible()) tabs += tab->mask().translated(tab->pos()) & seen;
  }
  ASSERT_FALSE(tabs.isEmpty());

  std::vector<int16_t> levels(1001, -90);
  for (int frame = 0; frame < 3; ++frame) {
    for (int i = 0; i < 1001; ++i) levels[i] = static_cast<int16_t>(-95 + (i * 7 + frame * 13) % 60);
    Sweep(levels);
    clock_.Advance(kFramePeriodMs);
    QApplication::processEvents();
  }
  QImage expected;
  ASSERT_TRUE(display().PaintPicture(expected));
  const QImage now = screen();
  int compared = 0;
  for (int y = 0; y < now.height(); y += 2) {
    for (int x = 0; x < now.width(); x += 2) {
      const QRgb want = tabs.contains(QPoint(x, y)) ? first.pixel(x, y) : expected.pixel(x, y);
      ASSERT_EQ(now.pixel(x, y), want) << x << "," << y;
      ++compared;
    }
  }
  EXPECT_GT(compared, 100000);
}

// With no sweep arriving after the first, a click shows the marker's reading of its new point
// at once, and the pointer's read-out follows the pointer and goes when it leaves the graph.
TEST_F(DisplayTest, ClicksAndThePointerShowAtOnceWithoutSweeps) {
  std::vector<int16_t> levels(1001, -60);
  levels[200] = -42;
  levels[600] = -71;
  Sweep(levels);
  MarkerRecord& m = display().Trace().markers[0];
  display().State().current_marker = 1;
  m.a_enabled = 1;
  QApplication::processEvents();
  clock_.Advance(kFramePeriodMs);
  int before = paints_.paints;
  Send(QEvent::MouseButtonPress, QPoint(40, 100), Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::MouseButtonPress, QPoint(300, 700), Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::MouseButtonPress, QPoint(300, 100), Qt::RightButton, Qt::RightButton);
  EXPECT_EQ(m.a_placed, 0);
  Send(QEvent::MouseButtonPress, QPoint(248, 100), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(m.a_point, 200);
  Send(QEvent::MouseButtonPress, QPoint(625, 100), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(m.a_point, 600);
  clock_.Advance(kFramePeriodMs);
  EXPECT_GT(paints_.paints, before);
  QStringList texts = PaintedTexts(display());
  EXPECT_TRUE(texts.contains("2430.00 MHz"));
  EXPECT_TRUE(texts.contains("-71.00 dBm"));
  EXPECT_FALSE(texts.contains("2410.00 MHz"));

  before = paints_.paints;
  Send(QEvent::MouseMove, QPoint(248, 300), Qt::NoButton, Qt::NoButton);
  clock_.Advance(kFramePeriodMs);
  EXPECT_GT(paints_.paints, before);
  EXPECT_TRUE(PaintedTexts(display()).contains("2410.00MHz"));
  before = paints_.paints;
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&display(), &leave);
  clock_.Advance(kFramePeriodMs);
  EXPECT_GT(paints_.paints, before);
  EXPECT_FALSE(PaintedTexts(display()).contains("2410.00MHz"));
}

TEST_F(DisplayTest, ContextMenuHasChannelsOnlyInSelectionModeWithChecksOnActiveChannels) {
  const QStringList peak_items{"Marker to Peak\tP", "Next Peak\tN", "Marker to Frequency...\tF"};
  Choose(QStringLiteral("Channel 1"));
  EXPECT_EQ(shown_, peak_items);  // outside selection mode only the peak commands
  EXPECT_FALSE(ChannelActive(display().Trace().channels[0]));

  view_.OnCommand(kCmdSelectDisplay);
  Drag(QPoint(248, 100), QPoint(624, 300));
  Choose(QStringLiteral("Channel 2"));
  EXPECT_EQ(shown_, (QStringList{"Channel 1", "Channel 2", "Channel 3", "Channel 4", "Clear All",
                                 "Clear Selection", ""} +
                     peak_items));
  EXPECT_TRUE(checked_.isEmpty());
  const ChannelRecord& c = display().Trace().channels[1];
  EXPECT_EQ(c.channel_number, 2);
  EXPECT_EQ(c.x1, 248);
  EXPECT_EQ(c.x2, 624);
  EXPECT_FALSE(display().AreaSelected());

  Choose(QString());  // dismissed
  EXPECT_EQ(checked_, QStringList{"Channel 2"});
  EXPECT_EQ(c.channel_number, 2);

  Choose(QStringLiteral("Channel 2"));
  EXPECT_EQ(c.channel_number, 0);

  Choose(QStringLiteral("Channel 4"));
  Choose(QStringLiteral("Channel 1"));
  Choose(QStringLiteral("Clear All"));
  EXPECT_EQ(checked_, (QStringList{"Channel 1", "Channel 4"}));
  for (const ChannelRecord& ch : display().Trace().channels) EXPECT_FALSE(ChannelActive(ch));

  Drag(QPoint(248, 100), QPoint(624, 300));
  Choose(QStringLiteral("Clear Selection"));
  EXPECT_FALSE(display().AreaSelected());
}

TEST_F(DisplayTest, ToolbarZoomSendsTheSelectionAndEnablesZoomOut) {
  EXPECT_FALSE(CommandEnabled(kCmdZoomIn, view_.Flags()));
  EXPECT_FALSE(CommandEnabled(kCmdZoomOut, view_.Flags()));
  view_.OnCommand(kCmdSelectDisplay);
  Drag(QPoint(248, 100), QPoint(624, 300));
  ASSERT_TRUE(CommandEnabled(kCmdZoomIn, view_.Flags()));

  link_.sent.clear();
  view_.OnCommand(kCmdZoomIn);
  ASSERT_FALSE(link_.sent.empty());
  EXPECT_EQ(link_.sent.front(), (Bytes{0x04, 0x48, 0xBC, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x01,
                                       0x00, 0x40, 0x06}));
  EXPECT_EQ(display().ZoomDepth(), 1);
  EXPECT_FALSE(view_.Flags().area_selected);
  EXPECT_EQ(view_.Flags().zoom_depth, 1);
  EXPECT_TRUE(CommandEnabled(kCmdZoomOut, view_.Flags()));

  link_.sent.clear();
  view_.OnCommand(kCmdZoomOut);
  ASSERT_FALSE(link_.sent.empty());
  EXPECT_EQ(link_.sent.front(), (Bytes{0x04, 0x80, 0xBB, 0x00, 0x00, 0xE9, 0x03, 0x00, 0x00, 0x01,
                                       0x00, 0x40, 0x06}));
  EXPECT_EQ(display().ZoomDepth(), 0);
  EXPECT_TRUE(view_.Flags().area_selected);
  EXPECT_FALSE(CommandEnabled(kCmdZoomOut, view_.Flags()));
}

// Zooming out shows the area the level was zoomed from, not one marked since on the narrower
// span; leaving selection mode or a plain click outside it takes the box and its texts away.
TEST_F(DisplayTest, ASelectionShownAfterZoomingOutGoesWithSelectionModeOrAClick) {
  const auto box_drawn = [this] {
    QImage picture;
    EXPECT_TRUE(display().PaintPicture(picture));
    return picture.pixelColor(430, 200) == QColor(84, 73, 92);
  };
  // New settings stop the picture until the Receiver's next sweep.
  const auto zoom = [this](int command) {
    view_.OnCommand(command);
    Sweep();
  };
  view_.OnCommand(kCmdSelectDisplay);
  Drag(QPoint(248, 100), QPoint(624, 300));
  EXPECT_TRUE(box_drawn());
  zoom(kCmdZoomIn);
  EXPECT_FALSE(box_drawn());
  Drag(QPoint(700, 400), QPoint(900, 500));  // on the zoomed span
  zoom(kCmdZoomOut);
  EXPECT_EQ(display().State().selection.start_x, 248);
  EXPECT_TRUE(box_drawn());
  EXPECT_TRUE(PaintedTexts(display()).contains("2410.00 MHz"));

  view_.OnCommand(kCmdSelectDisplay);  // leaves selection mode
  EXPECT_FALSE(display().SelectionMode());
  EXPECT_FALSE(view_.Flags().area_selected);
  EXPECT_FALSE(box_drawn());
  EXPECT_FALSE(PaintedTexts(display()).contains("2410.00 MHz"));

  view_.OnCommand(kCmdSelectDisplay);
  Drag(QPoint(248, 100), QPoint(624, 300));
  zoom(kCmdZoomIn);
  view_.OnCommand(kCmdSelectDisplay);
  zoom(kCmdZoomOut);
  ASSERT_TRUE(box_drawn());
  Send(QEvent::MouseButtonPress, QPoint(800, 500), Qt::LeftButton, Qt::LeftButton);
  EXPECT_FALSE(view_.Flags().area_selected);
  EXPECT_FALSE(box_drawn());
}

TEST_F(DisplayTest, TracePagesRepaintTheGraphWithoutWaitingForASweep) {
  QApplication::processEvents();
  auto* average = dynamic_cast<CScrAvgDialog*>(display().Panels().Page("Scr Avg"));
  auto* colour = dynamic_cast<CTraceAdjustment*>(display().Panels().Page("Trace Colour"));
  auto* peak = dynamic_cast<CPeakHoldTraceDialog*>(display().Panels().Page("Peak Hold"));
  ASSERT_TRUE(average && colour && peak);
  for (QAbstractButton* button :
       {static_cast<QAbstractButton*>(average->HideTraceBox()),
        static_cast<QAbstractButton*>(colour->HideTraceBox()),
        static_cast<QAbstractButton*>(peak->TraceBox(0))}) {
    paints_.paints = 0;
    button->click();
    QApplication::processEvents();
    EXPECT_GE(paints_.paints, 1) << button->text().toStdString();
  }
}

// Markers, the read-out and channels read the points drawn under them; the low-battery warning
// counts with the real countdown; the trigger legend shows the threshold sent; a Receiver gone
// quiet says so on the graph and in the status bar until data returns, as a wait in trigger mode
// and as a fault otherwise.
TEST_F(DisplayTest, ReadingsAreThoseOfTheDrawnPointsAndASilentReceiverIsReported) {
  const GraphGeometry g = display().Geometry();
  std::vector<int16_t> levels(1001, -90);
  for (int i = 400; i <= 420; ++i) levels[i] = -30;  // a carrier at 2420 ... 2421 MHz
  MarkerRecord& m = display().Trace().markers[0];
  display().State().current_marker = 1;
  m.a_enabled = 1;
  Send(QEvent::MouseButtonPress, QPoint(g.X(1000), 100), Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::MouseMove, QPoint(g.X(1000), 100), Qt::NoButton, Qt::NoButton);
  view_.OnCommand(kCmdSelectDisplay);
  Drag(QPoint(g.X(425), 100), QPoint(g.X(1000), 300));  // the noise right of the carrier
  Choose(QStringLiteral("Channel 1"));
  Sweep(levels, kStatusLowBattery);
  clock_.Advance(3000);

  const QStringList texts = PaintedTexts(display());
  EXPECT_EQ(m.a_point, 1000);
  EXPECT_TRUE(texts.contains("2450.00 MHz")) << texts.join('|').toStdString();  // marker
  EXPECT_TRUE(texts.contains("-90.00 dBm"));
  EXPECT_TRUE(texts.contains("2450.00MHz"));  // the read-out beside it
  // 576 points of 1 pW: -90 + 10 log10(576) = -62.40 dBm.
  EXPECT_TRUE(texts.contains("Ch # 1: -62.40 dBm")) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.filter("terminate after 27 seconds").size() == 1) << texts.join('|').toStdString();

  // The threshold the Receiver was given, whichever way trigger mode came about.
  view_.Connection().State().trigger_threshold = -45;
  ASSERT_TRUE(view_.Connection().Ops().StartPowerTrigger());
  Sweep(levels, 0, kMsgTriggerSweep);
  EXPECT_TRUE(PaintedTexts(display()).contains("Trigger Power: -45 dBm"));

  // No trigger for 17 s, after a spectrum sweep still on its way: the Receiver is waiting.
  QSignalSpy messages(&display(), &CDisplay::StatusPaneTextChanged);
  Sweep();
  clock_.Advance(17000);
  const QStringList waiting = PaintedTexts(display());
  EXPECT_TRUE(waiting.contains("Waiting for trigger: 16 s")) << waiting.join('|').toStdString();
  EXPECT_TRUE(waiting.filter("No data").isEmpty());
  EXPECT_EQ(messages.back().at(1).toString(), "Waiting for trigger: 16 s");

  // Back to spectrum mode and sweeps, then silence: nothing for five whole seconds is a fault,
  // not a quiet band.
  display().Panels().Trigger()->StopTrigger();
  EXPECT_EQ(display().State().silent_seconds, 0);
  Sweep();
  clock_.Advance(5000);
  EXPECT_EQ(display().State().silent_seconds, 0);
  clock_.Advance(2000);
  EXPECT_EQ(display().State().silent_seconds, 6);
  EXPECT_TRUE(PaintedTexts(display()).contains("No data from the Receiver for 6 s"));
  ASSERT_FALSE(messages.isEmpty());
  EXPECT_EQ(messages.back().at(0).toInt(), kPaneMessage);
  EXPECT_EQ(messages.back().at(1).toString(), "No data from the Receiver for 6 s");
  Sweep();
  EXPECT_EQ(display().State().silent_seconds, 0);
  EXPECT_EQ(messages.back().at(1).toString(), QString());
  EXPECT_FALSE(PaintedTexts(display()).filter("No data").size() > 0);
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// From an accepted setting to its first sweep the graph shows the grid, the axis of the setting
// sent and the wait, at any size; in power-trigger mode the wait counts from the trigger's set.
TEST_F(DisplayTest, NewSettingShowsItsGridAndTheWaitUntilItsFirstSweep) {
  CConnectionOps& ops = view_.Connection().Ops();
  ops.State().working = SpectrumSettings{52000, 400, 1, 800};
  ASSERT_TRUE(ops.SendSpectrumSettings(ops.State().working));
  for (const QSize size : {QSize(1100, 800), QSize(700, 450)}) {
    view_.resize(size);
    QImage picture;
    LegendTexts log;
    ASSERT_TRUE(display().PaintPicture(picture, &log)) << size.width();
    EXPECT_EQ(picture.size(), display().size());
    const std::string all = log.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(log.texts.contains("Waiting for the first sweep")) << all;
    EXPECT_TRUE(log.texts.contains("Mode: Spectrum Sweep")) << all;
    EXPECT_TRUE(log.texts.contains("2600")) << all;  // the axis's start
    EXPECT_TRUE(log.texts.contains("-20")) << all;   // the reference line
  }
  Sweep();
  EXPECT_FALSE(PaintedTexts(display()).contains("Waiting for the first sweep"));

  ASSERT_TRUE(ops.StartPowerTrigger());
  EXPECT_TRUE(PaintedTexts(display()).contains("Waiting for trigger: 0 s"));
  // The legend names the mode asked for, not "None", before its first trigger.
  EXPECT_TRUE(PaintedTexts(display()).contains("Mode: Power Trigger"));
  clock_.Advance(3000);
  EXPECT_TRUE(PaintedTexts(display()).contains("Waiting for trigger: 3 s"));
  Sweep(std::vector<int16_t>(1001, -60), 0, kMsgTriggerSweep);
  EXPECT_TRUE(PaintedTexts(display()).filter("Waiting").isEmpty());

  // A closed link ends the wait: no sweep comes over it.
  ASSERT_TRUE(ops.SendSpectrumSettings(ops.State().working));
  ops.CloseLink();
  QImage picture;
  EXPECT_FALSE(display().PaintPicture(picture));
}

}  // namespace
}  // namespace qv
