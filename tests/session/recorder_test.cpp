#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/app/receiver_state.h"
#include "core/record/log_reader.h"
#include "core/record/log_rotation.h"
#include "link/net_test_support.h"
#include "metrics/metrics_exporter.h"
#include "recorder/recorder.h"
#include "sim/transport/tcp_server.h"

namespace qv {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The recorder headless, on virtual time, against the simulated Receiver on a loopback address
// of its own.
class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    address_ = test::RandomLoopbackAddress();
    options_.connect.interface_index = kInternetInterface;
    options_.connect.address = address_.toString().toStdString();
    options_.log_dir = dir_.path().toStdString();
  }

  void StartReceiver(sim::SimOptions sim = {}) {
    sim.bytes_per_second = 200'000;
    server_ = std::make_unique<sim::TcpServer>(sim);
    QString error;
    ASSERT_TRUE(server_->Listen(address_, port_, &error)) << error.toStdString();
    port_ = server_->Port();
    options_.connect.port = port_;
  }

  void StartRecorder() {
    recorder_ = std::make_unique<CRecorder>(clock_, options_, "9.9.9",
                                            [this](const std::string& line) { said_.push_back(line); });
    std::string error;
    ASSERT_TRUE(recorder_->Start(&error)) << error;
  }

  bool RunUntil(const std::function<bool()>& done, int steps = 3000) {
    return test::RunWithClock(clock_, done, steps);
  }
  void RunFor(int64_t virtual_ms) {
    const int64_t until = clock_.Now() + virtual_ms;
    RunUntil([&] { return clock_.Now() >= until; }, static_cast<int>(virtual_ms / 20) + 2);
  }

  std::vector<std::string> Logs() const {
    std::string error;
    std::vector<std::string> names;
    for (const KeptLog& log : ListRecorderLogs(options_.log_dir, &error)) names.push_back(log.name);
    std::sort(names.begin(), names.end());
    return names;
  }
  // Whether the file ends with its end record, as a log closed properly does.
  bool Finished(const std::string& name) const {
    struct : LogVisitor {
      void OnHeader(const LogHeaderInfo&) override {}
      void OnRecord(const LogRecordView&) override {}
    } ignore;
    std::FILE* file = std::fopen((options_.log_dir + "/" + name).c_str(), "rb");
    if (file == nullptr) return false;
    std::string error;
    const LogScanResult scan = ScanLogStream(file, ignore, &error);
    std::fclose(file);
    return scan.header_ok && scan.ended && !scan.torn;
  }
  std::string Metrics() const { return recorder_->Metrics().Text(); }

  QTemporaryDir dir_;
  QHostAddress address_;
  quint16 port_ = 0;
  RecorderOptions options_;
  ManualClock clock_;
  std::unique_ptr<sim::TcpServer> server_;
  std::unique_ptr<CRecorder> recorder_;
  std::vector<std::string> said_;
};

TEST_F(RecorderTest, RotatesBySizeKeepsWithinTheLimitAndEndsEveryFile) {
  options_.rotate.bytes = 64 * 1024;
  options_.keep.bytes = 300 * 1024;
  StartReceiver();
  StartRecorder();
  ASSERT_TRUE(RunUntil([&] { return recorder_->Session().Connected(); }));
  // Several files' worth: each is closed once it holds 64 KiB and the oldest go past 300 KiB.
  ASSERT_TRUE(RunUntil([&] { return recorder_->Log().BytesWritten() > 900 * 1024; }, 20000));
  recorder_->Stop();
  const std::vector<std::string> logs = Logs();
  ASSERT_GE(logs.size(), 2u);
  uint64_t kept = 0;
  for (const std::string& name : logs) {
    EXPECT_TRUE(Finished(name)) << name;
    kept += std::filesystem::file_size(options_.log_dir + "/" + name);
  }
  // Within what is kept, give or take the file being written when the oldest were deleted.
  EXPECT_LT(kept, 300 * 1024 + 2 * recorder_->Log().BytesWritten() / logs.size());
  EXPECT_LT(kept, recorder_->Log().BytesWritten());
  EXPECT_THAT(Metrics(), HasSubstr("quorvalin_log_bytes_written_total"));
  EXPECT_THAT(Metrics(), HasSubstr("quorvalin_log_write_errors_total 0"));
}

TEST_F(RecorderTest, RotatesByTimeAndSighupBeginsTheNextFile) {
  options_.rotate.seconds = 10;
  StartReceiver();
  StartRecorder();
  ASSERT_TRUE(RunUntil([&] { return recorder_->Log().IsLogging(); }));
  RunFor(25'000);  // two rotations
  recorder_->NextFile();
  RunFor(2'000);
  recorder_->Stop();
  const std::vector<std::string> logs = Logs();
  ASSERT_EQ(logs.size(), 4u);
  for (const std::string& name : logs) EXPECT_TRUE(Finished(name)) << name;
}

TEST_F(RecorderTest, ReconnectsAfterTheReceiverReturnsAndLogsIntoANewFile) {
  options_.metrics = ListenAddress{"127.0.0.1", 0};
  StartReceiver();
  StartRecorder();
  ASSERT_TRUE(RunUntil([&] { return recorder_->Log().IsLogging(); }));
  RunFor(3'000);
  EXPECT_THAT(Metrics(), HasSubstr("quorvalin_up 1"));
  EXPECT_THAT(Metrics(), HasSubstr("quorvalin_receiver_info{firmware=\"1.05\",serial=\"100123\"} 1"));
  const std::string first = recorder_->Log().CurrentPath();

  server_.reset();  // the Receiver goes away
  ASSERT_TRUE(RunUntil([&] { return !recorder_->Log().IsLogging(); }));
  RunFor(10'000);
  EXPECT_THAT(Metrics(), HasSubstr("quorvalin_up 0"));
  StartReceiver();  // and comes back at the same address
  ASSERT_TRUE(RunUntil([&] { return recorder_->Log().IsLogging(); }, 6000));
  EXPECT_NE(recorder_->Log().CurrentPath(), first);
  EXPECT_THAT(Metrics(), HasSubstr("quorvalin_reconnects_total 1"));
  EXPECT_TRUE(Finished(std::filesystem::path(first).filename().string()));
  EXPECT_THAT(said_, testing::Contains(HasSubstr("Trying again in")));
}

TEST_F(RecorderTest, ABrokenLimitShowsInTheMetricsAndTheEventsFile) {
  const std::string line = options_.log_dir + "/upper.csv";
  std::ofstream(line) << "2300000000,-110\n2600000000,-110\n";
  options_.limit = line;
  options_.limit_events = options_.log_dir + "/events.csv";
  StartReceiver();
  StartRecorder();
  ASSERT_TRUE(RunUntil([&] { return recorder_->Log().IsLogging(); }));
  RunFor(3'000);
  EXPECT_THAT(Metrics(), HasSubstr("quorvalin_limit_failing{line=\"upper\"} 1"));
  EXPECT_THAT(Metrics(), HasSubstr("quorvalin_limit_violations_total{line=\"upper\"} 1"));
  EXPECT_THAT(Metrics(), Not(HasSubstr("line=\"lower\"")));
  recorder_->Stop();
  std::ifstream events(options_.limit_events);
  std::string header, row;
  std::getline(events, header);
  ASSERT_TRUE(std::getline(events, row));
  // Start, end, worst frequency (MHz, in the band swept), level, excess and sweeps.
  EXPECT_THAT(row, testing::ContainsRegex(",24[0-9][0-9]\\.[0-9]+,-[0-9.]+,[0-9.]+,[0-9]+$"));
}

}  // namespace
}  // namespace qv
