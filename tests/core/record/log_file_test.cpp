#include "core/record/log_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/app/status_panes.h"
#include "core/display/graph_texts.h"
#include "core/link/sweep_message.h"
#include "core/record/log_test_files.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

class Host : public LogHost {
 public:
  void SetStatusPaneText(int pane_id, const std::string& text) override { panes[pane_id] = text; }
  void PlaySweep(const uint8_t* message, size_t length) override {
    played.emplace_back(message, message + length);
  }
  void PlaybackEnded(const std::string& text) override {
    ++ended;
    end_text = text;
  }
  void LogStateChanged() override { ++state_changes; }

  std::map<int, std::string> panes;
  std::vector<Bytes> played;
  int ended = 0;
  std::string end_text;
  int state_changes = 0;
};

class Collector : public LogVisitor {
 public:
  void OnHeader(const LogHeaderInfo& h) override { header = h; }
  void OnRecord(const LogRecordView& r) override {
    types.push_back(r.type);
    Bytes bytes{r.type};
    bytes.insert(bytes.end(), r.payload, r.payload + r.length);
    records.push_back(bytes);
  }
  LogHeaderInfo header;
  std::vector<uint8_t> types;
  std::vector<Bytes> records;
};

Bytes Sweep(uint32_t first_point, int16_t level, uint8_t type = kMsgSweep, uint32_t points = 4) {
  SweepHeader h;
  h.type = type;
  h.start = 48000;
  h.points = points;
  h.block_frequency = 48000 + first_point;
  const std::vector<int16_t> samples(2, static_cast<int16_t>(level * 16));
  return BuildSweepBlock(h, samples.data(), 2);
}

class LogFileTest : public ::testing::Test {
 protected:
  LogFileTest() {
    identity_.StoreFirmware(reinterpret_cast<const uint8_t*>("1.05"), 4);
    identity_.StoreSerial(reinterpret_cast<const uint8_t*>("100123"), 6);
    log_.SetClock([] { return LogClock{12, 7, 26, 13, 45, 7}; });
  }
  std::string Path(const char* name) const { return dir_.File(name); }
  // A log of `count` one-block sweeps at -first, -first - 1 ... dBm, finished.
  void RecordSweeps(const std::string& path, int count, int first) {
    ASSERT_TRUE(log_.StartLog(path));
    for (int s = 0; s < count; ++s) {
      const Bytes m = Sweep(0, static_cast<int16_t>(-first - s), kMsgSweep, 2);  // whole
      log_.WriteMessageRecord(m.data(), m.size());
    }
    log_.CloseLog();
  }
  LogScanResult Scan(const std::string& path, Collector& into) {
    const Bytes bytes = ReadWholeFile(path);
    return ScanLog(bytes.data(), bytes.size(), into);
  }

  TempDir dir_;
  ManualClock clock_;
  RecordingAlerts alerts_;
  Host host_;
  ReceiverIdentity identity_;
  CLogFile log_{clock_, alerts_, host_, identity_};
};

