#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPrinter>
#include <QRadioButton>
#include <QPushButton>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <array>
#include <fstream>
#include <memory>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/record/log_format.h"
#include "gui/app/about_dialog.h"
#include "gui/app/app_settings.h"
#include "gui/app/form_view.h"
#include "gui/app/main_frame.h"
#include "gui/app/page_setup_dialog.h"
#include "gui/app/manual_window.h"
#include "core/ui/command_keys.h"
#include "gui/app/radio_alert_dialog.h"
#include "gui/app/toolbar_icons.h"
#include "core/display/colour_map.h"
#include "core/display/spectrogram_axes.h"
#include "core/display/spectrogram_history.h"
#include "gui/display/display.h"
#include "gui/display/spectrogram_dialog.h"
#include "gui/display/waterfall.h"
#include "gui/record/time_marker_dialog.h"
#include "core/record/log_format.h"
#include "gui/link/connection_sheet.h"
#include "gui/ui/side_panels.h"
#include "gui/ui/tab_dialog.h"
#include "support/fake_timeline_source.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

using Enabled = std::array<bool, kToolbarButtons>;

class MainFrameTest : public ::testing::Test {
 protected:
  std::unique_ptr<CMainFrame> MakeFrame(bool tablet = false) {
    return std::make_unique<CMainFrame>(clock_, alerts_, tablet, settings_);
  }

  static Enabled EnabledActions(const CMainFrame& frame) {
    Enabled out{};
    for (int i = 0; i < kToolbarButtons; ++i) out[i] = frame.CommandAction(i)->isEnabled();
    return out;
  }

  static QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
      if (!action->isSeparator()) texts << action->text();
    }
    return texts;
  }

  static QAction* MenuAction(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
      if (action->text() == text) return action;
    }
    return nullptr;
  }

  // 2400 MHz to 2450 MHz, 0.5 MHz apart, 101 points at -90 dBm (levels in 1/16 dBm).
  static TraceData& FlatSweep(CDisplay& display) {
    TraceData& t = display.Trace();
    t.header.start = 48000;
    t.header.sweep_word = 10;
    t.header.points = 101;
    t.points_received = 101;
    std::fill(t.live_sixteenths.begin(), t.live_sixteenths.begin() + 101, int16_t{-90 * 16});
    return t;
  }

  QTemporaryDir dir_;
  AppSettings settings_{dir_.filePath(QStringLiteral("settings.ini"))};
  ManualClock clock_;
  RecordingAlerts alerts_;
};

TEST_F(MainFrameTest, TitleAndAboutFollowTheEdition) {
  auto desktop = MakeFrame(false);
  EXPECT_EQ(desktop->windowTitle(), QStringLiteral("Tolvex PC based Spectrum Analyzer"));
  CAboutDialog* about = desktop->OpenAbout();
  EXPECT_EQ(about->Text(), QStringLiteral("Tolvex PC based Spectrum Analyzer: v 2.1"));
  EXPECT_TRUE(about->isModal());
  about->close();

  auto tablet = MakeFrame(true);
  EXPECT_EQ(tablet->windowTitle(), QStringLiteral("Quorvalin Tablet PC Edition"));
  about = tablet->OpenAbout();
  EXPECT_EQ(about->Text(), QStringLiteral("Quorvalin Tablet PC Edition: v 1.1"));
  about->close();

  EXPECT_TRUE(CMainFrame::DetectTabletMode(true));
}

TEST_F(MainFrameTest, StartUpAlertFollowsTheSetting) {
  auto frame = MakeFrame();
  // Absent, 0 and any other value than 1 show it.
  CDisableRadioAlertDialog* dialog = frame->OpenRadioAlertAtStartup();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->isModal());
  dialog->CheckBox()->click();
  dialog->OkButton()->click();
  EXPECT_EQ(settings_.RadioAlertValue(), 1);

  EXPECT_EQ(frame->OpenRadioAlertAtStartup(), nullptr);

  settings_.SetRadioAlertValue(2);
  dialog = frame->OpenRadioAlertAtStartup();
  ASSERT_NE(dialog, nullptr);
  dialog->close();
}

TEST_F(MainFrameTest, WarningsShowsTheAlertEvenWhenSwitchedOff) {
  settings_.SetRadioAlertValue(1);
  auto frame = MakeFrame();
  QAction* warnings = MenuAction(frame->FileMenu(), QStringLiteral("Warnings"));
  ASSERT_NE(warnings, nullptr);
  warnings->trigger();
  const auto dialogs = frame->findChildren<CDisableRadioAlertDialog*>();
  ASSERT_EQ(dialogs.size(), 1);
  EXPECT_TRUE(dialogs[0]->isVisible());
  EXPECT_TRUE(dialogs[0]->CheckBox()->isChecked());
  dialogs[0]->close();
}

