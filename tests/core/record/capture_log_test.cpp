#include "core/record/capture_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/record/log_test_files.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

class Shown : public CaptureHost {
 public:
  void ShowCapture(const uint8_t* block, const int16_t* levels, size_t count) override {
    types.push_back(block[0]);
    firsts.push_back(count > 0 ? levels[0] : 0);
  }
  std::vector<uint8_t> types;
  std::vector<int16_t> firsts;
};

CaptureSweep Sweep(int16_t level, uint32_t points, uint8_t type = 6) {
  CaptureSweep s;
  s.type = type;
  s.start = 48000;
  s.points = points;
  s.rbw_code = 1600;
  s.reference_level = -20;
  s.levels.assign(points, level);
  return s;
}

// Captures taken in this run are numbered and listed as written, commented at their own entry,
// reviewed with wrap-around; a failed new file leaves none in use; a damaged copy lists what
// reads whole and says once what is wrong.
TEST(CaptureLogTest, CaptureCommentReviewAndADamagedFile) {
  const TempDir dir;
  RecordingAlerts alerts;
  Shown host;
  CaptureLog captures(alerts, host);
  captures.SetClock([] { return LogClock{3, 9, 26, 8, 5, 0}; });

  EXPECT_FALSE(captures.CreateCaptureFile(dir.File("missing/x.icf")));
  ASSERT_EQ(alerts.shown.size(), 1u);
  EXPECT_FALSE(captures.Ready());

  const std::string path = dir.File("survey.icf");
  ASSERT_TRUE(captures.CreateCaptureFile(path));
  ASSERT_TRUE(captures.WriteCapture(Sweep(-70, 400)));
  ASSERT_TRUE(captures.WriteCapture(Sweep(-60, 10, 10)));
  ASSERT_TRUE(captures.WriteCapture(Sweep(-50, 25)));
  EXPECT_EQ(captures.Items()[1], (TimeMarkerItem{"2", "3/9/2026 8:5:0", "No Comments"}));
  // A comment on a capture of this run, before any review, lands in its own entry.
  ASSERT_TRUE(captures.WriteCaptureComment(1, std::string(200, 'c')));
  EXPECT_EQ(captures.Items()[1].comment.size(), kCaptureCommentSize);
  const auto written = std::filesystem::file_size(path);
  EXPECT_EQ(written, 3 * kCaptureEntryFixedSize + 2 * (400 + 10 + 25) + kCaptureTrailerSize);

  // A new file that cannot be created: said with its path and reason, and the old file takes
  // no more captures; each refused capture says why.
  alerts.shown.clear();
  EXPECT_FALSE(captures.CreateCaptureFile(dir.File("gone/next.icf")));
  ASSERT_EQ(alerts.shown.size(), 1u);
  EXPECT_NE(alerts.shown[0].text.find(dir.File("gone/next.icf") + ": No such file or directory"),
            std::string::npos);
  EXPECT_FALSE(captures.Ready());
  EXPECT_TRUE(captures.Path().empty());
  EXPECT_EQ(captures.Count(), 0);
  EXPECT_FALSE(captures.WriteCapture(Sweep(-40, 5)));
  EXPECT_EQ(alerts.shown.size(), 2u);
  EXPECT_EQ(std::filesystem::file_size(path), written);

  alerts.shown.clear();
  ASSERT_TRUE(captures.OpenCaptureForReview(path));
  EXPECT_FALSE(captures.Ready());
  EXPECT_EQ(captures.Items()[1].comment, std::string(128, 'c'));
  captures.Previous();  // before the first: the last
  captures.Next();      // after the last: the first
  captures.Next();
  EXPECT_EQ(host.firsts, (std::vector<int16_t>{-70, -50, -70, -60}));
  EXPECT_EQ(host.types, (std::vector<uint8_t>{6, 6, 6, 10}));
  EXPECT_TRUE(alerts.shown.empty());

  // The file cut inside its last entry: two captures listed, one message.
  std::filesystem::resize_file(path, std::filesystem::file_size(path) - 20);
  ASSERT_TRUE(captures.OpenCaptureForReview(path));
  EXPECT_EQ(captures.Count(), 2);
  EXPECT_EQ(alerts.shown.size(), 1u);
}

}  // namespace
}  // namespace qv
