#include "gui/app/form_view.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QFile>
#include <QRadioButton>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "core/app/manual_clock.h"
#include "core/app/receiver_state.h"
#include "core/link/sweep_message.h"
#include "core/record/capture_file.h"
#include "core/record/capture_log.h"
#include "core/record/log_format.h"
#include "gui/display/histogram_dialog.h"
#include "gui/limits/limits_controller.h"
#include "gui/link/connection_sheet.h"
#include "gui/record/log_option_dialog.h"
#include "support/fake_link.h"
#include "support/legend_texts.h"
#include "support/fake_serial_monitor.h"
#include "support/recording_alerts.h"
#include "support/scripted_chooser.h"

namespace qv {
namespace {

using Shown = RecordingAlerts::Shown;
using ::testing::ElementsAre;

// Toolbar positions 4, 12, 16 and 18 as buttons of the bar.
constexpr int kSelectButton = 2;
constexpr int kReplayButton = 6;
constexpr int kForwardButton = 8;
constexpr int kRewindButton = 9;

class FormViewTest : public ::testing::Test {
 protected:
  FormViewTest() {
    QObject::connect(&view_, &CQuorvalinFormView::StatusPaneTextChanged,
                     [this](int id, const QString& text) { panes_[id] = text; });
    QObject::connect(&view_, &CQuorvalinFormView::RunningClockStopped, [this] { ++clock_stops_; });
    view_.Display().Recorder().SetPlaybackStarter([this] {
      ++starts_;
      return log_opens_ && view_.Display().Recorder().OpenLogForReplay(sample_);
    });
    view_.SetFileChooser(&chooser_);
    // A short log to play: the header, three sweeps, the end record.
    std::ofstream out(sample_, std::ios::binary);
    auto put = [&out](const Bytes& bytes) {
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    put(BuildHeaderRecord(ReceiverIdentity{}, LogClock{}, LogMarkers{}));
    for (int s = 0; s < 3; ++s) {
      const Bytes sweep = SampleSweep(s);
      put(BuildMessageRecord(sweep.data(), sweep.size()));
    }
    put(BuildEndRecord(3, 0));
  }

  // Two points, the first at -60 - s dBm, the second at -61.
  static Bytes SampleSweep(int s) {
    SweepHeader h;
    h.start = 48000;
    h.points = 2;
    h.block_frequency = 48000;
    const int16_t samples[2] = {static_cast<int16_t>((-60 - s) * 16), -61 * 16};
    return BuildSweepBlock(h, samples, 2);
  }
  int16_t FirstLevel() { return view_.Display().Trace().live_levels[0]; }

  // 2400 ... 2500 MHz in 1 MHz points; Wi-Fi channel 6 (2426 ... 2448 MHz) busy when asked.
  static Bytes WifiSweep(bool busy) {
    SweepHeader h;
    h.start = 48000;
    h.points = 100;
    h.sweep_word = 20;
    h.block_frequency = 48000;
    std::vector<int16_t> levels(100, -100 * 16);
    if (busy) levels[37] = -60 * 16;
    return BuildSweepBlock(h, levels.data(), 100);
  }

  // `records` one after another in the file `name` of the test's folder.
  std::string WriteLog(const QString& name, const std::vector<Bytes>& records) {
    const std::string path = QDir(dir_.path()).filePath(name).toStdString();
    std::ofstream out(path, std::ios::binary);
    for (const Bytes& record : records) {
      out.write(reinterpret_cast<const char*>(record.data()),
                static_cast<std::streamsize>(record.size()));
    }
    return path;
  }

  // A log from 2026-12-07 10:00:00: for each listed second its time record and one Wi-Fi sweep.
  std::string WriteWifiLog(const std::vector<std::pair<int, bool>>& seconds) {
    const auto clock = [](int s) {
      return LogClock{12, 7, 26, 10, static_cast<uint8_t>(s / 60), static_cast<uint8_t>(s % 60)};
    };
    std::vector<Bytes> records{BuildHeaderRecord(ReceiverIdentity{}, clock(0), LogMarkers{})};
    for (const auto& [second, busy] : seconds) {
      records.push_back(BuildTimeRecord(clock(second), LogMarkers{}));
      const Bytes sweep = WifiSweep(busy);
      records.push_back(BuildMessageRecord(sweep.data(), sweep.size()));
    }
    records.push_back(BuildEndRecord(static_cast<uint32_t>(2 * seconds.size()), 0));
    return WriteLog(QStringLiteral("wifi.kzq"), records);
  }

  // A limit line at -80 dBm over the Wi-Fi band, which a busy sweep breaks.
  void LoadWifiLimit() {
    const std::string mask = QDir(dir_.path()).filePath(QStringLiteral("mask.csv")).toStdString();
    std::ofstream(mask) << "2400000000,-80\n2500000000,-80\n";
    ASSERT_TRUE(view_.Display().Limits().Load(LimitKind::kUpper, mask));
  }

  std::vector<std::string> LimitEventSpans() {
    std::vector<std::string> spans;
    for (const LimitEvent& e : view_.Display().Limits().Monitor().Events())
      spans.push_back(e.start.text + " - " + (e.open ? std::string("open") : e.end.text));
    return spans;
  }

  ~FormViewTest() override { view_.Connection().Ops().SetLink(kSerialInterface, nullptr); }

  // A serial link that is open and connected, as after a completed handshake.
  void ConnectSerial() {
    view_.Connection().Ops().SetLink(kSerialInterface, &link_);
    view_.Connection().SelectInterface(kSerialInterface);
    view_.Connection().State().connected = 1;
  }

  ToolbarButton Button(int index) const { return view_.Toolbar().Buttons()[index]; }

  QTemporaryDir dir_;
  std::string sample_ = QDir(dir_.path()).filePath(QStringLiteral("sample.kzq")).toStdString();
  ScriptedChooser chooser_;
  ManualClock clock_;
  RecordingAlerts alerts_;
  CQuorvalinFormView view_{clock_, alerts_};
  FakeLink link_;
  std::map<int, QString> panes_;
  int clock_stops_ = 0;
  int starts_ = 0;
  bool log_opens_ = true;
};

TEST_F(FormViewTest, StatusPanesNameTheInterfaceOrSayNotConnected) {
  ConnectSerial();
  view_.UpdateStatusPanes();
  EXPECT_EQ(panes_[kPaneLogFile], QStringLiteral("Interface Type: Serial Port (COM3)"));
  EXPECT_EQ(panes_.count(kPaneFirmware), 0u);  // the Receiver's own texts stay

  view_.Connection().State().connected = 0;
  view_.UpdateStatusPanes();
  EXPECT_EQ(panes_[kPaneLogFile], QStringLiteral("Interface Type: Not Connected"));
  EXPECT_EQ(panes_[kPaneFirmware], QStringLiteral("F/w Ver: NA"));
  EXPECT_EQ(panes_[kPaneSerial], QStringLiteral("Receiver Serial # NA"));
}

TEST_F(FormViewTest, ReplayTakesOverFromTheReceiverAndKeepsThePanes) {
  ConnectSerial();
  view_.UpdateStatusPanes();
  panes_.clear();

  view_.OnCommand(kCmdReplay);

  EXPECT_TRUE(view_.Flags().playing_back);
  EXPECT_FALSE(view_.Flags().connected);
  EXPECT_EQ(link_.closes, 1);
  EXPECT_EQ(clock_stops_, 1);
  // The log's own panes, not the interface's.
  EXPECT_TRUE(panes_[kPaneLogFile].startsWith(QStringLiteral("Playing File: sample.kzq (")));
  EXPECT_EQ(panes_[kPaneFirmware], QStringLiteral("F/w Ver: "));
  EXPECT_EQ(Button(kReplayButton).command, kCmdPause);
  EXPECT_EQ(Button(kReplayButton).image, kImgPause);
  // Connecting again is not offered while a log plays.
  EXPECT_FALSE(CommandEnabled(kCmdEstablishConnection, view_.Flags()));
  EXPECT_TRUE(CommandEnabled(kCmdStop, view_.Flags()));
}

// A file opened while a Receiver is connected asks first: No keeps the link and opens nothing.
TEST_F(FormViewTest, AFileChosenWhileConnectedAsksBeforeTheLinkCloses) {
  ConnectSerial();
  alerts_.answer = false;
  EXPECT_FALSE(view_.OpenChosenFile(sample_));
  ASSERT_EQ(alerts_.asked.size(), 1u);
  EXPECT_EQ(alerts_.asked[0].caption, "Close Connection ?");
  EXPECT_NE(alerts_.asked[0].text.find(sample_), std::string::npos);
  EXPECT_TRUE(view_.Flags().connected);
  EXPECT_FALSE(view_.Flags().playing_back);
  EXPECT_EQ(link_.closes, 0);

  alerts_.answer = true;
  EXPECT_TRUE(view_.OpenChosenFile(sample_));
  EXPECT_TRUE(view_.Flags().playing_back);
  EXPECT_FALSE(view_.Flags().connected);
  EXPECT_EQ(link_.closes, 1);
  // Nothing connected, nothing to ask.
  view_.OnCommand(kCmdStop);
  EXPECT_TRUE(view_.OpenChosenFile(sample_));
  EXPECT_EQ(alerts_.asked.size(), 2u);
}

// Replay (the button, Ctrl+R): "Select Replay Type" opens with the last choice made, the
// spectrum log at first, so OK alone opens something; a connected Receiver is asked about.
TEST_F(FormViewTest, ReplayTypeOpensWithTheLastChoiceAndAsksBeforeTakingOver) {
  CQuorvalinFormView view(clock_, alerts_);
  view.SetFileChooser(&chooser_);
  chooser_.open = sample_;
  std::vector<int> offered;
  int pick = 0;  // 0 leaves the dialog as it opens
  view.SetDialogRunner([&](QDialog& dialog) {
    auto* choice = qobject_cast<CReplayChoiceDialog*>(&dialog);
    if (choice == nullptr) return false;
    offered.push_back(choice->Choice());
    if (pick != 0) (pick == 2 ? choice->TimeMarkerButton() : choice->SpectrumLogButton())->click();
    return true;
  });
  view.Connection().Ops().SetLink(kSerialInterface, &link_);
  view.Connection().SelectInterface(kSerialInterface);
  view.Connection().State().connected = 1;

  alerts_.answer = false;
  view.OnCommand(kCmdReplay);
  pick = 2;
  view.OnCommand(kCmdReplay);
  EXPECT_EQ(alerts_.asked.size(), 2u);
  EXPECT_EQ(link_.closes, 0);
  EXPECT_FALSE(view.Flags().playing_back);
  EXPECT_EQ(view.ReplayChoice(), kCaptureReplay);

  pick = 1;
  alerts_.answer = true;
  view.OnCommand(kCmdReplay);
  EXPECT_THAT(offered, ElementsAre(kSpectrumLogReplay, kSpectrumLogReplay, kCaptureReplay));
  EXPECT_TRUE(view.Flags().playing_back);
  EXPECT_EQ(link_.closes, 1);
}

// Export Traces: a name without extension gets ".csv"; before any sweep the file is the header
// row; a file that cannot be written is said so, with the reason, and nothing is left.
TEST_F(FormViewTest, ExportTracesWritesTheChosenFileOrSaysWhyNot) {
  view_.Outputs().ExportTraces();  // the dialog was cancelled: nothing happens
  chooser_.save = QDir(dir_.path()).filePath(QStringLiteral("traces")).toStdString();
  view_.Outputs().ExportTraces();
  QFile file(QDir(dir_.path()).filePath(QStringLiteral("traces.csv")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("Frequency (Hz),Live (dBm)\n"));
  QFile summary(QDir(dir_.path()).filePath(QStringLiteral("traces-summary.csv")));
  ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
  EXPECT_TRUE(summary.readAll().startsWith("band, low Hz, high Hz, power dBm, OBW Hz,"));
  EXPECT_TRUE(alerts_.shown.empty());

  chooser_.save = QDir(dir_.path()).filePath(QStringLiteral("gone/traces.csv")).toStdString();
  view_.Outputs().ExportTraces();
  ASSERT_EQ(alerts_.shown.size(), 1u);
  EXPECT_EQ(alerts_.shown[0].caption, "Export Alert !");
  EXPECT_NE(alerts_.shown[0].text.find("gone/traces.csv: No such file or directory"),
            std::string::npos);
}

// A time window of the played log: its max, min and mean are drawn over the graph with their
// legend, the histogram counts the window at its threshold (made again when the threshold
// moves), Export Traces adds the three columns after the graph's own; cleared, all goes back.
TEST_F(FormViewTest, ASelectedWindowIsDrawnCountedAndExported) {
  view_.resize(700, 400);
  view_.show();
  EXPECT_FALSE(view_.Timeline().isVisibleTo(&view_));
  EXPECT_EQ(view_.Display().height(), 400);
  view_.OnCommand(kCmdReplay);
  clock_.Advance(300);
  ASSERT_TRUE(view_.Flags().playing_back);

  CTimeWindow& window = view_.TimeWindow();
  QSignalSpy changed(&window, &CTimeWindow::Changed);
  // The histogram's threshold from -80 up to -61 dBm.
  auto* raise = qobject_cast<QPushButton*>(
      view_.Display().Histogram().Control(CHistogramDlg::kRaiseButton));
  for (int k = 0; k < 19; ++k) raise->click();
  EXPECT_FALSE(window.Running());
  view_.SelectTimeWindow(sample_, std::pair<uint64_t, uint64_t>{
                                      kLogHeaderRecordSize,
                                      QFileInfo(QString::fromStdString(sample_)).size()});
  EXPECT_TRUE(window.Running());
  EXPECT_EQ(window.Progress(), 0);  // said at once, before any record is read
  window.Finish();
  QCoreApplication::processEvents();  // a percent told late is no run's any more
  EXPECT_FALSE(window.Progress());
  ASSERT_EQ(changed.count(), 1);
  EXPECT_TRUE(view_.Display().Histogram().ShowingWindow());
  EXPECT_EQ(window.HistogramCounts(view_.Display().Trace().header, 3000),
            (std::vector<int16_t>{2000, 3000}));

  const QStringList texts = PaintedTexts(view_.Display());
  for (const char* name : {"Window Max", "Window Min", "Window Mean"})
    EXPECT_TRUE(texts.contains(QString::fromLatin1(name))) << name;
  QImage picture;
  view_.Display().PaintPicture(picture);
  int max_pixels = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 60; x < picture.width(); ++x) max_pixels += picture.pixel(x, y) == qRgb(255, 140, 0);
  }
  EXPECT_GT(max_pixels, 100);  // the line across the plot, not only its legend

