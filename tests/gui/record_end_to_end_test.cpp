#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/display/marker_step.h"
#include "core/record/capture_file.h"
#include "core/record/capture_log.h"
#include "core/record/log_reader.h"
#include "gui/record/recording_controller.h"
#include "gui/record/time_marker_dialog.h"
#include "support/legend_texts.h"
#include "support/sim_view.h"

namespace qv {
namespace {

class Count : public LogVisitor {
 public:
  void OnHeader(const LogHeaderInfo& h) override { header = h; }
  void OnRecord(const LogRecordView& r) override {
    if (r.type == kMsgSweep) ++sweeps;
    if (r.type == kLogTimeType) ++times;
  }
  LogHeaderInfo header;
  int sweeps = 0;
  int times = 0;
};

class RecordEndToEndTest : public ::testing::Test, public SimViewTest {
 protected:
  QTemporaryDir dir_;
};

// A session recorded from the simulated Receiver holds its identity, its sweeps and a time
// record a second, and played back (fast) it leaves the graph as it was when recording stopped.
TEST_F(RecordEndToEndTest, RecordedSessionPlaysBackAsItWasShown) {
  view_->Display().resize(800, 600);
  Connect();
  RunUntil(20000);
  ASSERT_TRUE(view_->Display().SpectrumMode());
  const std::string path = QDir(dir_.path()).filePath(QStringLiteral("live.kzq")).toStdString();
  ASSERT_TRUE(view_->Display().Recorder().StartLog(path));
  RunFor(8000);
  const TraceData& trace = view_->Display().Trace();
  const std::vector<int16_t> live(trace.live_levels.begin(),
                                  trace.live_levels.begin() + trace.StoredPoints());
  view_->OnCommand(kCmdStop);
  ASSERT_FALSE(view_->Display().Recorder().Recording());

  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  Count count;
  const LogScanResult scan = ScanLog(bytes.data(), bytes.size(), count);
  EXPECT_TRUE(scan.ended);
  EXPECT_FALSE(scan.torn);
  EXPECT_EQ(count.header.firmware, "1.05");
  EXPECT_EQ(count.header.serial, "100123");
  EXPECT_GE(count.header.identity.band_count, 1);
  EXPECT_EQ(count.times, 8);
  EXPECT_GT(count.sweeps, 20);

  // The log is scanned on a thread of its own while it starts to play; once done, a jump to
  // its last second and a step back tell the timeline, and fast forward still plays to the end.
  CRecordingController& recorder = view_->Display().Recorder();
  QSignalSpy scanned(&recorder, &CRecordingController::ScanFinished);
  QSignalSpy moved(&recorder, &CRecordingController::PositionChanged);
  ASSERT_TRUE(view_->ReplayFile(path));
  EXPECT_FALSE(view_->Connection().State().connected);  // the log, not the Receiver, draws now
  ASSERT_TRUE(scanned.wait(10000));
  ASSERT_NE(recorder.Timeline(), nullptr);
  EXPECT_EQ(recorder.Timeline()->Entries(), 8u);
  EXPECT_NE(recorder.Overview(), nullptr);
  EXPECT_EQ(recorder.ScanProgress(), 1.0);
  EXPECT_EQ(recorder.ScanDamage(), "");
  recorder.JumpTo(recorder.Timeline()->Duration());
  EXPECT_EQ(recorder.PositionElapsed(), recorder.Timeline()->Duration());
  recorder.StepSweep(-1);
  EXPECT_TRUE(recorder.PlaybackPaused());
  EXPECT_GE(moved.count(), 2);
  recorder.ResumePlayback();
  view_->OnCommand(kCmdFastForward);
  for (int tick = 0; tick < 10000 && !recorder.Log().AtEnd(); ++tick) clock_.Advance(15);
  EXPECT_TRUE(recorder.Log().AtEnd());  // waits at the end record
  ASSERT_FALSE(live.empty());
  EXPECT_TRUE(std::equal(live.begin(), live.end(), trace.live_levels.begin()));
  EXPECT_TRUE(alerts_.shown.empty());
  EXPECT_TRUE(alerts_.noted.empty());

  // The same log cut short: its scan says so once, and no box waits for anyone.
  const std::string cut = path + ".cut.kzq";
  {
    std::ofstream out(cut, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size() - 5));
  }
  ASSERT_TRUE(view_->ReplayFile(cut));
  ASSERT_TRUE(scanned.wait(10000));
  EXPECT_EQ(alerts_.noted,
            std::vector<std::string>{"Log damaged: torn record at byte " +
                                     std::to_string(bytes.size() - kLogEndRecordSize)});
  EXPECT_TRUE(alerts_.shown.empty());
  view_->OnCommand(kCmdStop);
  EXPECT_EQ(recorder.Timeline(), nullptr);
}

// Three sweeps captured from the simulated Receiver, the second one commented on the on-screen
// keypad, come back in review: each capture's trace in the graph, the comments in the list, and
// next after the last shows the first.
TEST_F(RecordEndToEndTest, CapturesCommentedAndReviewed) {
  view_->Display().resize(800, 600);
  Connect();
  RunUntil(20000);
  const std::string path = QDir(dir_.path()).filePath(QStringLiteral("survey.icf")).toStdString();
  ASSERT_TRUE(view_->Display().Recorder().CreateCaptureFile(path));
  ASSERT_TRUE(view_->Flags().capture_ready);
  const CaptureLog& captures = view_->Display().Recorder().Captures();
  for (int c = 0; c < 3; ++c) {
    RunFor(700);
    view_->OnCommand(kCmdInstantCapture);
    // Taken as the sweep arriving is whole.
    for (int tick = 0; tick < 100 && captures.Count() == c; ++tick) RunFor(10);
  }
  CaptureScan scan;
  ASSERT_TRUE(CaptureFile::Read(path, &scan, nullptr));
  std::vector<std::vector<int16_t>> captured;
  for (const CaptureEntry& entry : scan.entries) captured.push_back(entry.sweep.levels);
  ASSERT_EQ(captured.size(), 3u);
  CTimeMarkerDialog& markers = view_->Display().Recorder().TimeMarkers();
  EXPECT_TRUE(markers.isVisible());
  ASSERT_EQ(markers.List()->topLevelItemCount(), 3);
  EXPECT_EQ(markers.List()->topLevelItem(2)->text(0), QStringLiteral("3"));
  EXPECT_EQ(markers.List()->topLevelItem(2)->text(2), QStringLiteral("No Comments"));

  markers.List()->setCurrentItem(markers.List()->topLevelItem(1));
  markers.Button(QStringLiteral("More>>"))->click();
  EXPECT_TRUE(markers.Expanded());
  for (const char* key : {"h", "o", "p", "x", "<--", "Space Bar", "1"}) {
    markers.Button(QString::fromLatin1(key))->click();
  }
  EXPECT_EQ(markers.CommentBox()->text(), QStringLiteral("hop 1"));
  QTest::keyClick(markers.CommentBox(), Qt::Key_Return);  // as "Add "
  EXPECT_EQ(markers.List()->topLevelItem(1)->text(2), QStringLiteral("hop 1"));
  EXPECT_TRUE(markers.CommentBox()->text().isEmpty());
  EXPECT_FALSE(markers.Button(QStringLiteral("Delete"))->isEnabled());

  ASSERT_TRUE(view_->ReviewFile(path));
  EXPECT_FALSE(view_->Connection().State().connected);
  const TraceData& trace = view_->Display().Trace();
  const auto shows = [&](int k) {
    return std::equal(captured[k].begin(), captured[k].end(), trace.live_levels.begin()) &&
           trace.header.points == captured[k].size();
  };
  ASSERT_EQ(markers.List()->topLevelItemCount(), 3);
  EXPECT_EQ(markers.List()->topLevelItem(1)->text(2), QStringLiteral("hop 1"));
  EXPECT_TRUE(shows(0));
  view_->OnCommand(kCmdFastForward);
  EXPECT_TRUE(shows(1));
  EXPECT_EQ(markers.MarkerLabel()->text(), QStringLiteral("Current Marker # 2"));
  view_->OnCommand(kCmdFastForward);
  view_->OnCommand(kCmdFastForward);  // past the last: the first again
  EXPECT_TRUE(shows(0));
  view_->OnCommand(kCmdFastRewind);  // before the first: the last
  EXPECT_TRUE(shows(2));
  EXPECT_TRUE(view_->Display().SpectrumMode());
  EXPECT_TRUE(alerts_.shown.empty());
}

// Markers follow the capture shown: Marker to Peak on the first of three captures whose carrier
// stands at -48, -63 and -62 dBm reads each in turn, on the graph too, and a marker pair around
// the carrier has each capture's band power.
TEST_F(RecordEndToEndTest, MarkersReadEveryReviewedCapture) {
  view_->Display().resize(800, 600);
  const std::string path = QDir(dir_.path()).filePath(QStringLiteral("peaks.icf")).toStdString();
  std::string error;
  ASSERT_TRUE(CaptureFile::Create(path, &error));
  const int16_t carriers[] = {-48, -63, -62};
  for (const int16_t carrier : carriers) {
    CaptureSweep sweep;
    sweep.start = 48000;
    sweep.points = 400;
    sweep.reference_level = -20;
    sweep.levels.assign(400, -110);
    sweep.levels[150] = carrier;
    uint32_t number = 0;
    ASSERT_TRUE(CaptureFile::Append(path, LogClock{3, 9, 26, 8, 5, 0}, sweep, &number, &error));
  }
  ASSERT_TRUE(view_->ReviewFile(path));
  CDisplay& display = view_->Display();
  TraceData& trace = display.Trace();
  ASSERT_TRUE(display.MarkerToPeak());
  EXPECT_FLOAT_EQ(trace.markers[0].a_level, -48.0f);
  MarkerRecord& pair = trace.markers[1];
  PlaceMarkerEnd(pair, false, display.Geometry(), 48000, 1, trace.live_sixteenths.data(), 140);
  PlaceMarkerEnd(pair, true, display.Geometry(), 48000, 1, trace.live_sixteenths.data(), 160);
  for (const int k : {1, 2, 0}) {
    view_->OnCommand(kCmdFastForward);
    const float carrier = carriers[k];
    EXPECT_FLOAT_EQ(trace.markers[0].a_level, carrier) << k;
    EXPECT_FLOAT_EQ(pair.a_level, -110.0f);
    EXPECT_NEAR(pair.band_power, carrier, 0.01) << k;  // the floor adds next to nothing
    EXPECT_TRUE(PaintedTexts(display).contains(QString::asprintf("%.2f dBm", carrier))) << k;
  }
  EXPECT_TRUE(alerts_.shown.empty());
}

}  // namespace
}  // namespace qv