TEST_F(MainFrameTest, ToolbarEnableRulesAgainstTheState) {
  auto frame = MakeFrame();
  // Buttons: connect, snapshot, select, zoom in, zoom out, log, replay/pause, stop, forward,
  // rewind, print, spectrogram, histogram, capture.
  frame->RefreshToolbar(ViewFlags{}, ToolbarState{});
  EXPECT_EQ(EnabledActions(*frame), (Enabled{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));

  ViewFlags live;
  live.connected = true;
  live.sweeps_arriving = true;
  frame->RefreshToolbar(live, ToolbarState{});
  EXPECT_EQ(EnabledActions(*frame), (Enabled{1, 1, 1, 0, 0, 1, 1, 0, 0, 0, 1, 1, 1, 1}));

  ViewFlags recording = live;
  recording.recording = true;
  recording.area_selected = true;
  recording.zoom_in_available = true;
  recording.zoom_depth = 1;
  frame->RefreshToolbar(recording, ToolbarState{});
  EXPECT_EQ(EnabledActions(*frame), (Enabled{1, 1, 1, 1, 1, 1, 0, 1, 0, 0, 1, 1, 1, 1}));

  ViewFlags capture = recording;
  capture.recording = false;
  capture.capture_ready = true;
  frame->RefreshToolbar(capture, ToolbarState{});
  EXPECT_EQ(EnabledActions(*frame), (Enabled{1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1}));

  ViewFlags playing;
  playing.playing_back = true;
  playing.area_selected = true;
  playing.zoom_in_available = true;
  playing.zoom_depth = 2;
  ToolbarState pausable;
  pausable.ShowPlaying();
  frame->RefreshToolbar(playing, pausable);
  EXPECT_EQ(EnabledActions(*frame), (Enabled{0, 1, 1, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(frame->CommandAction(6)->data().toInt(), kCmdPause);
}

TEST_F(MainFrameTest, ToolbarFollowsTheViewWhenItSaysTheFlagsChanged) {
  auto frame = MakeFrame();
  EXPECT_FALSE(frame->CommandAction(1)->isEnabled());
  frame->View().Connection().State().connected = 1;
  emit frame->View().ToolbarChanged();
  EXPECT_TRUE(frame->CommandAction(1)->isEnabled());
  EXPECT_TRUE(frame->CommandAction(11)->isEnabled());
}

TEST_F(MainFrameTest, ButtonsShowPromptsAndIdlePictures) {
  auto frame = MakeFrame();
  for (int i = 0; i < kToolbarButtons; ++i) EXPECT_EQ(frame->ActionImage(i), i);
  QAction* connect = frame->CommandAction(0);
  EXPECT_EQ(connect->statusTip(), QStringLiteral("Establish Connection"));
  EXPECT_EQ(connect->toolTip(),
            QStringLiteral("Establish a connection between the PC and Quorvalin Receiver (Ctrl+E)"));

  // Every picture is drawn and no two are alike.
  QSet<QByteArray> seen;
  for (int i = 0; i < kToolbarImages; ++i) {
    const QImage image = ToolbarImage(i);
    seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                           static_cast<int>(image.sizeInBytes())));
  }
  EXPECT_EQ(seen.size(), kToolbarImages);
}

TEST_F(MainFrameTest, StopResetsTheFourSwappedButtons) {
  auto frame = MakeFrame();
  const auto pixels = [&](int position) {
    return frame->CommandAction(position)->icon().pixmap(kToolbarImageSize).toImage();
  };
  ToolbarState state;
  state.ShowSelectionMode(true);
  state.ShowPlaying();
  state.ShowFastForward(true);
  ViewFlags playing;
  playing.playing_back = true;
  frame->RefreshToolbar(playing, state);
  EXPECT_EQ(frame->ActionImage(2), 14);
  EXPECT_EQ(frame->ActionImage(6), 15);
  EXPECT_EQ(frame->CommandAction(6)->toolTip(), QStringLiteral("Pause the Playback (Space)"));
  EXPECT_EQ(frame->ActionImage(8), 16);
  EXPECT_EQ(pixels(8), ToolbarImage(16).convertToFormat(pixels(8).format()));

  state.ShowFastRewind(true);
  frame->RefreshToolbar(playing, state);
  EXPECT_EQ(frame->ActionImage(8), 8);
  EXPECT_EQ(frame->ActionImage(9), 17);

  state.ShowStopped();
  frame->RefreshToolbar(ViewFlags{}, state);
  const std::array<std::pair<int, int>, 4> idle = {
      {{2, kCmdSelectDisplay}, {6, kCmdReplay}, {8, kCmdFastForward}, {9, kCmdFastRewind}}};
  for (const auto& [position, command] : idle) {
    SCOPED_TRACE(position);
    EXPECT_EQ(frame->CommandAction(position)->data().toInt(), command);
    EXPECT_EQ(frame->ActionImage(position), position);
    EXPECT_EQ(pixels(position), ToolbarImage(position).convertToFormat(pixels(position).format()));
  }
  EXPECT_EQ(frame->CommandAction(6)->toolTip(),
            QStringLiteral("Replays a previously Logged File (Ctrl+R)"));
}

TEST_F(MainFrameTest, RunningTimeCountsFromTheHandshake) {
  auto frame = MakeFrame();
  clock_.Advance(5000);
  EXPECT_EQ(frame->PaneText(kPaneRunningTime), QStringLiteral("Running Time: 0 mins, 0 secs"));

  emit frame->View().HandshakeCompleted();
  clock_.Advance(1000);
  EXPECT_EQ(frame->PaneText(kPaneRunningTime), QStringLiteral("Running Time: 0 mins 1 secs"));
  // A second completion (a reconnection) must not start a second clock.
  emit frame->View().HandshakeCompleted();
  clock_.Advance(59000);
  EXPECT_EQ(frame->PaneText(kPaneRunningTime), QStringLiteral("Running Time: 1 mins 0 secs"));

  // Stopped by playback and started by the next connection, it goes on from where it was.
  emit frame->View().RunningClockStopped();
  clock_.Advance(30000);
  EXPECT_EQ(frame->PaneText(kPaneRunningTime), QStringLiteral("Running Time: 1 mins 0 secs"));
  emit frame->View().HandshakeCompleted();
  clock_.Advance(1000);
  EXPECT_EQ(frame->PaneText(kPaneRunningTime), QStringLiteral("Running Time: 1 mins 1 secs"));
}

TEST_F(MainFrameTest, RecentFilesKeepTheLastFourNewestFirst) {
  auto frame = MakeFrame();
  QAction* placeholder = MenuAction(frame->FileMenu(), QStringLiteral("Recent File"));
  ASSERT_NE(placeholder, nullptr);
  EXPECT_FALSE(placeholder->isEnabled());

  for (const char* name : {"a.kzq", "b.kzq", "c.kzq", "d.kzq", "e.kzq"}) {
    frame->AddRecentFile(dir_.filePath(QString::fromLatin1(name)));
  }
  frame->AddRecentFile(dir_.filePath(QStringLiteral("c.kzq")));  // moves up, no repeat

  const QStringList expected = {dir_.filePath(QStringLiteral("c.kzq")),
                                dir_.filePath(QStringLiteral("e.kzq")),
                                dir_.filePath(QStringLiteral("d.kzq")),
                                dir_.filePath(QStringLiteral("b.kzq"))};
  EXPECT_EQ(AppSettings(dir_.filePath(QStringLiteral("settings.ini"))).RecentFiles(), expected);

  const QStringList texts = MenuTexts(frame->FileMenu());
  EXPECT_FALSE(texts.contains(QStringLiteral("Recent File")));
  EXPECT_THAT(texts.mid(0, 4),
              ::testing::ElementsAre(QStringLiteral("&1 ") + expected[0],
                                     QStringLiteral("&2 ") + expected[1],
                                     QStringLiteral("&3 ") + expected[2],
                                     QStringLiteral("&4 ") + expected[3]));
  EXPECT_THAT(texts.mid(4), ::testing::ElementsAre(QStringLiteral("&Print...\tCtrl+P"),
                                                   QStringLiteral("Print Pre&view"),
                                                   QStringLiteral("Print Set&up..."),
                                                   QStringLiteral("Print Color Options"),
                                                   QStringLiteral("Warnings"),
                                                   QStringLiteral("Show Time Marker Dialog"),
                                                   QStringLiteral("Export &Traces..."),
                                                   QStringLiteral("E&xit")));

  QString chosen;
  QObject::connect(frame.get(), &CMainFrame::RecentFileChosen,
                   [&](const QString& path) { chosen = path; });
  MenuAction(frame->FileMenu(), texts[1])->trigger();
  EXPECT_EQ(chosen, expected[1]);
  // It is not there: it leaves the list, with a word.
  ASSERT_EQ(alerts_.shown.size(), 1u);
  EXPECT_EQ(alerts_.shown[0].text,
            expected[1].toStdString() + " is no longer there; it is taken off the recent files.");
  EXPECT_EQ(frame->RecentFiles(), (QStringList{expected[0], expected[2], expected[3]}));
  EXPECT_EQ(MenuTexts(frame->FileMenu())[1], QStringLiteral("&2 ") + expected[2]);
}

// The logs and capture files recorded, played or reviewed go on the list; choosing one plays
// the log or reviews the captures. A scripted run leaves the list alone.
TEST_F(MainFrameTest, RecentFilesAreTheLogsAndCapturesUsedAndOpenAgainFromTheMenu) {
  auto frame = MakeFrame();
  CDisplay& display = frame->View().Display();
  const QString log = dir_.filePath(QStringLiteral("played.kzq"));
  {
    std::ofstream out(log.toStdString(), std::ios::binary);
    const Bytes header = BuildHeaderRecord({}, {}, {});
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  }
  const QString captures = dir_.filePath(QStringLiteral("marks.icf"));
  const QString recorded = dir_.filePath(QStringLiteral("recorded.kzq"));
  ASSERT_TRUE(frame->View().ReplayFile(log.toStdString()));
  ASSERT_TRUE(display.Recorder().CreateCaptureFile(captures.toStdString()));
  frame->View().OnCommand(kCmdStop);
  ASSERT_TRUE(display.Recorder().StartLog(recorded.toStdString()));
  frame->View().OnCommand(kCmdStop);
  EXPECT_EQ(frame->RecentFiles(), (QStringList{recorded, captures, log}));

  MenuAction(frame->FileMenu(), QStringLiteral("&3 ") + log)->trigger();
  EXPECT_TRUE(display.Recorder().PlayingBack());
  EXPECT_EQ(frame->RecentFiles(), (QStringList{log, recorded, captures}));
  MenuAction(frame->FileMenu(), QStringLiteral("&3 ") + captures)->trigger();
  EXPECT_FALSE(display.Recorder().PlayingBack());
  EXPECT_TRUE(display.Recorder().Captures().Reviewing());
  EXPECT_EQ(frame->RecentFiles().first(), captures);

  frame->SetRecentFilesKept(false);
  ASSERT_TRUE(frame->View().ReplayFile(recorded.toStdString()));
  EXPECT_EQ(frame->RecentFiles(), (QStringList{captures, log, recorded}));
  EXPECT_TRUE(alerts_.shown.empty());
}

// Print Setup on the PDF printer: no page set-up of Qt's that refuses it on the console, but
// the paper and orientation, which reach the printer on OK.
TEST_F(MainFrameTest, PrintSetupOfAPdfPrinterSetsPaperAndOrientationQuietly) {
  static QStringList messages;
  messages.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { messages << text; });
  auto frame = MakeFrame();
  frame->Printer().setOutputFormat(QPrinter::PdfFormat);
  auto* setup = qobject_cast<CPageSetupDialog*>(frame->PrintSetup());
  qInstallMessageHandler(previous);
  ASSERT_NE(setup, nullptr);
  EXPECT_TRUE(messages.filter(QStringLiteral("QPageSetupDialog")).isEmpty());
  setup->PaperBox()->setCurrentIndex(setup->PaperBox()->findText(QStringLiteral("A5")));
  setup->LandscapeButton()->click();
  setup->accept();
  EXPECT_EQ(frame->Printer().pageLayout().pageSize().id(), QPageSize::A5);
  EXPECT_EQ(frame->Printer().pageLayout().orientation(), QPageLayout::Landscape);
}

TEST_F(MainFrameTest, ViewMenuListsThePanelsAndReopensAClosedOneInItsPlace) {
  auto frame = MakeFrame();
  frame->show();
  CSidePanels& panels = frame->View().Display().Panels();
  QMenu* view = frame->ViewMenu();
  // The 5 GHz pages come later, with the Receiver's bands; the menu lists them when it opens.
  panels.AddPresetPages(103000);
  emit view->aboutToShow();
  EXPECT_EQ(MenuTexts(view), (QStringList{"Freq Control", "Trigger", "Reference Level",
                                          "Resolution", "Markers", "Peak Hold", "Trace Colour",
                                          "Scr Avg", "Video Avg", "Limits", "802.11A", "UNII",
                                          "Frequency Axis", "Colour Map", "Density",
                                          "Density Persistence", "Channels", "Channel Threshold", "Channel Span",
                                          "Marker to &Peak",
                                          "&Next Peak",
                                          "Marker to &Frequency..."}));
  // Without a close box on its tab, it is still closed and reopened from the menu.
  QAction* trigger = MenuAction(view, "Trigger");
  EXPECT_TRUE(trigger->isChecked());
  EXPECT_TRUE(trigger->isEnabled());
  trigger->trigger();
  EXPECT_TRUE(panels.Page("Trigger")->IsClosed());
  emit view->aboutToShow();
  EXPECT_FALSE(MenuAction(view, "Trigger")->isChecked());
  MenuAction(view, "Trigger")->trigger();
  EXPECT_FALSE(panels.Page("Trigger")->IsClosed());
  EXPECT_TRUE(panels.Page("Trigger")->isVisible());

  // Closed with its close box, and the window resized while it is gone.
  CTabDialog* markers = panels.Page("Markers");
  QTest::mousePress(markers, Qt::LeftButton, Qt::NoModifier, markers->CloseBox().center());
  ASSERT_FALSE(markers->isVisible());
  frame->resize(1024, 768);
  QApplication::processEvents();
  emit view->aboutToShow();
  QAction* item = MenuAction(view, "Markers");
  EXPECT_FALSE(item->isChecked());

  item->trigger();
  EXPECT_TRUE(markers->isVisible());
  EXPECT_FALSE(markers->IsClosed());
  // Behind its tab, right above the tab of the page below it, and sliding again.
  const CTabDialog* below = panels.Page("Resolution");
  EXPECT_TRUE(markers->IsHidden());
  EXPECT_EQ(markers->y() + markers->height(), below->y() + below->height() - below->TabLength());
  EXPECT_TRUE(markers->HoverTimerActive());

  // Unchecking closes a page as its close box does.
  emit view->aboutToShow();
  MenuAction(view, "UNII")->trigger();
  EXPECT_TRUE(panels.Page("UNII")->IsClosed());
  EXPECT_FALSE(panels.Page("UNII")->isVisible());
}

// The peak commands from the keys, the context menu and the frequency dialog, and the
// frequency axis switch remembered for the next start.
TEST_F(MainFrameTest, PeakSearchFromKeysAndMenuAndTheAxisSwitchRemembered) {
  auto frame = MakeFrame();
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  CDisplay& display = frame->View().Display();
  TraceData& t = FlatSweep(display);
  // Peaks at 30 (-20 dBm) and 70 (-35); a shoulder at 68 (-39) stands only 2 dB above the -41
  // between it and the peak.
  t.live_sixteenths[30] = -20 * 16;
  t.live_sixteenths[70] = -35 * 16;
  t.live_sixteenths[68] = -39 * 16;
  t.live_sixteenths[69] = -41 * 16;
  const MarkerRecord& a = t.markers[0];

  display.setFocus();
  QTest::keyClick(frame.get(), Qt::Key_N);  // no marker yet: starts at the highest point
  EXPECT_EQ(a.a_point, 30);
  EXPECT_EQ(a.a_placed, 1);
  EXPECT_FLOAT_EQ(a.a_frequency, 2415.0f);
  EXPECT_FLOAT_EQ(a.a_level, -20.0f);
  QTest::keyClick(frame.get(), Qt::Key_N);
  EXPECT_EQ(a.a_point, 70);
  QTest::keyClick(frame.get(), Qt::Key_N);  // nothing lower stands 6 dB out: stays
  EXPECT_EQ(a.a_point, 70);
  QTest::keyClick(frame.get(), Qt::Key_P);
  EXPECT_EQ(a.a_point, 30);

  // The context menu outside selection mode offers the peak commands; the frequency dialog
  // takes a typed value, and refuses one outside the sweep with a message.
  QStringList offered;
  display.SetMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
    for (QAction* action : menu.actions()) offered << action->text();
    return menu.actions().last();
  });
  QString typed = QStringLiteral("2425.2");
  display.SetDialogRunner([&](QDialog& dialog) {
    auto* entry = dialog.findChild<QLineEdit*>(QStringLiteral("markerFrequency"));
    if (entry == nullptr) return false;
    entry->setText(typed);
    return true;
  });
  QTest::mouseClick(&display, Qt::RightButton, Qt::NoModifier, QPoint(200, 100));
  EXPECT_EQ(offered, (QStringList{QStringLiteral("Marker to Peak\tP"), QStringLiteral("Next Peak\tN"),
                                  QStringLiteral("Marker to Frequency...\tF")}));
  EXPECT_EQ(a.a_point, 50);
  EXPECT_EQ(a.a_x, display.Geometry().X(50));
  typed = QStringLiteral("2600");
  QTest::keyClick(frame.get(), Qt::Key_F);
  typed = QStringLiteral("not a number");
  QTest::keyClick(frame.get(), Qt::Key_F);
  EXPECT_EQ(a.a_point, 50);
  ASSERT_EQ(alerts_.shown.size(), 2u);
  EXPECT_EQ(alerts_.shown[0].text, "Enter a frequency from 2400.00 to 2450.00 MHz.");

  QAction* axis = frame->findChild<QAction*>(QStringLiteral("frequencyAxis"));
  ASSERT_NE(axis, nullptr);
  EXPECT_TRUE(display.State().frequency_axis);
  axis->toggle();
  EXPECT_FALSE(display.State().frequency_axis);
  // View > Channels: off until chosen, then remembered the same way.
  QAction* channels = frame->findChild<QAction*>(QStringLiteral("channels"));
  ASSERT_NE(channels, nullptr);
  EXPECT_FALSE(channels->isChecked());
  EXPECT_FALSE(frame->View().ChannelPlans().Shown());
  channels->toggle();
  EXPECT_TRUE(frame->View().ChannelPlans().Shown());
  // Its busy level and span too.
  QMenu* busy = frame->findChild<QMenu*>(QStringLiteral("channelThresholdMenu"));
  QMenu* span = frame->findChild<QMenu*>(QStringLiteral("channelSpanMenu"));
  ASSERT_TRUE(busy != nullptr && span != nullptr);
  EXPECT_TRUE(MenuAction(busy, "-85 dBm")->isChecked());
  EXPECT_EQ(MenuTexts(span), (QStringList{"10 s", "30 s", "60 s", "5 min", "15 min"}));
  EXPECT_TRUE(MenuAction(span, "60 s")->isChecked());
  MenuAction(busy, "-70 dBm")->trigger();
  MenuAction(span, "5 min")->trigger();
  EXPECT_EQ(frame->View().ChannelPlans().Threshold(), -70);
  frame.reset();
  auto next = MakeFrame();
  EXPECT_FALSE(next->View().Display().State().frequency_axis);
  EXPECT_TRUE(next->View().ChannelPlans().Shown());
  EXPECT_EQ(next->View().ChannelPlans().Threshold(), -70);
  EXPECT_EQ(next->View().ChannelPlans().Span(), 300);
  EXPECT_TRUE(MenuAction(next->findChild<QMenu*>(QStringLiteral("channelSpanMenu")), "5 min")
                  ->isChecked());
  EXPECT_TRUE(MenuTexts(next->ViewMenu()).contains(QStringLiteral("Frequency Axis")));
}