  chooser_.save = QDir(dir_.path()).filePath(QStringLiteral("window.csv")).toStdString();
  view_.Outputs().ExportTraces();
  QFile file(QString::fromStdString(chooser_.save.value()));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> rows = file.readAll().split('\n');
  ASSERT_GE(rows.size(), 3);
  EXPECT_EQ(rows[0], QByteArray("Frequency (Hz),Live (dBm),Window Max (dBm),Window Min (dBm),"
                                "Window Mean (dBm)"));
  EXPECT_TRUE(rows[1].startsWith("2400000000,")) << rows[1].toStdString();
  EXPECT_TRUE(rows[1].endsWith(",-60,-62,-61")) << rows[1].toStdString();
  EXPECT_EQ(rows[2], QByteArray("2400050000,-61,-61,-61,-61"));
  file.close();

  // The threshold moving to -60 dBm runs the window again.
  raise->click();
  EXPECT_TRUE(window.Running());
  window.Finish();
  EXPECT_EQ(window.HistogramCounts(view_.Display().Trace().header, 3000),
            (std::vector<int16_t>{1000, 0}));

  // Sweeps of a setting the window holds none of: the histogram goes back to its own counts.
  SweepHeader other;
  other.start = 50000;
  other.points = 10;
  other.block_frequency = 50000;
  const std::vector<int16_t> levels(10, -70 * 16);
  const Bytes block = BuildSweepBlock(other, levels.data(), 10);
  for (int k = 0; k < 2; ++k) {
    view_.Display().OnReceiverMessage(QByteArray(reinterpret_cast<const char*>(block.data()),
                                                 static_cast<qsizetype>(block.size())));
  }
  EXPECT_FALSE(view_.Display().Histogram().ShowingWindow());

