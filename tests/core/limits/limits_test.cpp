#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/limits/limit_check.h"
#include "core/limits/limit_line.h"
#include "core/limits/limit_monitor.h"
#include "core/record/log_test_files.h"

namespace qv {
namespace {

// A mask in the shape users draw: header, comments, blank rows, CRLF, a step at 2410 MHz.
constexpr char kMask[] =
    "# Wi-Fi channel 1 mask\r\n"
    "frequency_hz,level_dbm\r\n"
    "\r\n"
    "2400000000, -60   # left skirt\r\n"
    "2410000000,-60\r\n"
    "2410000000,-30\r\n"
    "2420000000,-40\r\n";

TEST(LimitLineTest, ReadsCommentsHeaderAndStepsAndNamesTheFirstBadRow) {
  const LimitLineRead read = ParseLimitLine(kMask, "mask.csv");
  ASSERT_EQ(read.error, "");
  const LimitLine& line = read.line;
  ASSERT_EQ(line.points.size(), 4u);
  // Outside the line there is no limit; between points a straight line.
  EXPECT_FALSE(line.At(2399.99e6, LimitKind::kUpper));
  EXPECT_FALSE(line.At(2420.01e6, LimitKind::kUpper));
  EXPECT_DOUBLE_EQ(*line.At(2415e6, LimitKind::kUpper), -35);
  EXPECT_DOUBLE_EQ(*line.At(2420e6, LimitKind::kUpper), -40);
  // On the step both sides hold: the stricter one for each kind.
  EXPECT_DOUBLE_EQ(*line.At(2410e6, LimitKind::kUpper), -60);
  EXPECT_DOUBLE_EQ(*line.At(2410e6, LimitKind::kLower), -30);

  const auto error_of = [](const std::string& text) {
    const LimitLineRead bad = ParseLimitLine(text, "limit.csv");
    EXPECT_TRUE(bad.line.points.empty()) << text;  // nothing half-loaded
    return bad.error;
  };
  EXPECT_EQ(error_of("# c\n\n1000,-50\n2000,-50\n1500,-40\n"),
            "limit.csv, row 5: frequencies must ascend");
  EXPECT_EQ(error_of("1000,-50\n2000,-50\n2000,-40\n2000,-30\n"),
            "limit.csv, row 4: a frequency may appear at most twice (one step)");
  EXPECT_EQ(error_of("f,l\n1000,-50\nabc,-50\n"),
            "limit.csv, row 3: the frequency is not a number of Hz");
  EXPECT_EQ(error_of("1000,-50\n2000,loud\n"), "limit.csv, row 2: the level is not a number of dBm");
  EXPECT_EQ(error_of("1000,-50\n2000;-50\n"), "limit.csv, row 2: expected frequency_hz,level_dbm");
  EXPECT_EQ(error_of("1000,-50,3\n"), "limit.csv, row 1: expected frequency_hz,level_dbm");
  EXPECT_EQ(error_of("-5,-50\n2000,-50\n"), "limit.csv, row 1: the frequency is not a number of Hz");
  // A first row that starts like a number is a mistyped point, not a header to skip.
  EXPECT_EQ(error_of("2.40e9x,-30\n2410000000,-60\n2420000000,-60\n"),
            "limit.csv, row 1: the frequency is not a number of Hz");
  EXPECT_EQ(error_of("# mask\n.5e9,-30dB\n1e9,-60\n"),
            "limit.csv, row 2: the level is not a number of dBm");
  EXPECT_EQ(ParseLimitLine("Frequency (Hz), Level (dBm)\n1000,-50\n2000,-50\n", "l").error, "");
  EXPECT_EQ(error_of("# only a comment\nfrequency_hz,level_dbm\n1000,-50\n"),
            "limit.csv: a limit line needs at least two points");
  EXPECT_EQ(ReadLimitLineFile("/nonexistent/dir/upper.csv").error.rfind("upper.csv: ", 0), 0u);
}

// Sweep of 2400 ... 2420 MHz in 1 MHz steps at -50 dBm, with `bumps` at points.
std::vector<int16_t> Levels(std::initializer_list<std::pair<int, double>> bumps) {
  std::vector<int16_t> levels(21, -50 * 16);
  for (const auto& [point, dbm] : bumps) levels[point] = static_cast<int16_t>(dbm * 16);
  return levels;
}

SweepLevels View(const std::vector<int16_t>& levels) {
  return {2400e6, 1e6, levels.data(), levels.size()};
}

TEST(LimitCheckTest, UpperAndLowerLinesFindTheWorstPoint) {
  const LimitLine upper = ParseLimitLine(kMask, "u").line;
  const LimitLine lower = ParseLimitLine("2405000000,-70\n2415000000,-50\n", "l").line;

  // -50 is above the -60 skirt everywhere below 2410 MHz: the left skirt fails by 10 dB.
  std::vector<int16_t> sweep = Levels({});
  SweepVerdict v = CheckSweep(&upper, nullptr, View(sweep));
  EXPECT_TRUE(v.checked && v.fail);
  EXPECT_DOUBLE_EQ(v.worst_excess_db, 10);
  EXPECT_DOUBLE_EQ(v.worst_hz, 2400e6);

  // Quiet skirt; at 2417 MHz the line is -37 and -28.8125 dBm exceeds it by 8.1875 dB.
  sweep = Levels({{0, -70}, {1, -70}, {2, -70}, {3, -70}, {4, -70}, {5, -70}, {6, -70}, {7, -70},
                  {8, -70}, {9, -70}, {10, -70}, {17, -28.8125}});
  v = CheckSweep(&upper, nullptr, View(sweep));
  EXPECT_TRUE(v.fail);
  EXPECT_NEAR(v.worst_excess_db, 8.1875, 1e-9);
  EXPECT_DOUBLE_EQ(v.worst_hz, 2417e6);
  EXPECT_DOUBLE_EQ(v.worst_dbm, -28.8125);
  EXPECT_EQ(ExcessText(v.worst_excess_db, 2437.15e6), "+8.2 dB at 2437.15 MHz");
  sweep[17] = -40 * 16;
  EXPECT_FALSE(CheckSweep(&upper, nullptr, View(sweep)).fail);

  // The lower line rises to -50 at 2415 MHz: -53 at 2414 MHz is 1 dB under (line -52 there).
  sweep = Levels({{14, -53}});
  v = CheckSweep(nullptr, &lower, View(sweep));
  EXPECT_TRUE(v.fail);
  EXPECT_NEAR(v.worst_excess_db, 1, 1e-9);
  EXPECT_DOUBLE_EQ(v.worst_hz, 2414e6);
  // A sweep entirely outside both lines is not checked at all.
  const std::vector<int16_t> far(5, 0);
  v = CheckSweep(&upper, &lower, {5000e6, 1e6, far.data(), far.size()});
  EXPECT_FALSE(v.checked || v.fail);
}

class Actions : public LimitActions {
 public:
  void Beep() override { ++beeps; }
  std::optional<CaptureKey> Capture(const std::string& comment) override {
    captures.push_back(comment);
    return CaptureKey{"c.icf", static_cast<uint32_t>(captures.size() - 1)};
  }
  void Recomment(const CaptureKey& capture, const std::string& comment) override {
    captures.at(capture.number) = comment;
  }
  int beeps = 0;
  std::vector<std::string> captures;
};

// Failing sweeps merge into one violation with its worst point, a passing sweep ends it (written
// to the file then), the actions go off once per start, and Finish writes the one still open.
// A capture is named at the start as the event list names the event, and again as it ended.
TEST(LimitMonitorTest, ViolationsMergeEndAndAreWritten) {
  const TempDir dir;
  { std::ofstream(dir.File("upper.csv")) << "2400000000,-45\n2420000000,-45\n"; }
  { std::ofstream(dir.File("bad.csv")) << "2400000000,-45\n2300000000,-45\n"; }
  int64_t now = 0;
  Actions actions;
  LimitMonitor monitor([&] { return LimitTime{now, "t" + std::to_string(now)}; }, actions);
  monitor.SetOptions({true, true});
  ASSERT_TRUE(monitor.OpenEventsFile(dir.File("events.csv"), nullptr));
  EXPECT_EQ(monitor.Load(LimitKind::kUpper, dir.File("bad.csv")),
            "bad.csv, row 2: frequencies must ascend");
  EXPECT_FALSE(monitor.Active());
  ASSERT_EQ(monitor.Load(LimitKind::kUpper, dir.File("upper.csv")), "");

  const auto sweep = [&](int64_t at, std::initializer_list<std::pair<int, double>> bumps) {
    now = at;
    const std::vector<int16_t> levels = Levels(bumps);
    monitor.OnSweep(View(levels));
  };
  sweep(1, {});
  EXPECT_FALSE(monitor.Last()->fail);
  sweep(2, {{5, -40}});
  sweep(3, {{7, -30}});
  sweep(4, {{9, -44}});
  sweep(5, {});  // ends the first violation
  sweep(6, {{20, -41}});
  ASSERT_EQ(monitor.Events().size(), 2u);
  const LimitEvent& first = monitor.Events()[0];
  EXPECT_EQ(first.start.text, "t2");
  EXPECT_EQ(first.end.text, "t4");
  EXPECT_EQ(first.sweeps, 3u);
  EXPECT_DOUBLE_EQ(first.worst_excess_db, 15);
  EXPECT_DOUBLE_EQ(first.worst_hz, 2407e6);
  EXPECT_FALSE(first.open);
  EXPECT_TRUE(monitor.Events()[1].open);
  EXPECT_EQ(actions.beeps, 2);
  EXPECT_EQ(actions.captures,
            (std::vector<std::string>{
                "Limit violation 1 t2 to t4: +15.0 dB at 2407.00 MHz, -30.0 dBm",
                "Limit violation 2 t6 (going on): +4.0 dB at 2420.00 MHz, -41.0 dBm"}));

  const auto file = [&] {
    const std::vector<uint8_t> bytes = ReadWholeFile(dir.File("events.csv"));
    return std::string(bytes.begin(), bytes.end());
  };
  EXPECT_EQ(file(),
            "start,end,worst_frequency_mhz,worst_level_dbm,excess_db,sweeps\n"
            "t2,t4,2407.000,-30.00,15.00,3\n");
  monitor.Finish();
  EXPECT_EQ(actions.captures[1], "Limit violation 2 t6 to t6: +4.0 dB at 2420.00 MHz, -41.0 dBm");
  EXPECT_EQ(file(),
            "start,end,worst_frequency_mhz,worst_level_dbm,excess_db,sweeps\n"
            "t2,t4,2407.000,-30.00,15.00,3\n"
            "t6,t6,2420.000,-41.00,4.00,1\n");
  EXPECT_TRUE(monitor.AnyViolation());
  monitor.Clear(LimitKind::kUpper);
  EXPECT_FALSE(monitor.Last());

  // A night of bursts keeps only the newest violations in memory.
  LimitViolations many;
  SweepVerdict fail;
  fail.fail = true;
  fail.worst_excess_db = 1;
  for (int64_t k = 0; k <= static_cast<int64_t>(kLimitEventsKept); ++k) {
    many.Add(fail, {k, std::to_string(k)});
    many.Add(SweepVerdict{}, {k, std::to_string(k)});
  }
  EXPECT_EQ(many.Events().size(), kLimitEventsKept);
  EXPECT_EQ(many.Dropped(), 1u);
  EXPECT_EQ(many.Events().front().start.text, "1");
  // Numbers count every violation of the run, those dropped or cleared from the list too, so
  // a row and the capture comment naming it agree.
  EXPECT_EQ(many.Events().front().number, 2u);
  EXPECT_EQ(many.Events().back().number, kLimitEventsKept + 1);
  many.Clear();
  many.Add(fail, {0, "again"});
  EXPECT_EQ(many.Events().front().number, kLimitEventsKept + 2);
  EXPECT_EQ(LimitEventTexts(many.Events().front()).front(), std::to_string(kLimitEventsKept + 2));
}

}  // namespace
}  // namespace qv