// View > Colour Map recolours the waterfall and its colour scale at once, and the next start
// opens with the map chosen.
TEST_F(MainFrameTest, ColourMapChoiceRecoloursTheSpectrogramAndIsRemembered) {
  auto frame = MakeFrame();
  CSpectrogramDialog& spectrogram = frame->View().Display().Spectrogram();
  SpectrogramHistory history;
  history.Fill(20, -91);
  const std::vector<int16_t> sweep(20, -50);
  history.Shift(20, false);
  history.WriteRange(0, 20, sweep.data(), false);
  spectrogram.SetSweepAxes(48000, 10, false);
  spectrogram.Update(history, 20);
  spectrogram.resize(700, 400);
  spectrogram.show();
  const auto picture = [&] {
    spectrogram.grab();
    return spectrogram.picture();
  };
  const QImage before = picture();
  const QFontMetrics metrics(spectrogram.font());
  const SpectrogramLayout layout =
      LayOutSpectrogram(before.width(), before.height(),
                        metrics.horizontalAdvance(QLatin1Char('0')), metrics.height(), true);
  ASSERT_TRUE(layout.axes);  // the frame starts with the frequency axis on
  const QPoint inside(layout.waterfall.left + 10, layout.waterfall.bottom - 1);
  const GraphRect& bar = layout.colour_bar;
  const QPoint top_of_bar(bar.left + 3, bar.top);
  const QPoint bottom_of_bar(bar.left + 3, bar.bottom - 1);
  const CGradient& gradient = spectrogram.range().gradient();
  EXPECT_EQ(before.pixel(inside), GradientToRgb(gradient.Colour(-50)));
  EXPECT_EQ(before.pixel(top_of_bar), qRgb(255, 252, 0));

  QMenu* maps = frame->findChild<QMenu*>(QStringLiteral("colourMapMenu"));
  ASSERT_NE(maps, nullptr);
  EXPECT_EQ(MenuTexts(maps), (QStringList{"Receiver", "Uniform"}));
  EXPECT_TRUE(MenuAction(maps, "Receiver")->isChecked());
  MenuAction(maps, "Uniform")->trigger();
  EXPECT_FALSE(MenuAction(maps, "Receiver")->isChecked());
  const QImage after = picture();
  EXPECT_EQ(after.pixel(inside), GradientToRgb(UniformColour(0.5)));
  EXPECT_EQ(after.pixel(top_of_bar), GradientToRgb(UniformColour(1.0)));
  EXPECT_EQ(after.pixel(bottom_of_bar), GradientToRgb(UniformColour(0.0)));

  frame.reset();
  auto next = MakeFrame();
  EXPECT_EQ(next->View().Display().Spectrogram().colour_map(), ColourMap::kUniform);
  QMenu* next_maps = next->findChild<QMenu*>(QStringLiteral("colourMapMenu"));
  EXPECT_TRUE(MenuAction(next_maps, "Uniform")->isChecked());
  MenuAction(next_maps, "Receiver")->trigger();
  next.reset();
  EXPECT_EQ(MakeFrame()->View().Display().Spectrogram().colour_map(), ColourMap::kReceiver);
}