  window.Clear();
  EXPECT_FALSE(view_.Display().Histogram().ShowingWindow());
  EXPECT_FALSE(PaintedTexts(view_.Display()).contains(QStringLiteral("Window Max")));
  view_.Outputs().ExportTraces();
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readLine().startsWith("Frequency (Hz),Live (dBm)\n"));
}

// View, Channels: the live sweeps' figures over the last minute of the clock, or a selected time
// window's, worked out with the window's other statistics; none while hidden.
TEST_F(FormViewTest, ChannelFiguresAreLiveOrTheSelectedWindows) {
  ChannelPlanSource& plans = view_.ChannelPlans();
  EXPECT_EQ(plans.Figures(), nullptr);  // hidden until chosen
  plans.SetShown(true);
  ConnectSerial();
  for (const bool busy : {true, false, false}) {
    const Bytes sweep = WifiSweep(busy);
    view_.Display().OnReceiverMessage(QByteArray(reinterpret_cast<const char*>(sweep.data()),
                                                 static_cast<qsizetype>(sweep.size())));
    clock_.Advance(1000);
  }
  const ChannelPlanFigures* live = plans.Figures();
  ASSERT_NE(live, nullptr);
  EXPECT_EQ(live->plan->id, "wifi24");
  EXPECT_EQ(live->figures[5].sweeps, 3u);  // each counts once its last point is in
  EXPECT_DOUBLE_EQ(live->figures[5].UtilisationPercent(), 100.0 / 3.0);
  clock_.Advance(60000);
  EXPECT_EQ(plans.Figures()->figures[5].sweeps, 0u);

  std::vector<Bytes> records{BuildHeaderRecord(ReceiverIdentity{}, LogClock{}, LogMarkers{})};
  for (const bool busy : {true, true, false, false, false}) {
    const Bytes sweep = WifiSweep(busy);
    records.push_back(BuildMessageRecord(sweep.data(), sweep.size()));
  }
  // A busy sweep cut off after its first half counts nowhere, as quorvalin-log leaves it out.
  SweepHeader h{};
  h.start = h.block_frequency = 48000;
  h.points = 100;
  h.sweep_word = 20;
  std::vector<int16_t> levels(50, -100 * 16);
  levels[37] = -60 * 16;
  const Bytes half = BuildSweepBlock(h, levels.data(), 50);
  records.push_back(BuildMessageRecord(half.data(), half.size()));
  records.push_back(BuildEndRecord(5, 0));
  const std::string wifi = WriteLog(QStringLiteral("wifi.kzq"), records);
  view_.SelectTimeWindow(
      wifi, std::pair<uint64_t, uint64_t>{kLogHeaderRecordSize,
                                          QFileInfo(QString::fromStdString(wifi)).size()});
  view_.TimeWindow().Finish();
  const ChannelPlanFigures* window = plans.Figures();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->figures[5].sweeps, 5u);  // the last sweep ends with the window
  EXPECT_DOUBLE_EQ(window->figures[5].UtilisationPercent(), 40.0);
  EXPECT_DOUBLE_EQ(window->figures[0].UtilisationPercent(), 0.0);
  // Another busy level works the window out again: at -100 dBm the floor is busy too.
  view_.SetChannelThreshold(-100);
  ASSERT_TRUE(view_.TimeWindow().Running());
  view_.TimeWindow().Finish();
  EXPECT_DOUBLE_EQ(plans.Figures()->figures[0].UtilisationPercent(), 100.0);
  view_.TimeWindow().Clear();
  EXPECT_EQ(plans.Figures()->figures[5].sweeps, 0u);  // live again
  // A log that went meanwhile is said, not kept quiet.
  view_.SelectTimeWindow(wifi + ".gone", std::pair<uint64_t, uint64_t>{0, 100});
  view_.TimeWindow().Finish();
  ASSERT_FALSE(alerts_.noted.empty());
  EXPECT_EQ(alerts_.noted.back(), "Time window not read whole: cannot open " + wifi + ".gone");
  view_.TimeWindow().Clear();
  plans.SetShown(false);
  EXPECT_EQ(plans.Figures(), nullptr);
}

