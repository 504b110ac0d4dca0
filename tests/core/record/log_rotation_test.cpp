#include "core/record/log_rotation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "core/record/log_test_files.h"

namespace qv {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr uint64_t kMiB = 1 << 20;

TEST(LogRotationTest, NamesComeFromTheStartClockAndTakeANumberWhenTaken) {
  EXPECT_EQ(RotatedLogName(LogClock{3, 7, 26, 4, 5, 9}), "quorvalin-20260307-040509.kzq");
  EXPECT_EQ(RotatedLogName(LogClock{12, 31, 99, 23, 59, 59}), "quorvalin-20991231-235959.kzq");
  // The unreadable clock, and one no calendar has, still give a name of the pattern.
  EXPECT_EQ(RotatedLogName(LogClock{}), "quorvalin-00000000-000000.kzq");
  EXPECT_EQ(RotatedLogName(LogClock{2, 30, 26, 1, 2, 3}), "quorvalin-00000000-000000.kzq");

  std::set<std::string> taken;
  const auto exists = [&](const std::string& path) { return taken.count(path) != 0; };
  const std::string name = RotatedLogName(LogClock{3, 7, 26, 4, 5, 9});
  for (const char* expected :
       {"logs/quorvalin-20260307-040509.kzq", "logs/quorvalin-20260307-040509-2.kzq",
        "logs/quorvalin-20260307-040509-3.kzq"}) {
    const std::string path = UniqueLogPath("logs/", name, exists);
    EXPECT_EQ(path, expected);
    taken.insert(path);
  }
  EXPECT_EQ(UniqueLogPath("logs", name, exists), "logs/quorvalin-20260307-040509-4.kzq");
  EXPECT_EQ(UniqueLogPath("logs", name, [](const std::string&) { return true; }), "");
}

TEST(LogRotationTest, RotationFallsDueByAgeOrBySize) {
  const FileLimit hourly{3600, 0};
  const FileLimit big{0, 500 * kMiB};
  const FileLimit both{600, 64 * 1024};
  EXPECT_FALSE(RotationDue(hourly, 1000, 1ull << 40, 3600999));
  EXPECT_TRUE(RotationDue(hourly, 1000, 0, 3601000));
  EXPECT_FALSE(RotationDue(hourly, 5000000, 0, 1000));  // the clock went back
  EXPECT_FALSE(RotationDue(big, 0, 500 * kMiB - 1, INT64_MAX));
  EXPECT_TRUE(RotationDue(big, 0, 500 * kMiB, 0));
  EXPECT_TRUE(RotationDue(both, 0, 64 * 1024, 0));
  EXPECT_TRUE(RotationDue(both, 0, 0, 600000));
  EXPECT_FALSE(RotationDue(FileLimit{}, 0, UINT64_MAX, INT64_MAX));
}

TEST(LogRotationTest, KeepDeletesTheOldestButNeverTheLogBeingWritten) {
  constexpr int64_t kNow = 1800000000;
  constexpr int64_t kDay = 86400;
  // Listed in no order; the numbered copies of one second sort after the first, -10 after -2.
  const std::vector<KeptLog> logs = {
      {"quorvalin-20260302-000000-10.kzq", 100 * kMiB, kNow - 3 * kDay},
      {"quorvalin-20260301-000000.kzq", 100 * kMiB, kNow - 5 * kDay},
      {"quorvalin-20260302-000000-2.kzq", 100 * kMiB, kNow - 3 * kDay - 1},
      {"quorvalin-20260302-000000.kzq", 100 * kMiB, kNow - 4 * kDay},
      {"notes.kzq", 900 * kMiB, 0},
      {"quorvalin-20260303-000000.kzq", 100 * kMiB, kNow},
  };
  const std::string current = "quorvalin-20260303-000000.kzq";

  EXPECT_THAT(LogsToDelete(logs, FileLimit{3 * kDay, 0}, kNow, current),
              ElementsAre("quorvalin-20260301-000000.kzq", "quorvalin-20260302-000000.kzq",
                          "quorvalin-20260302-000000-2.kzq"));
  EXPECT_THAT(LogsToDelete(logs, FileLimit{0, 250 * kMiB}, kNow, current),
              ElementsAre("quorvalin-20260301-000000.kzq", "quorvalin-20260302-000000.kzq",
                          "quorvalin-20260302-000000-2.kzq"));
  EXPECT_THAT(LogsToDelete(logs, FileLimit{0, 500 * kMiB}, kNow, current), ElementsAre());
  // Smaller than the log being written: everything else goes, that one stays.
  EXPECT_THAT(LogsToDelete(logs, FileLimit{0, 1}, kNow, current),
              ElementsAre("quorvalin-20260301-000000.kzq", "quorvalin-20260302-000000.kzq",
                          "quorvalin-20260302-000000-2.kzq", "quorvalin-20260302-000000-10.kzq"));
  // The oldest log may be the current one when its clock was behind; it still stays.
  EXPECT_THAT(LogsToDelete(logs, FileLimit{kDay, 0}, kNow, "quorvalin-20260301-000000.kzq"),
              ElementsAre("quorvalin-20260302-000000.kzq", "quorvalin-20260302-000000-2.kzq",
                          "quorvalin-20260302-000000-10.kzq"));
  EXPECT_THAT(LogsToDelete(logs, FileLimit{}, kNow, current), ElementsAre());
}

TEST(LogRotationTest, ListingTakesOnlyTheRecordersLogsAndDeletingGoesOnPastAFailure) {
  namespace fs = std::filesystem;
  const TempDir dir;
  const uint8_t bytes[5] = {1, 2, 3, 4, 5};
  for (const char* name : {"quorvalin-20260307-040509.kzq", "quorvalin-20260307-040509-2.kzq",
                           "quorvalin-20260307-040509-02.kzq", "quorvalin-20260307-040509-1.kzq",
                           "quorvalin-2026030-040509.kzq", "quorvalin-20260307-040509.KZQ",
                           "quorvalin-20260307-040509.kzq.part", "capture.kzq", "notes.txt"}) {
    WriteWholeFile(dir.File(name), bytes, sizeof bytes);
  }
  fs::create_directory(dir.File("quorvalin-20260101-000000.kzq"));
  WriteWholeFile(dir.File("quorvalin-20260101-000000.kzq/quorvalin-20260101-000000.kzq"), bytes, 3);
  fs::create_symlink(dir.File("notes.txt"), dir.File("quorvalin-20260102-000000.kzq"));
  const auto modified = std::chrono::sys_seconds(std::chrono::seconds(1772856309));
  fs::last_write_time(dir.File("quorvalin-20260307-040509.kzq"),
                      std::chrono::file_clock::from_sys(modified));

  std::string error;
  const std::vector<KeptLog> logs = ListRecorderLogs(dir.File(""), &error);
  EXPECT_EQ(error, "");
  ASSERT_THAT(logs, UnorderedElementsAre(
                        KeptLog{"quorvalin-20260307-040509.kzq", 5, 1772856309},
                        ::testing::Field(&KeptLog::name, "quorvalin-20260307-040509-2.kzq")));

  // One log gone already, one name a folder that cannot be removed as a file: the rest go.
  EXPECT_FALSE(DeleteLogs(dir.File(""),
                          {"quorvalin-20260101-000000.kzq", "quorvalin-20260307-040509.kzq",
                           "quorvalin-20991231-000000.kzq", "quorvalin-20260307-040509-2.kzq"},
                          &error));
  EXPECT_THAT(error, ::testing::StartsWith(dir.File("quorvalin-20260101-000000.kzq") + ": "));
  EXPECT_EQ(ListRecorderLogs(dir.File(""), &error), std::vector<KeptLog>{});
  EXPECT_TRUE(fs::exists(dir.File("notes.txt")));

  ListRecorderLogs(dir.File("absent"), &error);
  EXPECT_THAT(error, ::testing::StartsWith(dir.File("absent") + ": "));
}

}  // namespace
}  // namespace qv