// View > Density and its persistence reach the graph's density record and the next start.
TEST_F(MainFrameTest, DensityViewAndPersistenceAreRemembered) {
  auto frame = MakeFrame();
  EXPECT_FALSE(frame->View().Display().Density().On());  // off until chosen
  QAction* density = frame->findChild<QAction*>(QStringLiteral("density"));
  ASSERT_NE(density, nullptr);
  density->setChecked(true);
  QMenu* persistence = frame->findChild<QMenu*>(QStringLiteral("densityPersistenceMenu"));
  ASSERT_NE(persistence, nullptr);
  EXPECT_EQ(MenuTexts(persistence), (QStringList{"1 s", "3 s", "10 s", "30 s", "Infinite"}));
  EXPECT_TRUE(MenuAction(persistence, "10 s")->isChecked());
  MenuAction(persistence, "Infinite")->trigger();
  EXPECT_TRUE(frame->View().Display().Density().On());
  EXPECT_EQ(frame->View().Display().Density().Persistence(), 0);

  frame.reset();
  auto next = MakeFrame();
  EXPECT_TRUE(next->View().Display().Density().On());
  EXPECT_EQ(next->View().Display().Density().Persistence(), 0);
  EXPECT_TRUE(MenuAction(next->findChild<QMenu*>(QStringLiteral("densityPersistenceMenu")),
                         "Infinite")->isChecked());
}