// A replay counts each recorded sweep once, however often steps and jumps show it: the limit
// check, a jump ending the violation going on, and the channel use over the log's own last
// minute, which a pause does not empty.
TEST_F(FormViewTest, AReplayCountsEachSweepOnceByTheLogsOwnTime) {
  const std::string log = WriteWifiLog({{0, true}, {1, false}, {2, true}, {90, true}, {91, true}});
  LoadWifiLimit();
  ChannelPlanSource& plans = view_.ChannelPlans();
  plans.SetShown(true);
  CRecordingController& recorder = view_.Display().Recorder();
  QSignalSpy scanned(&recorder, &CRecordingController::ScanFinished);
  ASSERT_TRUE(view_.ReplayFile(log));
  ASSERT_TRUE(scanned.wait(10000));
  recorder.JumpTo(0);      // busy: a violation
  recorder.StepSweep(+1);  // quiet: it ends
  recorder.StepSweep(-1);  // busy, seen again
  recorder.StepSweep(+1);
  recorder.StepSweep(+1);  // busy
  recorder.JumpTo(90);     // busy, but not the same violation
  recorder.StepSweep(-1);  // 10:00:02 again
  recorder.JumpTo(91);     // busy
  EXPECT_THAT(LimitEventSpans(), ElementsAre("2026-12-07 10:00:00 - 2026-12-07 10:00:00",
                                             "2026-12-07 10:00:02 - 2026-12-07 10:00:02",
                                             "2026-12-07 10:01:30 - 2026-12-07 10:01:30",
                                             "2026-12-07 10:01:31 - open"));
  const ChannelPlanFigures* use = plans.Figures();
  ASSERT_NE(use, nullptr);
  EXPECT_EQ(use->figures[5].sweeps, 2u);  // 10:01:30 and 10:01:31
  EXPECT_TRUE(recorder.PlaybackPaused());
  clock_.Advance(75000);
  EXPECT_EQ(plans.Figures()->figures[5].sweeps, 2u);
}

// A replay from a time plays nothing of the log before the scan has placed it there.
TEST_F(FormViewTest, AReplayHeldForItsScanPlaysNothingBeforeItsStart) {
  const std::string log = WriteWifiLog({{0, true}, {1, true}, {2, false}});
  LoadWifiLimit();
  CRecordingController& recorder = view_.Display().Recorder();
  QSignalSpy scanned(&recorder, &CRecordingController::ScanFinished);
  ASSERT_TRUE(view_.ReplayFile(log));
  recorder.HoldUntilScanned();
  QObject::connect(&recorder, &CRecordingController::ScanFinished, [&recorder] {
    recorder.JumpTo(2);
  });
  clock_.Advance(1500);  // ten ticks of a record each, had it played
  EXPECT_EQ(view_.Display().Trace().header.points, 0u);
  ASSERT_TRUE(scanned.wait(10000));
  EXPECT_EQ(FirstLevel(), -100);
  EXPECT_FALSE(recorder.PlaybackPaused());
  clock_.Advance(1500);
  EXPECT_TRUE(recorder.Log().AtEnd());  // played on to the end
  EXPECT_FALSE(view_.Display().Limits().Monitor().AnyViolation());
}

