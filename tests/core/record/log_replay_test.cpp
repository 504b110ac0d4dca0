#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/app/status_panes.h"
#include "core/link/sweep_message.h"
#include "core/record/log_file.h"
#include "core/record/log_file_scan.h"
#include "core/record/log_test_files.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

// Sweeps of four points in two blocks; the first point's level names the second and the sweep.
int16_t Level(int second, int sweep) {
  return static_cast<int16_t>(-16 * (second % 1900) - 8 * sweep);
}

void AddSweep(Bytes& log, int second, int sweep) {
  for (uint32_t first : {0u, 2u}) {
    SweepHeader h;
    h.start = 48000;
    h.points = 4;
    h.block_frequency = 48000 + first;
    const int16_t levels[2] = {Level(second, sweep), -1600};
    const Bytes message = BuildSweepBlock(h, levels, 2);
    const Bytes record = BuildMessageRecord(message.data(), message.size());
    log.insert(log.end(), record.begin(), record.end());
  }
}

class Player : public LogHost {
 public:
  void SetStatusPaneText(int pane, const std::string& text) override {
    if (pane == kPaneRunningTime) time_pane = text;
  }
  void PlaySweep(const uint8_t* message, size_t length) override {
    const std::optional<SweepHeader> h = ParseSweepHeader(message, length);
    if (h) blocks.push_back(h->block_frequency);
    if (h && h->block_frequency == h->start)
      firsts.push_back(static_cast<int16_t>(message[length - 4] | message[length - 3] << 8));
  }
  void PlaybackEnded(const std::string& text) override {
    ended = true;
    end_text = text;
  }
  void LogStateChanged() override {}
  void PlaybackJumped() override { ++jumps; }

  int16_t Last() const { return firsts.empty() ? 0 : firsts.back(); }
  std::vector<int16_t> firsts;  // first level of every sweep's first block shown
  std::vector<uint32_t> blocks;  // block frequency of every block shown
  std::string time_pane;
  bool ended = false;
  std::string end_text;
  int jumps = 0;
};

// From 10:00:00, `seconds` seconds of a time record and `per_second` one-block sweeps of two
// points, the first at -(60 + the second) dBm.
Bytes SecondsLog(int seconds, int per_second) {
  Bytes bytes = BuildHeaderRecord(ReceiverIdentity{}, LogClock{12, 7, 26, 10, 0, 0}, {});
  const auto add = [&bytes](const Bytes& record) {
    bytes.insert(bytes.end(), record.begin(), record.end());
  };
  for (int second = 0; second < seconds; ++second) {
    const int minute = second / 60;
    add(BuildTimeRecord(LogClock{12, 7, 26, static_cast<uint8_t>(10 + minute / 60),
                                 static_cast<uint8_t>(minute % 60),
                                 static_cast<uint8_t>(second % 60)},
                        {}));
    SweepHeader h;
    h.start = h.block_frequency = 48000;
    h.points = 2;
    const int16_t levels[2] = {static_cast<int16_t>(-16 * (60 + second)), -1600};
    const Bytes message = BuildSweepBlock(h, levels, 2);
    for (int k = 0; k < per_second; ++k) add(BuildMessageRecord(message.data(), message.size()));
  }
  return bytes;
}

// `bytes` written as a log, scanned, and opened for replay with the timeline the scan built.
class ScannedReplay {
 public:
  ScannedReplay(const Bytes& bytes, TimerFactory& timers, LogHost& host)
      : path_(dir_.File("replay.zn")), log_(timers, alerts_, host, identity_) {
    WriteWholeFile(path_, bytes.data(), bytes.size());
    const std::atomic<bool> cancel{false};
    scan_ = ScanLogFile(path_, cancel, nullptr);
    opened_ = scan_.timeline != nullptr && log_.OpenLogForReplay(path_);
    if (opened_) {
      log_.SetTimeline(scan_.timeline.get());
      log_.SetLogSweeps(scan_.scan.WholeSweeps());
    }
  }
  bool Opened() const { return opened_; }
  CLogFile& Log() { return log_; }

 private:
  TempDir dir_;
  std::string path_;
  RecordingAlerts alerts_;
  ReceiverIdentity identity_;
  LogFileScan scan_;
  CLogFile log_;
  bool opened_ = false;
};

// Three hours, from 20:00:00, a time record and two sweeps a second. At second 3600 the clock
// was set back half an hour; second 5000's time record has a clock nobody can read, and an
// unknown record sits beside it; the tail is torn.
constexpr int kSeconds = 10800;