// The window's keys walked on a live picture: every toolbar tip names its key, the marker steps
// and stops at the trace's ends, Esc leaves selection mode and drops a selection shown outside
// it, + = and - reach the zoom commands,
// F1 opens the manual; while an entry field is typed into, none of them fires.
TEST_F(MainFrameTest, KeysRunTheirCommandsExceptWhileAFieldIsTypedInto) {
  auto frame = MakeFrame();
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  for (int i = 0; i < kToolbarButtons; ++i) {
    EXPECT_TRUE(frame->CommandAction(i)->toolTip().endsWith(QLatin1Char(')'))) << i;
  }
  EXPECT_EQ(frame->CommandAction(4)->toolTip(), QStringLiteral("Zoom Out (-)"));

  CDisplay& display = frame->View().Display();
  TraceData& t = FlatSweep(display);
  t.live_sixteenths[30] = -20 * 16;
  t.live_sixteenths[97] = -40 * 16;
  display.SetModeFlags(true, false);
  const MarkerRecord& a = t.markers[0];
  display.setFocus();
  QTest::keyClick(frame.get(), Qt::Key_P);
  QTest::keyClick(frame.get(), Qt::Key_Right);
  EXPECT_EQ(a.a_point, 31);
  QTest::keyClick(frame.get(), Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(a.a_point, 41);
  for (int k = 0; k < 6; ++k) QTest::keyClick(frame.get(), Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(a.a_point, 100);
  QTest::keyClick(frame.get(), Qt::Key_Left);
  QTest::keyClick(frame.get(), Qt::Key_Left);
  QTest::keyClick(frame.get(), Qt::Key_Left);
  EXPECT_EQ(a.a_point, 97);
  EXPECT_FLOAT_EQ(a.a_level, -40.0f);
  EXPECT_FLOAT_EQ(a.a_frequency, 2448.5f);

  QTest::keyClick(frame.get(), Qt::Key_D, Qt::ControlModifier);
  EXPECT_TRUE(display.SelectionMode());
  QTest::keyClick(frame.get(), Qt::Key_Escape);
  EXPECT_FALSE(display.SelectionMode());
  EXPECT_EQ(frame->ActionImage(2), kImgSelectOff);
  display.State().area_selected = true;  // as zooming out shows it
  QTest::keyClick(frame.get(), Qt::Key_Escape);
  EXPECT_FALSE(display.AreaSelected());
  // Space with nothing playing starts nothing.
  QTest::keyClick(frame.get(), Qt::Key_Space);
  EXPECT_FALSE(display.Recorder().PlayingBack());

  QSignalSpy zoom_in(frame->KeyAction(kCmdZoomIn), &QAction::triggered);
  QSignalSpy zoom_out(frame->KeyAction(kCmdZoomOut), &QAction::triggered);
  QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::KeypadModifier);
  QTest::keyClick(frame.get(), Qt::Key_Equal);
  QTest::keyClick(frame.get(), Qt::Key_Minus);
  EXPECT_EQ(zoom_in.count(), 2);
  EXPECT_EQ(zoom_out.count(), 1);

  // Typing into an entry field over the graph keeps every key in the field.
  auto* field = new QLineEdit(&display);
  field->show();
  field->setFocus();
  for (Qt::Key key : {Qt::Key_P, Qt::Key_Minus, Qt::Key_Space, Qt::Key_Left, Qt::Key_Escape,
                      Qt::Key_N}) {
    QTest::keyClick(field, key);
  }
  EXPECT_EQ(field->text(), QStringLiteral("p-n "));
  EXPECT_EQ(a.a_point, 97);
  EXPECT_EQ(zoom_out.count(), 1);

  ASSERT_EQ(frame->findChild<CManualWindow*>(), nullptr);
  display.setFocus();
  QTest::keyClick(frame.get(), Qt::Key_F1);
  auto* manual = frame->findChild<CManualWindow*>();
  ASSERT_NE(manual, nullptr);
  EXPECT_TRUE(manual->isVisible());
  EXPECT_TRUE(manual->Text().contains(QStringLiteral("KEYS")));
  EXPECT_TRUE(manual->Text().contains(QStringLiteral("--demo")));
  EXPECT_EQ(frame->OpenManual(), manual);  // one window
}

// With the timeline's slider focused, PageUp moves it and jumps, Space still pauses and Esc
// drops the time window selected on the overview.
TEST_F(MainFrameTest, TheTimelineSliderKeepsPageKeysAndLeavesSpaceAndEsc) {
  auto frame = MakeFrame();
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  CTimelineWidget& timeline = frame->View().Timeline();
  FakeTimelineSource source;
  source.playing = true;
  timeline.SetSource(&source);
  QCoreApplication::processEvents();
  ASSERT_TRUE(timeline.isVisible());
  EXPECT_EQ(frame->View().Display().height() + CTimelineWidget::kHeight, frame->View().height());
  COverviewStrip& strip = timeline.Strip();
  QTest::mousePress(&strip, Qt::LeftButton, {}, QPoint(10, 5));
  QTest::mouseRelease(&strip, Qt::LeftButton, {}, QPoint(strip.width() / 2, 5));
  ASSERT_TRUE(timeline.Window());

  timeline.Slider().setFocus();
  QSignalSpy pause(frame->KeyAction(kCmdPause), &QAction::triggered);
  QTest::keyClick(&timeline.Slider(), Qt::Key_PageUp);
  QTest::keyClick(&timeline.Slider(), Qt::Key_Space);
  EXPECT_EQ(source.jumps, std::vector<int64_t>{180});
  EXPECT_EQ(pause.count(), 1);
  QTest::keyClick(&timeline.Slider(), Qt::Key_Escape);
  EXPECT_FALSE(timeline.Window());
  EXPECT_FALSE(source.windows.back());
  timeline.SetSource(nullptr);
}

// The main window's keys reach the view from the Time Marker window, as Ctrl+R and Ctrl+T do
// there; its comment field keeps its letters and Space, its list its arrows, a modal dialog
// every key.
TEST_F(MainFrameTest, KeysWorkFromTheTimeMarkerWindowButNotThroughItsFields) {
  auto frame = MakeFrame();
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  CDisplay& display = frame->View().Display();
  const std::string log = dir_.filePath(QStringLiteral("empty.kzq")).toStdString();
  {
    std::ofstream out(log, std::ios::binary);
    for (const Bytes& record : {BuildHeaderRecord(ReceiverIdentity{}, LogClock{}, LogMarkers{}),
                                BuildEndRecord(0, 0)}) {
      out.write(reinterpret_cast<const char*>(record.data()),
                static_cast<std::streamsize>(record.size()));
    }
  }
  int starts = 0;
  display.Recorder().SetPlaybackStarter([&] {
    ++starts;
    return display.Recorder().OpenLogForReplay(log);
  });
  display.Recorder().ShowTimeMarkers();
  CTimeMarkerDialog& markers = display.Recorder().TimeMarkers();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&markers));
  markers.activateWindow();
  QTRY_COMPARE(QApplication::activeWindow(), &markers);

  QTest::keyClick(&markers, Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(starts, 1);
  ASSERT_TRUE(display.Recorder().PlayingBack());
  markers.Button(QStringLiteral("More>>"))->click();
  markers.CommentBox()->setFocus();
  QTest::keyClicks(markers.CommentBox(), QStringLiteral("a b"));
  EXPECT_EQ(markers.CommentBox()->text(), QStringLiteral("a b"));
  markers.List()->setFocus();
  QTest::keyClick(markers.List(), Qt::Key_Space);
  EXPECT_FALSE(display.Recorder().PlaybackPaused());
  QTest::keyClick(markers.CommentBox(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_FALSE(display.Recorder().PlayingBack());

  QDialog modal(&markers);
  modal.setWindowModality(Qt::ApplicationModal);
  modal.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&modal));
  QTest::keyClick(&modal, Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(starts, 1);
}

}  // namespace
}  // namespace qv