// A log written while the Receiver streams holds every message in order between the header and
// the end record, a time record a second; played back, its sweeps come out one per 150 ms tick,
// the time pane shows the header's time, then each time record's, and the end says how many
// sweeps (their first blocks) were played and the last time.
TEST_F(LogFileTest, RecordedMessagesComeBackInOrderWhenPlayed) {
  const std::string path = Path("session.kzq");
  ASSERT_TRUE(log_.StartLog(path));
  EXPECT_TRUE(log_.IsLogging());
  EXPECT_EQ(host_.panes[kPaneLogFile], "Spec Log Locn: session.kzq");
  const std::vector<Bytes> messages = {Sweep(0, -60), Sweep(2, -61), {0x01, '1', '.', '0', '5', 0},
                                       Sweep(0, -62, kMsgTriggerSweep)};
  log_.WriteMessageRecord(messages[0].data(), messages[0].size());
  log_.WriteMessageRecord(messages[1].data(), messages[1].size());
  clock_.Advance(1000);
  log_.WriteMessageRecord(messages[2].data(), messages[2].size());
  log_.WriteMessageRecord(messages[3].data(), messages[3].size());
  log_.Markers()[3] = LogMarkerEnd{1, 321};
  clock_.Advance(1000);
  EXPECT_EQ(log_.LogSize(), ReadWholeFile(path).size());  // after the second time record
  log_.CloseLog();
  EXPECT_FALSE(log_.IsLogging());

  Collector seen;
  const LogScanResult scan = Scan(path, seen);
  EXPECT_TRUE(scan.header_ok);
  EXPECT_TRUE(scan.ended);
  EXPECT_FALSE(scan.torn);
  EXPECT_EQ(seen.header.firmware, "1.05");
  EXPECT_EQ(seen.header.serial, "100123");
  EXPECT_EQ(seen.types, (std::vector<uint8_t>{6, 6, kLogTimeType, 1, 10, kLogTimeType, kLogEndType}));
  // A message record is the message with its length after the type byte.
  EXPECT_EQ(seen.records[3], messages[2]);
  // Marker 2 B's x (321) in the last time record: type, date and time, marker 1, then 2 B's x.
  EXPECT_EQ(seen.records[5][1 + 6 + 10 + 6], 0x41);
  EXPECT_EQ(seen.records[5][1 + 6 + 10 + 7], 0x01);
  // End record: six records written (two time records), zero minutes.
  EXPECT_EQ(seen.records.back(), (Bytes{kLogEndType, 6, 0, 0, 0, 0, 0, 0, 0}));

  host_.panes[kPaneRunningTime] = "5/1/2026 9:0:0";  // left by an earlier log
  ASSERT_TRUE(log_.OpenLogForReplay(path));
  EXPECT_EQ(host_.panes[kPaneRunningTime], "12/7/2026 13:45:7");
  EXPECT_EQ(host_.panes[kPaneFirmware], "F/w Ver: 1.05");
  EXPECT_EQ(host_.panes[kPaneSerial], "Receiver Serial # 100123");
  EXPECT_EQ(host_.panes[kPaneLogFile],
            "Playing File: session.kzq (" + std::to_string(ReadWholeFile(path).size()) + " Bytes)");
  clock_.Advance(150 * 3);
  EXPECT_EQ(host_.played, (std::vector<Bytes>{messages[0], messages[1]}));
  EXPECT_EQ(host_.panes[kPaneRunningTime], "12/7/2026 13:45:7");
  clock_.Advance(150 * 10);
  EXPECT_EQ(host_.played.size(), 3u);
  EXPECT_EQ(host_.played.back(), messages[3]);
  // Only the first sweep is whole (the trigger sweep's second half never came); the last record's
  // date goes with its time.
  EXPECT_EQ(host_.ended, 1);
  EXPECT_EQ(host_.end_text, "End of log: 1 sweep, last record 2026-12-07 13:45:07");
  // It waits at its end, paused, the log still open.
  EXPECT_TRUE(log_.IsPlaying());
  EXPECT_TRUE(log_.IsPaused());
  EXPECT_TRUE(log_.AtEnd());
  DisplayState state;
  CopyLogFigures(log_, state);
  EXPECT_EQ(ReplayPercentText(state.playback_position, state.log_length), "100 %");
  clock_.Advance(150 * 10);
  EXPECT_EQ(host_.played.size(), 3u);
}

TEST_F(LogFileTest, PauseFastForwardAndRewindPastTheFirstRecord) {
  const std::string path = Path("walk.kzq");
  RecordSweeps(path, 6, 50);
  ASSERT_TRUE(log_.OpenLogForReplay(path));

  clock_.Advance(300);
  EXPECT_EQ(host_.played.size(), 2u);
  log_.Pause();
  clock_.Advance(3000);
  EXPECT_EQ(host_.played.size(), 2u);
  log_.Resume();
  EXPECT_TRUE(log_.ToggleFastForward());
  clock_.Advance(30);  // ten times faster
  EXPECT_EQ(host_.played.size(), 4u);
  EXPECT_TRUE(log_.ToggleFastRewind());
  EXPECT_FALSE(log_.FastForward());
  // Backwards: the record just shown comes again first, then the ones before it; at the first
  // record playback waits, paused, its sweep the last one shown. Replay plays on forwards.
  clock_.Advance(15 * 4);
  ASSERT_EQ(host_.played.size(), 8u);
  EXPECT_EQ(host_.played[4], host_.played[3]);
  EXPECT_EQ(host_.played[7], host_.played[0]);
  const int changes = host_.state_changes;
  clock_.Advance(15);
  EXPECT_EQ(host_.ended, 0);
  EXPECT_TRUE(log_.IsPlaying());
  EXPECT_TRUE(log_.IsPaused());
  EXPECT_FALSE(log_.FastRewind());
  EXPECT_EQ(host_.state_changes, changes + 1);
  clock_.Advance(3000);
  EXPECT_EQ(host_.played.size(), 8u);
  log_.Resume();
  clock_.Advance(150 * 2);
  ASSERT_EQ(host_.played.size(), 10u);
  EXPECT_EQ(host_.played[8], host_.played[0]);
  EXPECT_EQ(host_.played[9], host_.played[1]);
  // Sweeps shown again by rewinding count once; without time records the header's time.
  clock_.Advance(150 * 6);
  EXPECT_EQ(host_.ended, 1);
  EXPECT_EQ(host_.end_text, "End of log: 6 sweeps, last record 2026-12-07 13:45:07");
  EXPECT_TRUE(alerts_.shown.empty());
}