Bytes NightLog() {
  Bytes log = BuildHeaderRecord(ReceiverIdentity{}, LogClock{12, 7, 26, 20, 0, 0}, {});
  for (int second = 0; second < kSeconds; ++second) {
    const int clock = 20 * 3600 + second - (second >= 3600 ? 1800 : 0);
    LogClock c{12,
               7,
               26,
               static_cast<uint8_t>(clock / 3600),
               static_cast<uint8_t>(clock / 60 % 60),
               static_cast<uint8_t>(clock % 60)};
    if (second == 5000) {
      c.month = 0;
      log.insert(log.end(), {0x77, 3, 0, 1, 2, 3});
    }
    const Bytes time = BuildTimeRecord(c, {});
    log.insert(log.end(), time.begin(), time.end());
    AddSweep(log, second, 0);
    AddSweep(log, second, 1);
  }
  log.insert(log.end(), {kMsgSweep, 40, 0, 1});  // torn
  return log;
}

// Elapsed time of a second of the night: the half hour set back adds nothing.
int64_t ElapsedOfSecond(int second) {
  return second < 3600 ? second : second - 1;
}

TEST(LogReplayTest, ANightIsScannedJumpedSteppedAndPacedByItsOwnTime) {
  TempDir dir;
  const std::string path = dir.File("night.zn");
  const Bytes bytes = NightLog();
  WriteWholeFile(path, bytes.data(), bytes.size());

  // The scan: progress only grows and ends at the whole; the index has every readable clock;
  // one text names each damage.
  std::atomic<bool> cancel{false};
  std::vector<uint64_t> progress;
  const LogFileScan scan = ScanLogFile(path, cancel, [&](uint64_t done, uint64_t total) {
    EXPECT_EQ(total, 2 * bytes.size());
    if (!progress.empty()) {
      EXPECT_GE(done, progress.back());
    }
    progress.push_back(done);
  });
  ASSERT_FALSE(scan.cancelled);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 2 * bytes.size());
  const LogTimeline& timeline = *scan.timeline;
  ASSERT_EQ(timeline.Entries(), static_cast<size_t>(kSeconds - 1));
  EXPECT_EQ(timeline.Duration(), ElapsedOfSecond(kSeconds - 1));
  EXPECT_EQ(timeline.Elapsed(3599), 3599);
  EXPECT_EQ(timeline.Elapsed(3600), 3599);   // the clock went back
  EXPECT_EQ(timeline.EntryAt(3599), 3599u);  // and the second it repeats is its first
  EXPECT_EQ(timeline.Elapsed(5000), 5000);   // second 5001: the unread clock's gap counts
  const uint64_t set_back_at = timeline.Entry(3600).offset;
  EXPECT_EQ(scan.damage, "damaged: torn record at byte " + std::to_string(bytes.size() - 4) +
                             "; the clock went back at byte " + std::to_string(set_back_at) +
                             "; 1 s without time records before byte " +
                             std::to_string(timeline.Entry(5000).offset));
  ASSERT_NE(scan.overview, nullptr);
  EXPECT_EQ(scan.overview->Grid().rows, kOverviewMaxRows);
  EXPECT_EQ(scan.overview->Grid().columns, 4u);
  // The strip's rows follow elapsed time, as the slider does: the half hour after the clock went
  // back is not drawn over the one before. Second 2000 reads -100 dBm; second 3800, whose clock
  // is the same, 0 dBm.
  const LogOverviewGrid& grid = scan.overview->Grid();
  EXPECT_EQ(grid.last_second, timeline.Duration());
  const auto row = static_cast<uint32_t>(2000 * int64_t{grid.rows} / (grid.last_second + 1));
  EXPECT_NEAR(scan.overview->Cell(row, 0), -100 * 16, 5 * 16);
  EXPECT_EQ(ElapsedText(timeline.Duration()), "+02:59:58");
  EXPECT_EQ(DurationText(3 * 3600 + 125), "03:02:05");

  // Times as users give them: offsets, and wall clocks (the first of a repeated one counts).
  EXPECT_EQ(timeline.ElapsedOf(*ParseLogTime("+01:00:00")), 3600);
  EXPECT_EQ(timeline.ElapsedOf(*ParseLogTime("2026-12-07 20:40:00")), 2400);
  EXPECT_EQ(timeline.ElapsedOf(*ParseLogTime("2026-12-07 22:29:59")),
            ElapsedOfSecond(kSeconds - 1));
  EXPECT_EQ(timeline.ElapsedOf(*ParseLogTime("2026-12-07 19:59:59")), std::nullopt);
  EXPECT_EQ(timeline.ElapsedOf(*ParseLogTime("+03:00:00")), std::nullopt);
  // A window's bytes run from its first second's time record to the one after its last.
  EXPECT_EQ(timeline.RangeOf(10, 11),
            std::make_pair(timeline.Entry(10).offset, timeline.Entry(12).offset));
  EXPECT_EQ(timeline.RangeOf(0, kSeconds).first, kLogHeaderRecordSize);
  EXPECT_EQ(timeline.RangeOf(0, kSeconds).second, bytes.size() - 4);

  ManualClock clock;
  RecordingAlerts alerts;
  Player player;
  ReceiverIdentity identity;
  CLogFile log(clock, alerts, player, identity);
  ASSERT_TRUE(log.OpenLogForReplay(path));
  log.SetTimeline(&timeline);

  // A jump forward past the set-back clock and the damage, then back: the first whole sweep
  // of that second each time.
  ASSERT_TRUE(log.JumpTo(ElapsedOfSecond(7201)));
  EXPECT_EQ(player.Last(), Level(7201, 0));
  EXPECT_EQ(log.PositionElapsed(), ElapsedOfSecond(7201));
  EXPECT_EQ(log.PositionClock(), LogClockSeconds(LogClock{12, 7, 26, 21, 30, 1}));
  ASSERT_TRUE(log.JumpTo(ElapsedOfSecond(5001)));
  EXPECT_EQ(player.Last(), Level(5001, 0));
  ASSERT_TRUE(log.JumpTo(ElapsedOfSecond(5001) - 1));  // the second of the unread clock
  EXPECT_EQ(player.Last(), Level(4999, 0));
  ASSERT_TRUE(log.JumpTo(100));
  EXPECT_EQ(player.Last(), Level(100, 0));

  // Steps while paused: on within the second, back, and back across a time record.
  ASSERT_TRUE(log.StepSweep(+1));
  EXPECT_TRUE(log.IsPaused());
  EXPECT_EQ(player.Last(), Level(100, 1));
  ASSERT_TRUE(log.StepSweep(-1));
  EXPECT_EQ(player.Last(), Level(100, 0));
  ASSERT_TRUE(log.StepSweep(-1));
  EXPECT_EQ(player.Last(), Level(99, 1));
  EXPECT_EQ(log.PositionElapsed(), 99);

  // Recorded speed: sixteen seconds of the log a second, then four; paused, nothing moves.
  log.SetSpeed(ReplaySpeed::k16);
  log.Resume();
  clock.Advance(1000);
  EXPECT_NEAR(static_cast<double>(log.PositionElapsed()), 99 + 16, 1);
  log.SetSpeed(ReplaySpeed::k4);
  clock.Advance(2000);
  EXPECT_NEAR(static_cast<double>(log.PositionElapsed()), 99 + 16 + 8, 1);
  log.Pause();
  const size_t shown = player.firsts.size();
  clock.Advance(5000);
  EXPECT_EQ(player.firsts.size(), shown);

  // The toolbar's fast rewind after a jump steps back past where the jump landed.
  ASSERT_TRUE(log.JumpTo(3000));
  log.Resume();
  log.ToggleFastRewind();
  clock.Advance(15 * 40);
  EXPECT_LT(player.Last(), 0);
  // Forty records back from the end of the sweep shown: its second's three, seven seconds of
  // five, then the second sweep of second 2992.
  EXPECT_EQ(player.Last(), Level(2992, 1));
  EXPECT_FALSE(player.ended);

  // As fast as it can be drawn, to the torn end, where playback ends.
  log.ToggleFastRewind();
  log.SetSpeed(ReplaySpeed::kMax);
  ASSERT_TRUE(log.JumpTo(timeline.Duration() - 2));
  clock.Advance(20);
  EXPECT_TRUE(player.ended);
  EXPECT_EQ(player.Last(), Level(kSeconds - 1, 1));

  // A scan cancelled before it starts ends at once, empty-handed.
  cancel = true;
  EXPECT_TRUE(ScanLogFile(path, cancel, nullptr).cancelled);
}

