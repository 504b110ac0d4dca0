#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/record/log_reader.h"
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

}  // namespace
}  // namespace qv