// A log that changes setting restarts the traces, as new settings do live: the min hold at
// 5150 MHz holds that band's -60 dBm, not the -100 dBm of 2400 MHz.
TEST_F(FormViewTest, AReplayRestartsTheTracesWhereTheSettingChanges) {
  std::vector<Bytes> records{BuildHeaderRecord(ReceiverIdentity{}, LogClock{}, LogMarkers{})};
  for (const auto& [start, dbm] : {std::pair{48000u, -100}, std::pair{103000u, -60}}) {
    SweepHeader h;
    h.start = start;
    h.points = 2;
    h.block_frequency = start;
    const int16_t levels[2] = {static_cast<int16_t>(dbm * 16), static_cast<int16_t>(dbm * 16)};
    const Bytes sweep = BuildSweepBlock(h, levels, 2);
    records.push_back(BuildMessageRecord(sweep.data(), sweep.size()));
  }
  records.push_back(BuildEndRecord(2, 0));
  const std::string path = WriteLog(QStringLiteral("two.kzq"), records);
  TraceData& trace = view_.Display().Trace();
  trace.min_hold.live = 1;
  ASSERT_TRUE(view_.ReplayFile(path));
  clock_.Advance(300);
  EXPECT_EQ(trace.header.start, 103000u);
  EXPECT_EQ(trace.min_hold.sixteenths[0], -60 * 16);
}

TEST_F(FormViewTest, ReplayWithoutALogChangesNothing) {
  ConnectSerial();
  log_opens_ = false;
  view_.OnCommand(kCmdReplay);
  EXPECT_EQ(starts_, 1);
  EXPECT_FALSE(view_.Flags().playing_back);
  EXPECT_TRUE(view_.Flags().connected);
  EXPECT_EQ(link_.closes, 0);
  EXPECT_EQ(clock_stops_, 0);
  EXPECT_EQ(Button(kReplayButton).command, kCmdReplay);
}

TEST_F(FormViewTest, PauseOffersReplayWhichResumesTheSameLog) {
  view_.OnCommand(kCmdReplay);
  view_.OnCommand(kCmdPause);
  EXPECT_TRUE(view_.Flags().playing_back);
  EXPECT_TRUE(view_.Flags().playback_paused);
  EXPECT_EQ(Button(kReplayButton).command, kCmdReplay);
  EXPECT_EQ(Button(kReplayButton).image, kImgReplay);

  view_.OnCommand(kCmdReplay);
  EXPECT_EQ(starts_, 1);  // no second log is asked for
  EXPECT_FALSE(view_.Flags().playback_paused);
  EXPECT_EQ(Button(kReplayButton).command, kCmdPause);
}

// Logging Options, then a file: the log runs until Stop, which finishes it; meanwhile the options
// offer no second log and say why. Stopped after the link went, the graph keeps its picture and
// traces. A log played in the graph runs to its end record and stops by itself.
TEST_F(FormViewTest, LoggingOptionsRecordUntilStopAndReplayPlaysToTheEnd) {
  ConnectSerial();
  const Bytes sweep = SampleSweep(0);
  view_.Display().OnReceiverMessage(
      QByteArray(reinterpret_cast<const char*>(sweep.data()), static_cast<qsizetype>(sweep.size())));
  const std::string path = QDir(dir_.path()).filePath(QStringLiteral("run")).toStdString();
  chooser_.save = path;
  int option_dialogs = 0;
  view_.SetDialogRunner([&option_dialogs](QDialog& dialog) {
    if (auto* options = qobject_cast<CLogOptionDialog*>(&dialog)) {
      EXPECT_EQ(options->SpectrumLogBox()->isEnabled(), option_dialogs++ == 0);
      EXPECT_EQ(options->SpectrumLogBox()->toolTip().isEmpty(), option_dialogs == 1);
      options->SpectrumLogBox()->click();
    }
    return true;
  });
  view_.OnCommand(kCmdStartLogging);
  ASSERT_TRUE(view_.Flags().recording);
  EXPECT_EQ(panes_[kPaneLogFile], QStringLiteral("Spec Log Locn: run.kzq"));
  view_.OnCommand(kCmdStartLogging);  // while recording: the capture file can still be chosen
  EXPECT_EQ(option_dialogs, 2);
  clock_.Advance(2000);
  view_.Connection().Ops().CloseLink();
  EXPECT_EQ(panes_[kPaneLogFile], QStringLiteral("Spec Log Locn: run.kzq"));  // still recording
  view_.OnCommand(kCmdStop);
  EXPECT_FALSE(view_.Flags().recording);
  EXPECT_EQ(panes_[kPaneLogFile], QStringLiteral("Interface Type: Not Connected"));
  std::ifstream written(path + ".kzq", std::ios::binary | std::ios::ate);
  EXPECT_EQ(static_cast<size_t>(written.tellg()),
            kLogHeaderRecordSize + 2 * kLogTimeRecordSize + kLogEndRecordSize);
  EXPECT_TRUE(view_.Display().SpectrumMode());
  EXPECT_FALSE(PaintedTexts(view_.Display()).isEmpty());
  chooser_.save = QDir(dir_.path()).filePath(QStringLiteral("kept.csv")).toStdString();
  view_.Outputs().ExportTraces();
  std::ifstream exported(*chooser_.save);
  const auto rows = std::count(std::istreambuf_iterator<char>(exported), {}, '\n');
  EXPECT_EQ(rows, 3);  // the header and both points

  ASSERT_TRUE(view_.ReplayFile(sample_));
  EXPECT_TRUE(view_.Flags().playing_back);
  clock_.Advance(150 * 3);
  EXPECT_TRUE(view_.Display().SpectrumMode());
  EXPECT_EQ(FirstLevel(), -62);
  clock_.Advance(150);  // the end record
  EXPECT_TRUE(view_.Display().Recorder().Log().AtEnd());
  EXPECT_EQ(Button(kReplayButton).command, kCmdReplay);
  EXPECT_TRUE(alerts_.shown.empty());
}