// A slow link's sweep is cut by the next second's time record: 10:00:00 sweep 0, whose second
// block comes after 10:00:01's record, then sweep 1; 10:00:02 sweep 2; 10:00:03 sweep 3.
TEST(LogReplayTest, JumpsAndStepsShowWholeSweepsWithTheClockOfTheirSecond) {
  const auto clock = [](int second) {
    return LogClock{12, 7, 26, 10, 0, static_cast<uint8_t>(second)};
  };
  Bytes bytes = BuildHeaderRecord(ReceiverIdentity{}, clock(0), {});
  const auto add = [&bytes](const Bytes& record) {
    bytes.insert(bytes.end(), record.begin(), record.end());
  };
  const auto block = [&](int sweep, uint32_t first) {
    SweepHeader h;
    h.start = 48000;
    h.points = 4;
    h.block_frequency = 48000 + first;
    const int16_t levels[2] = {static_cast<int16_t>(-16 * (60 + sweep)), -1600};
    const Bytes message = BuildSweepBlock(h, levels, 2);
    add(BuildMessageRecord(message.data(), message.size()));
  };
  add(BuildTimeRecord(clock(0), {}));
  block(0, 0);
  add(BuildTimeRecord(clock(1), {}));
  block(0, 2);
  block(1, 0);
  block(1, 2);
  for (int second : {2, 3}) {
    add(BuildTimeRecord(clock(second), {}));
    block(second, 0);
    block(second, 2);
  }
  ManualClock timers;
  Player player;
  ScannedReplay replay(bytes, timers, player);
  ASSERT_TRUE(replay.Opened());
  CLogFile& log = replay.Log();
  const auto shows = [&](int sweep, int second) {
    EXPECT_EQ(player.Last(), -16 * (60 + sweep));
    EXPECT_EQ(log.PositionClock(), LogClockSeconds(clock(second)));
    EXPECT_EQ(player.time_pane, "12/7/2026 10:0:" + std::to_string(second));
  };
  std::vector<bool> counted;

  // Both blocks of sweep 0, the time record between them moving the clock on; then the whole
  // of sweep 1 with nothing of sweep 0 skipped or shown twice.
  ASSERT_TRUE(log.JumpTo(0));
  EXPECT_EQ(player.blocks, (std::vector<uint32_t>{48000, 48002}));
  shows(0, 1);
  counted.push_back(log.CountShownSweep());
  ASSERT_TRUE(log.StepSweep(+1));
  EXPECT_EQ(player.blocks, (std::vector<uint32_t>{48000, 48002, 48000, 48002}));
  shows(1, 1);
  counted.push_back(log.CountShownSweep());
  for (int sweep : {2, 3}) {
    ASSERT_TRUE(log.StepSweep(+1));
    shows(sweep, sweep);
    counted.push_back(log.CountShownSweep());
  }

  // Back, the clock is that of the sweep shown, not of the last record read; sweeps seen
  // again count no more.
  ASSERT_TRUE(log.StepSweep(-1));
  shows(2, 2);
  counted.push_back(log.CountShownSweep());
  ASSERT_TRUE(log.StepSweep(-1));
  shows(1, 1);
  ASSERT_TRUE(log.StepSweep(+1));
  shows(2, 2);
  counted.push_back(log.CountShownSweep());
  ASSERT_TRUE(log.JumpTo(0));
  shows(0, 1);
  counted.push_back(log.CountShownSweep());
  EXPECT_EQ(counted, (std::vector<bool>{true, true, true, true, false, false, false}));

  // Rewinding: sweep 3's blocks, then past its time record into 10:00:02.
  ASSERT_TRUE(log.JumpTo(3));
  log.Resume();
  log.ToggleFastRewind();
  timers.Advance(3 * kFastPlaybackTickMs);
  EXPECT_EQ(log.PositionClock(), LogClockSeconds(clock(2)));
  EXPECT_EQ(player.time_pane, "12/7/2026 10:0:2");
  EXPECT_FALSE(log.CountShownSweep());
}

