#include "gui/display/display.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QStringList>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/display/channels.h"
#include "gui/app/form_view.h"
#include "gui/display/trace_pages.h"
#include "gui/link/connection_sheet.h"
#include "gui/ui/side_panels.h"
#include "support/fake_link.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

// The view fills 1100 x 800, so the mouse rectangle ends at x 1000 and y 600; a sweep of
// 1001 points from 2400 MHz puts 2410 MHz at x 248 and 2430 MHz at x 624.
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

  // One whole sweep of 1001 points at -60 dBm, as the Receiver sends it.
  void Sweep() {
    SweepHeader h;
    h.start = 48000;
    h.points = 1001;
    h.block_frequency = 48000;
    const std::vector<int16_t> levels(1001, -60 * 16);
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

TEST_F(DisplayTest, SelectionDragIsKeptButDrawnOnlyByTheNextSweep) {
  view_.OnCommand(kCmdSelectDisplay);
  ASSERT_TRUE(display().SelectionMode());
  QApplication::processEvents();
  const int before = paints_.paints;

  Drag(QPoint(248, 100), QPoint(624, 300));
  QApplication::processEvents();
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
  QApplication::processEvents();
  EXPECT_EQ(paints_.paints, before);

  Sweep();
  EXPECT_GT(paints_.paints, before);
}

TEST_F(DisplayTest, ClicksPlaceMarkersOnlyInsideThePlot) {
  MarkerRecord& m = display().Trace().markers[0];
  display().State().current_marker = 1;
  m.a_enabled = 1;
  QApplication::processEvents();
  const int before = paints_.paints;
  Send(QEvent::MouseButtonPress, QPoint(40, 100), Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::MouseButtonPress, QPoint(300, 700), Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::MouseButtonPress, QPoint(300, 100), Qt::RightButton, Qt::RightButton);
  EXPECT_EQ(m.a_placed, 0);
  Send(QEvent::MouseButtonPress, QPoint(248, 100), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(m.a_placed, 1);
  EXPECT_EQ(m.a_point, 200);
  QApplication::processEvents();
  EXPECT_EQ(paints_.paints, before);
}

TEST_F(DisplayTest, ContextMenuOnlyInSelectionModeWithChecksOnActiveChannels) {
  Choose(QStringLiteral("Channel 1"));
  EXPECT_TRUE(shown_.isEmpty());  // no menu outside selection mode
  EXPECT_FALSE(ChannelActive(display().Trace().channels[0]));

  view_.OnCommand(kCmdSelectDisplay);
  Drag(QPoint(248, 100), QPoint(624, 300));
  Choose(QStringLiteral("Channel 2"));
  EXPECT_EQ(shown_, (QStringList{"Channel 1", "Channel 2", "Channel 3", "Channel 4", "Clear All",
                                 "Clear Selection"}));
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

}  // namespace
}  // namespace qv