// A log played to its end says so, with the sweeps it held and its last record's date and time,
// and waits there, its last sweep on the graph and the timeline under it; one cut short also says
// where. Stop clears it all. A picture under a log's name is refused.
TEST_F(FormViewTest, APlayedLogEndsInWordsAndAFileThatIsNoLogIsRefused) {
  const std::string path = QDir(dir_.path()).filePath(QStringLiteral("timed.kzq")).toStdString();
  Bytes log = BuildHeaderRecord(ReceiverIdentity{}, LogClock{1, 31, 24, 20, 39, 58}, {});
  const auto add = [&log](const Bytes& record) { log.insert(log.end(), record.begin(), record.end()); };
  for (int s = 0; s < 3; ++s) {
    // At byte 897, 925, then after the time record at 953, 992.
    if (s == 2) add(BuildTimeRecord(LogClock{1, 31, 24, 20, 40, 6}, {}));
    const Bytes sweep = SampleSweep(s);
    add(BuildMessageRecord(sweep.data(), sweep.size()));
  }
  add(BuildEndRecord(4, 0));
  const auto write = [](const std::string& to, const Bytes& bytes, size_t size) {
    std::ofstream(to, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(size));
  };
  write(path, log, log.size());
  const auto play_to_end = [this](const std::string& file) {
    if (!view_.ReplayFile(file)) return false;
    const CLogFile& log = view_.Display().Recorder().Log();
    for (int tick = 0; tick < 20 && !log.AtEnd(); ++tick) clock_.Advance(150);
    return log.AtEnd();
  };

  panes_[kPaneRunningTime] = QStringLiteral("1/1/2024 9:0:0");  // an earlier log's last time
  ASSERT_TRUE(view_.ReplayFile(path));
  EXPECT_EQ(panes_[kPaneRunningTime], QStringLiteral("1/31/2024 20:39:58"));
  ASSERT_TRUE(play_to_end(path));
  const QString ended = QStringLiteral("End of log: 3 sweeps, last record 2024-01-31 20:40:06");
  EXPECT_EQ(panes_[kPaneMessage], ended);
  EXPECT_TRUE(view_.Display().SpectrumMode());
  EXPECT_EQ(FirstLevel(), -62);
  QStringList texts = PaintedTexts(view_.Display());
  EXPECT_TRUE(texts.contains(ended));
  EXPECT_TRUE(texts.contains(QStringLiteral("Replay Paused")));
  EXPECT_EQ(Button(kReplayButton).command, kCmdReplay);
  EXPECT_TRUE(view_.Timeline().isVisibleTo(&view_));
  EXPECT_TRUE(CommandEnabled(kCmdStop, view_.Flags()));

  const std::string torn = QDir(dir_.path()).filePath(QStringLiteral("torn.kzq")).toStdString();
  write(torn, log, 992 + 5);
  ASSERT_TRUE(play_to_end(torn));
  EXPECT_EQ(panes_[kPaneMessage],
            QStringLiteral("End of log: 2 sweeps, last record 2024-01-31 20:40:06; damaged: torn "
                           "record at byte 992"));
  EXPECT_EQ(FirstLevel(), -61);
  texts = PaintedTexts(view_.Display());
  EXPECT_TRUE(texts.contains(QStringLiteral("End of log: 2 sweeps, last record 2024-01-31 20:40:06")));
  EXPECT_TRUE(texts.contains(QStringLiteral("damaged: torn record at byte 992")));
  EXPECT_TRUE(alerts_.shown.empty());
  view_.OnCommand(kCmdStop);
  EXPECT_FALSE(view_.Flags().playing_back);
  EXPECT_FALSE(view_.Timeline().isVisibleTo(&view_));
  EXPECT_FALSE(view_.Display().SpectrumMode());
  EXPECT_EQ(panes_[kPaneMessage], QString());
  // The log's clock goes with it; the next connection's clock starts from nothing.
  EXPECT_EQ(panes_[kPaneRunningTime], QStringLiteral("Running Time: 0 mins, 0 secs"));

  const std::string picture = QDir(dir_.path()).filePath(QStringLiteral("picture.kzq")).toStdString();
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  png.resize(2000, 0);
  write(picture, png, png.size());
  EXPECT_FALSE(view_.ReplayFile(picture));
  EXPECT_FALSE(view_.Flags().playing_back);
  ASSERT_EQ(alerts_.shown.size(), 1u);
  EXPECT_THAT(alerts_.shown[0].text,
              ::testing::HasSubstr("picture.kzq: not a spectrum log: no header record at byte 0"));

  // A new playback starts without the last one's words.
  ASSERT_TRUE(view_.ReplayFile(path));
  EXPECT_EQ(panes_[kPaneMessage], QString());
  clock_.Advance(150);
  EXPECT_FALSE(PaintedTexts(view_.Display()).join(QChar('|')).contains(QStringLiteral("End of log")));
}