// A jump forward skips sweeps it has not counted; a jump back that shows them counts them then
// (a violation among them is still found), and nothing already counted counts again.
TEST(LogReplayTest, SweepsAJumpSkippedCountWhenAJumpBackShowsThem) {
  const Bytes bytes = SecondsLog(5, 1);
  ManualClock timers;
  Player player;
  ScannedReplay replay(bytes, timers, player);
  ASSERT_TRUE(replay.Opened());
  CLogFile& log = replay.Log();

  std::vector<std::pair<int16_t, bool>> seen;  // level shown, counted
  const auto note = [&] { seen.emplace_back(player.Last(), log.CountShownSweep()); };
  ASSERT_TRUE(log.JumpTo(3));
  note();
  ASSERT_TRUE(log.JumpTo(1));
  note();
  for (int step = 0; step < 3; ++step) {
    ASSERT_TRUE(log.StepSweep(+1));
    note();
  }
  ASSERT_TRUE(log.JumpTo(2));
  note();
  EXPECT_EQ(seen, (std::vector<std::pair<int16_t, bool>>{{-16 * 63, true},
                                                          {-16 * 61, true},
                                                          {-16 * 62, true},
                                                          {-16 * 63, false},
                                                          {-16 * 64, true},
                                                          {-16 * 62, false}}));
}

