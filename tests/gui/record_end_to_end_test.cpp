#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/record/capture_file.h"
#include "core/record/log_reader.h"
#include "gui/record/time_marker_dialog.h"
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
  ASSERT_TRUE(view_->Display().StartLog(path));
  RunFor(8000);
  const TraceData& trace = view_->Display().Trace();
  const std::vector<int16_t> live(trace.live_levels.begin(),
                                  trace.live_levels.begin() + trace.StoredPoints());
  view_->OnCommand(kCmdStop);
  ASSERT_FALSE(view_->Display().Recording());

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

  ASSERT_TRUE(view_->ReplayFile(path));
  EXPECT_FALSE(view_->Connection().State().connected);  // the log, not the Receiver, draws now
  view_->OnCommand(kCmdFastForward);
  for (int tick = 0; tick < 10000 && view_->Display().PlayingBack(); ++tick) clock_.Advance(15);
  EXPECT_FALSE(view_->Display().PlayingBack());  // stopped by the end record
  ASSERT_FALSE(live.empty());
  EXPECT_TRUE(std::equal(live.begin(), live.end(), trace.live_levels.begin()));
  EXPECT_TRUE(alerts_.shown.empty());
}

// Three sweeps captured from the simulated Receiver, the second one commented on the on-screen
// keypad, come back in review: each capture's trace in the graph, the comments in the list, and
// next after the last shows the first.
TEST_F(RecordEndToEndTest, CapturesCommentedAndReviewed) {
  view_->Display().resize(800, 600);
  Connect();
  RunUntil(20000);
  const std::string path = QDir(dir_.path()).filePath(QStringLiteral("survey.icf")).toStdString();
  ASSERT_TRUE(view_->Display().CreateCaptureFile(path));
  ASSERT_TRUE(view_->Flags().capture_ready);
  std::vector<std::vector<int16_t>> captured;
  for (int c = 0; c < 3; ++c) {
    RunFor(700);
    view_->OnCommand(kCmdInstantCapture);
    captured.push_back(view_->Display().CurrentCapture().levels);
  }
  CTimeMarkerDialog& markers = view_->Display().TimeMarkers();
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

}  // namespace
}  // namespace qv