// Fast forward before the scan has timed the log: the elapsed time stands still, the timeline's
// clock still follows the sweeps shown.
TEST_F(FormViewTest, TheTimelinesClockFollowsAFastForwardBeforeTheScanIsDone) {
  std::vector<std::pair<int, bool>> seconds;
  for (int s = 0; s < 40; ++s) seconds.emplace_back(s, false);
  ASSERT_TRUE(view_.ReplayFile(WriteWifiLog(seconds)));
  view_.OnCommand(kCmdFastForward);
  for (int tick = 0; tick < 20; ++tick) clock_.Advance(15);
  const QString shown = view_.Timeline().PositionLabel().text();
  EXPECT_TRUE(shown.startsWith(QStringLiteral("2026-12-07 10:00:"))) << shown.toStdString();
  EXPECT_FALSE(shown.startsWith(QStringLiteral("2026-12-07 10:00:00"))) << shown.toStdString();
}

// "Instant Capture" (as --capture-every presses it) while a sweep is still arriving waits for
// its last point: a capture holds one whole sweep, never points not yet received, and the power
// of its own levels. Once the sweep is whole a capture is taken at once.
TEST_F(FormViewTest, InstantCaptureHoldsOnlyAWholeSweep) {
  const std::string path = QDir(dir_.path()).filePath(QStringLiteral("whole.icf")).toStdString();
  ASSERT_TRUE(view_.Display().Recorder().CreateCaptureFile(path));
  ConnectSerial();
  view_.Display().SetModeFlags(true, false);
  const auto block = [this](uint32_t b) {  // a quarter of a 1000-point sweep at -40 dBm
    SweepHeader h;
    h.start = 48000;
    h.points = 1000;
    h.block_frequency = 48000 + 250 * b;
    const std::vector<int16_t> levels(250, -40 * 16);
    const Bytes m = BuildSweepBlock(h, levels.data(), 250);
    view_.Display().OnReceiverMessage(
        QByteArray(reinterpret_cast<const char*>(m.data()), static_cast<qsizetype>(m.size())));
  };
  const CaptureLog& captures = view_.Display().Recorder().Captures();
  block(0);
  view_.OnCommand(kCmdInstantCapture);
  EXPECT_EQ(captures.Count(), 0);
  for (uint32_t b = 1; b < 4; ++b) block(b);
  EXPECT_EQ(captures.Count(), 1);
  view_.OnCommand(kCmdInstantCapture);
  EXPECT_EQ(captures.Count(), 2);
  CaptureScan scan;
  ASSERT_TRUE(CaptureFile::Read(path, &scan, nullptr));
  ASSERT_EQ(scan.entries.size(), 2u);
  for (const CaptureEntry& entry : scan.entries) {
    EXPECT_EQ(entry.sweep.levels, std::vector<int16_t>(1000, -40));
    EXPECT_NEAR(entry.sweep.power, -10.0, 0.001);  // 1000 x 0.1 uW
  }
  EXPECT_TRUE(alerts_.shown.empty());
}

// Reviewing captures, then playing a log (as --review X --replay Y does): the review ends and
// the fast buttons drive the log. Rewound onto its first record, the log waits there paused with
// that sweep shown, and the toolbar offers Replay, which plays on; so it does when the file
// cannot be reopened.
TEST_F(FormViewTest, ReplayAfterAReviewRewindsToItsStartAndWaitsThere) {
  const std::string marks = QDir(dir_.path()).filePath(QStringLiteral("marks.icf")).toStdString();
  CaptureSweep capture;
  capture.start = 48000;
  capture.points = 2;
  capture.levels = {-20, -21};
  uint32_t number = 0;
  ASSERT_TRUE(CaptureFile::Create(marks, nullptr));
  ASSERT_TRUE(CaptureFile::Append(marks, LogClock{}, capture, &number, nullptr));
  ASSERT_TRUE(CaptureFile::Append(marks, LogClock{}, capture, &number, nullptr));
  ASSERT_TRUE(view_.ReviewFile(marks));
  ASSERT_TRUE(view_.Flags().replay_drawing);

  ASSERT_TRUE(view_.ReplayFile(sample_));
  EXPECT_FALSE(view_.Flags().replay_drawing);
  EXPECT_FALSE(view_.Display().Recorder().Captures().Reviewing());
  view_.OnCommand(kCmdFastForward);
  EXPECT_TRUE(view_.Display().Recorder().FastForward());
  EXPECT_EQ(Button(kForwardButton).image, kImgForwardRunning);
  clock_.Advance(15 * 3);
  EXPECT_EQ(FirstLevel(), -62);
  view_.OnCommand(kCmdFastRewind);
  EXPECT_EQ(Button(kRewindButton).image, kImgRewindRunning);
  clock_.Advance(15 * 3);  // the last sweep again, then the two before it
  EXPECT_EQ(FirstLevel(), -60);
  EXPECT_EQ(view_.Display().Recorder().Captures().Index(), 0);  // no time marker was stepped

  clock_.Advance(15);  // before the first record
  EXPECT_TRUE(view_.Flags().playing_back);
  EXPECT_TRUE(view_.Flags().playback_paused);
  EXPECT_TRUE(view_.Display().SpectrumMode());
  EXPECT_EQ(FirstLevel(), -60);
  EXPECT_TRUE(PaintedTexts(view_.Display()).contains(QStringLiteral("Replay Paused")));
  EXPECT_EQ(Button(kReplayButton).command, kCmdReplay);
  EXPECT_EQ(Button(kRewindButton).image, kImgRewindIdle);
  view_.OnCommand(kCmdReplay);
  EXPECT_EQ(starts_, 0);
  EXPECT_EQ(Button(kReplayButton).command, kCmdPause);
  clock_.Advance(150 * 2);
  EXPECT_EQ(FirstLevel(), -61);

  QFile::rename(QString::fromStdString(sample_), QString::fromStdString(sample_ + ".moved"));
  clock_.Advance(150);
  EXPECT_TRUE(view_.Flags().playback_paused);
  EXPECT_EQ(Button(kReplayButton).command, kCmdReplay);
  EXPECT_THAT(alerts_.shown, ElementsAre(Shown{"File Could not be opened", "Alert"}));
}