// Drawing that cannot keep up with x256 (each sweep costs a millisecond here): the replay goes on
// from where the speed has got to, and says so, so a violation does not run on across the gap.
TEST(LogReplayTest, AReplayThatFallsBehindItsSpeedSaysItSkipped) {
  const Bytes bytes = SecondsLog(1000, 2);
  struct SlowClock : ManualClock {
    int64_t NowMs() const override { return ManualClock::NowMs() + drawing_ms; }
    int64_t drawing_ms = 0;
  } timers;
  struct SlowPlayer : Player {
    explicit SlowPlayer(SlowClock& clock) : clock(clock) {}
    void PlaySweep(const uint8_t* message, size_t length) override {
      Player::PlaySweep(message, length);
      ++clock.drawing_ms;
    }
    SlowClock& clock;
  } player(timers);
  ScannedReplay replay(bytes, timers, player);
  ASSERT_TRUE(replay.Opened());
  CLogFile& log = replay.Log();
  log.SetSpeed(ReplaySpeed::k256);
  timers.Advance(100 * kPacedTickMs);
  EXPECT_GE(player.jumps, 1);
  EXPECT_LT(player.firsts.size(), 1000u);  // of the 2000 sweeps
  // The user skipped nothing: the end counts every sweep of the log, not those drawn.
  for (int tick = 0; tick < 5000 && !player.ended; ++tick) timers.Advance(kPacedTickMs);
  EXPECT_EQ(player.end_text, "End of log: 2000 sweeps, last record 2026-12-07 10:16:39");
}

// At its end a replay waits, paused, with the log open: a jump goes back into it, and Replay
// plays it again from the start. The end counts the whole sweeps played, each once, and says
// how many of the log's when a jump skipped some.
TEST(LogReplayTest, AnEndedReplayWaitsAtTheEndAndCountsTheSweepsPlayed) {
  const Bytes bytes = SecondsLog(10, 3);  // 30 sweeps, 10:00:00 ... 10:00:09
  ManualClock timers;
  Player player;
  ScannedReplay replay(bytes, timers, player);
  ASSERT_TRUE(replay.Opened());
  CLogFile& log = replay.Log();
  const auto play_to_end = [&] {
    player.ended = false;
    log.Resume();
    for (int tick = 0; tick < 100 && !player.ended; ++tick) timers.Advance(kPlaybackTickMs);
    EXPECT_TRUE(player.ended);
    EXPECT_TRUE(log.IsPlaying());
    EXPECT_TRUE(log.IsPaused());
    EXPECT_TRUE(log.AtEnd());
  };

  // Two sweeps of 10:00:00 (its time record, then a record a tick), then on from 10:00:08.
  timers.Advance(3 * kPlaybackTickMs);
  EXPECT_EQ(player.firsts, (std::vector<int16_t>{-16 * 60, -16 * 60}));
  ASSERT_TRUE(log.JumpTo(8));
  play_to_end();
  EXPECT_EQ(player.end_text, "End of log: 8 of 30 sweeps played, last record 2026-12-07 10:00:09");
  EXPECT_EQ(log.PositionElapsed(), 9);
  timers.Advance(10 * kPlaybackTickMs);
  EXPECT_FALSE(log.StepSweep(+1));
  EXPECT_TRUE(log.AtEnd());

  // Back into it: the sweeps skipped count once played; those played before do not again.
  ASSERT_TRUE(log.JumpTo(0));
  EXPECT_FALSE(log.AtEnd());
  EXPECT_EQ(player.Last(), -16 * 60);
  play_to_end();
  EXPECT_EQ(player.end_text, "End of log: 30 sweeps, last record 2026-12-07 10:00:09");

  // Replay after the end starts again at the first record, the header's time until the first
  // time record.
  player.time_pane.clear();
  const size_t shown = player.firsts.size();
  log.Resume();
  EXPECT_FALSE(log.AtEnd());
  EXPECT_EQ(player.time_pane, "12/7/2026 10:0:0");
  EXPECT_EQ(log.PositionElapsed(), 0);
  timers.Advance(2 * kPlaybackTickMs);
  ASSERT_EQ(player.firsts.size(), shown + 1);
  EXPECT_EQ(player.Last(), -16 * 60);
}

}  // namespace
}  // namespace qv