TEST_F(LogFileTest, FailuresAreReportedAndNothingRecordedIsLost) {
  // A log that cannot be created: the path and the reason, and no logging state.
  EXPECT_FALSE(log_.StartLog(Path("no/such/folder/x.kzq")));
  EXPECT_FALSE(log_.IsLogging());
  ASSERT_EQ(alerts_.shown.size(), 1u);
  EXPECT_NE(alerts_.shown[0].text.find(Path("no/such/folder/x.kzq")), std::string::npos);

  // No second log and no playback while one is recorded: said, not silently ignored.
  ASSERT_TRUE(log_.StartLog(Path("first.kzq")));
  EXPECT_FALSE(log_.StartLog(Path("second.kzq")));
  EXPECT_FALSE(log_.OpenLogForReplay(Path("first.kzq")));
  EXPECT_EQ(alerts_.shown.size(), 3u);
  EXPECT_EQ(alerts_.shown[1].text, "A spectrum log is being recorded; Stop ends it.");
  EXPECT_EQ(alerts_.shown[2].text, alerts_.shown[1].text);
  EXPECT_FALSE(std::filesystem::exists(Path("second.kzq")));
  EXPECT_TRUE(log_.IsLogging());
  log_.CloseLog();

  // A file that is no log is refused, and says so.
  const std::string picture = Path("picture.kzq");
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  png.resize(1000, 0x42);
  WriteWholeFile(picture, png.data(), png.size());
  EXPECT_FALSE(log_.OpenLogForReplay(picture));
  EXPECT_FALSE(log_.IsPlaying());
  EXPECT_EQ(alerts_.shown.back().text,
            "The spectrum log could not be played.\n" + picture +
                ": not a spectrum log: no header record at byte 0 (type 0xBA, then length 894: "
                "the bytes after the type and length)");
  alerts_.shown.clear();

  // A log cut inside its third sweep record (897 + 2 x 28) plays its first two sweeps, then
  // says where it was cut, without a box.
  const std::string torn = Path("torn.kzq");
  RecordSweeps(torn, 3, 40);
  std::filesystem::resize_file(torn, 953 + 10);
  ASSERT_TRUE(log_.OpenLogForReplay(torn));
  clock_.Advance(150 * 3);
  EXPECT_EQ(host_.played.size(), 2u);
  EXPECT_EQ(host_.end_text,
            "End of log: 2 sweeps, last record 2026-12-07 13:45:07\ndamaged: torn record at byte 953");
  EXPECT_TRUE(alerts_.shown.empty());
  host_.played.clear();
  log_.CloseLog();  // it waits at its end until stopped

  // A log that vanishes while it plays: one message, then the playback waits paused.
  const std::string path = Path("gone.kzq");
  RecordSweeps(path, 1, 70);
  ASSERT_TRUE(log_.OpenLogForReplay(path));
  std::filesystem::rename(path, path + ".moved");
  clock_.Advance(150 * 5);
  EXPECT_EQ(alerts_.shown.size(), 1u);
  EXPECT_EQ(alerts_.shown.back().text, "File Could not be opened");
  EXPECT_TRUE(log_.IsPaused());
  EXPECT_GE(host_.state_changes, 1);
  std::filesystem::rename(path + ".moved", path);
  log_.Resume();  // Replay tries again
  clock_.Advance(150);
  EXPECT_EQ(host_.played.size(), 1u);
  EXPECT_EQ(alerts_.shown.size(), 1u);

  // The program going away while logging still finishes the log.
  const std::string last = Path("last.kzq");
  {
    Host host;
    CLogFile log(clock_, alerts_, host, identity_);
    ASSERT_TRUE(log.StartLog(last));
  }
  EXPECT_EQ(ReadWholeFile(last).size(), kLogHeaderRecordSize + kLogEndRecordSize);
}

}  // namespace
}  // namespace qv