TEST_F(FormViewTest, FastForwardAndRewindShowWhichDirectionRuns) {
  view_.OnCommand(kCmdReplay);
  view_.OnCommand(kCmdFastForward);
  EXPECT_EQ(Button(kForwardButton).image, kImgForwardRunning);
  EXPECT_EQ(Button(kRewindButton).image, kImgRewindIdle);

  view_.OnCommand(kCmdFastRewind);
  EXPECT_EQ(Button(kForwardButton).image, kImgForwardIdle);
  EXPECT_EQ(Button(kRewindButton).image, kImgRewindRunning);
  EXPECT_TRUE(view_.Display().Recorder().FastRewind());
  EXPECT_FALSE(view_.Display().Recorder().FastForward());

  view_.OnCommand(kCmdFastRewind);
  EXPECT_EQ(Button(kRewindButton).image, kImgRewindIdle);
  EXPECT_FALSE(view_.Display().Recorder().FastRewind());
}

TEST_F(FormViewTest, StopResetsEverySwappedButtonAndTheSelectionMode) {
  view_.OnCommand(kCmdReplay);
  view_.OnCommand(kCmdSelectDisplay);
  ASSERT_TRUE(view_.Flags().selection_mode);
  ASSERT_EQ(Button(kSelectButton).image, kImgSelectOn);
  view_.OnCommand(kCmdFastForward);

  view_.OnCommand(kCmdStop);

  EXPECT_EQ(Button(kReplayButton).command, kCmdReplay);
  EXPECT_EQ(Button(kReplayButton).image, kImgReplay);
  EXPECT_EQ(Button(kSelectButton).image, kImgSelectOff);
  EXPECT_EQ(Button(kForwardButton).image, kImgForwardIdle);
  EXPECT_EQ(Button(kRewindButton).image, kImgRewindIdle);
  EXPECT_FALSE(view_.Flags().playing_back);
  EXPECT_FALSE(view_.Flags().selection_mode);
  EXPECT_FALSE(view_.Display().Recorder().FastForward());
  // Not connected and no longer playing back: the panes say so.
  EXPECT_EQ(panes_[kPaneLogFile], QStringLiteral("Interface Type: Not Connected"));
  EXPECT_EQ(panes_[kPaneFirmware], QStringLiteral("F/w Ver: NA"));
}

TEST_F(FormViewTest, SelectDisplayTogglesTheGraphModeAndItsImage) {
  view_.Display().SetModeFlags(true, false);  // a sweep arrived
  view_.OnCommand(kCmdSelectDisplay);
  EXPECT_TRUE(view_.Display().SelectionMode());
  EXPECT_EQ(Button(kSelectButton).command, kCmdSelectDisplay);
  EXPECT_EQ(Button(kSelectButton).image, kImgSelectOn);
  view_.OnCommand(kCmdSelectDisplay);
  EXPECT_FALSE(view_.Display().SelectionMode());
  EXPECT_EQ(Button(kSelectButton).image, kImgSelectOff);
}

TEST_F(FormViewTest, DisabledCommandsDoNothing) {
  // No sweeps and no playback: "Select display" is greyed out and a stray trigger is ignored.
  view_.OnCommand(kCmdSelectDisplay);
  EXPECT_FALSE(view_.Display().SelectionMode());
  view_.OnCommand(kCmdStop);
  EXPECT_TRUE(panes_.empty());
}

TEST_F(FormViewTest, FlagsFollowSweepsArrivingAndTheirReset) {
  EXPECT_FALSE(view_.Flags().sweeps_arriving);
  EXPECT_FALSE(CommandEnabled(kCmdStartLogging, view_.Flags()));
  view_.Display().SetModeFlags(false, true);  // a trigger sweep
  EXPECT_TRUE(view_.Flags().sweeps_arriving);
  EXPECT_TRUE(CommandEnabled(kCmdStartLogging, view_.Flags()));
  EXPECT_TRUE(CommandEnabled(kCmdInstantCapture, view_.Flags()));
  view_.Display().ClearModeFlags();  // a new spectrum was set
  EXPECT_FALSE(view_.Flags().sweeps_arriving);
}

class DeviceChangeTest : public FormViewTest {
 protected:
  DeviceChangeTest() { view_.SetDeviceMonitor(&monitor_); }
  FakeSerialMonitor monitor_;
};

TEST_F(DeviceChangeTest, RemovalWithTheSheetClosedShowsTwoBoxesInARow) {
  monitor_.Remove(QStringLiteral("/dev/ttyUSB0"));
  EXPECT_THAT(alerts_.shown,
              ElementsAre(Shown{"CF Card has been removed,\n Please re-insert it back and Connect "
                                "again",
                                "CF Card Removal Alert !"},
                          Shown{"CF Card has been removed", "CF Card Removal Alert !"}));
}

TEST_F(DeviceChangeTest, RemovalWithTheSerialPageOpenShowsOnlyTheRemovalBox) {
  view_.Connection().show();
  ASSERT_TRUE(view_.Connection().SerialPageVisible());
  monitor_.Remove(QStringLiteral("/dev/ttyUSB0"));
  view_.Connection().hide();
  EXPECT_THAT(alerts_.shown,
              ElementsAre(Shown{"CF Card has been removed", "CF Card Removal Alert !"}));
}

TEST_F(DeviceChangeTest, ArrivalOfAnyDeviceReportsAnInsertedCard) {
  monitor_.Arrive(QStringLiteral("/dev/ttyACM3"));
  EXPECT_THAT(alerts_.shown,
              ElementsAre(Shown{"CF Card has been inserted", "CF Card Insertion Alert !"}));
  alerts_.shown.clear();
  view_.OnDeviceChange(DeviceChange::kOther, false, QString());
  EXPECT_THAT(alerts_.shown,
              ElementsAre(Shown{"Device Change Message has been received", "Alert!"}));
}

}  // namespace
}  // namespace qv
