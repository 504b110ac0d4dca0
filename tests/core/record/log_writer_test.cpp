#include "core/record/log_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/record/log_test_files.h"

namespace qv {
namespace {

using ::testing::ElementsAre;

struct SinkLog {
  std::vector<Bytes> writes;
  int syncs = 0;
  bool closed = false;
};

// Keeps every Write call apart, so the tests see one call per record; fails on request.
class FakeSink : public RecordSink {
 public:
  explicit FakeSink(SinkLog* log, int fail_write_at = -1, bool fail_sync = false)
      : log_(log), fail_write_at_(fail_write_at), fail_sync_(fail_sync) {}
  bool Write(const uint8_t* bytes, size_t length) override {
    if (static_cast<int>(log_->writes.size()) == fail_write_at_) return false;
    log_->writes.emplace_back(bytes, bytes + length);
    return true;
  }
  bool Sync() override {
    ++log_->syncs;
    return !fail_sync_;
  }
  bool Close() override {
    log_->closed = true;
    return true;
  }
  std::string Error() const override { return "No space left on device"; }

 private:
  SinkLog* log_;
  int fail_write_at_;
  bool fail_sync_;
};

const uint8_t kSweep[] = {0x06, 0x10, 0x20, 0x30, 0x40};

TEST(SpectrumLogWriter, OneWritePerRecordCountsAcrossLogsAndMinutes) {
  SpectrumLogWriter writer;
  SinkLog first;
  ASSERT_TRUE(writer.Start(std::make_unique<FakeSink>(&first), {}, {}, {}));
  EXPECT_EQ(writer.LogSize(), 897u);
  ASSERT_TRUE(writer.WriteMessage(kSweep, sizeof kSweep));
  for (int second = 1; second <= 60; ++second) {
    ASSERT_TRUE(writer.WriteTime({}, {}));
    EXPECT_EQ(writer.Minutes(), second == 60 ? 1u : 0u) << second;
  }
  ASSERT_TRUE(writer.WriteMessage(kSweep, sizeof kSweep));
  // The message after the last time record is not in the size yet.
  EXPECT_EQ(writer.LogSize(), 897u + 7 + 60 * 39);
  EXPECT_EQ(first.syncs, 60);
  EXPECT_EQ(writer.RecordsWritten(), 62u);
  ASSERT_TRUE(writer.Finish());
  EXPECT_FALSE(writer.Logging());
  EXPECT_TRUE(first.closed);

  ASSERT_EQ(first.writes.size(), 1u + 1 + 60 + 1 + 1);
  EXPECT_EQ(first.writes[0].size(), 897u);
  EXPECT_THAT(first.writes[1], ElementsAre(0x06, 0x04, 0x00, 0x10, 0x20, 0x30, 0x40));
  EXPECT_EQ(first.writes[2].size(), 39u);
  EXPECT_THAT(first.writes.back(), ElementsAre(0xFA, 0x08, 0x00, 62, 0, 0, 0, 1, 0, 0, 0));

  // The next log of the same writer counts on from the first; its time starts again.
  SinkLog second;
  ASSERT_TRUE(writer.Start(std::make_unique<FakeSink>(&second), {}, {}, {}));
  EXPECT_EQ(writer.Minutes(), 0u);
  ASSERT_TRUE(writer.WriteTime({}, {}));
  ASSERT_TRUE(writer.Finish());
  EXPECT_THAT(second.writes.back(), ElementsAre(0xFA, 0x08, 0x00, 63, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_TRUE(writer.Finish());  // nothing open: nothing to do
}

TEST(SpectrumLogWriter, FailedWriteOrSyncStopsLogging) {
  for (const bool sync_fails : {false, true}) {
    SCOPED_TRACE(sync_fails ? "sync" : "write");
    SpectrumLogWriter writer;
    SinkLog log;
    // Header, message, then the time record's write (or its sync) fails.
    ASSERT_TRUE(writer.Start(std::make_unique<FakeSink>(&log, sync_fails ? -1 : 2, sync_fails), {},
                             {}, {}));
    ASSERT_TRUE(writer.WriteMessage(kSweep, sizeof kSweep));
    EXPECT_FALSE(writer.WriteTime({}, {}));
    EXPECT_FALSE(writer.Logging());
    EXPECT_TRUE(log.closed);
    EXPECT_EQ(writer.Error(), "Writing the log failed: No space left on device");
    EXPECT_FALSE(writer.WriteMessage(kSweep, sizeof kSweep));
    EXPECT_EQ(log.writes.size(), sync_fails ? 3u : 2u);
  }

  SpectrumLogWriter writer;
  SinkLog log;
  EXPECT_FALSE(writer.Start(std::make_unique<FakeSink>(&log, 0), {}, {}, {}));
  EXPECT_FALSE(writer.Logging());
  EXPECT_FALSE(writer.Start(nullptr, {}, {}, {}));
}

TEST(SpectrumLogWriterFile, StartedAndFinishedLogIsHeaderAndEndRecord) {
  TempDir dir;
  std::string error;
  EXPECT_EQ(CreateFileSink(dir.File("missing/run.kzq"), &error), nullptr);
  EXPECT_EQ(error, dir.File("missing/run.kzq") + ": No such file or directory");

  const std::string path = dir.File("run.kzq");
  WriteWholeFile(path, kSweep, sizeof kSweep);  // truncated by the new log
  SpectrumLogWriter writer;
  ASSERT_TRUE(writer.Start(CreateFileSink(path, &error), {}, {}, {}));
  ASSERT_TRUE(writer.Finish());
  const Bytes file = ReadWholeFile(path);
  ASSERT_EQ(file.size(), 897u + 11);
  EXPECT_THAT(Bytes(file.begin(), file.begin() + 3), ElementsAre(0xBA, 0x7E, 0x03));
  EXPECT_THAT(Bytes(file.begin() + 897, file.end()),
              ElementsAre(0xFA, 0x08, 0x00, 0, 0, 0, 0, 0, 0, 0, 0));
}

// A real file under a file-size limit, in a child so the limit stays there: the record that
// crosses the limit is written in part, then the write fails and logging stops.
TEST(SpectrumLogWriterFile, DiskFullKeepsEverythingWrittenBefore) {
  TempDir dir;
  const std::string path = dir.File("full.kzq");
  constexpr size_t kLimit = 897 + 39 + 100;
  const uint8_t message[40] = {0x06};
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{kLimit, kLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
    SpectrumLogWriter writer;
    std::string text;
    if (writer.Start(CreateFileSink(path, &text), {}, {}, {}) && writer.WriteTime({}, {})) {
      int written = 0;
      while (written < 100 && writer.WriteMessage(message, sizeof message)) ++written;
      text =
          std::to_string(written) + (writer.Logging() ? " logging " : " stopped ") + writer.Error();
    }
    const ssize_t ignored = write(report[1], text.data(), text.size());
    (void)ignored;
    _exit(0);
  }
  close(report[1]);
  char text[200] = {};
  const ssize_t got = read(report[0], text, sizeof text - 1);
  close(report[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_GT(got, 0);
  EXPECT_STREQ(text, "2 stopped Writing the log failed: File too large");

  // Header, time record and two messages whole; the third torn at the limit.
  const Bytes file = ReadWholeFile(path);
  ASSERT_EQ(file.size(), kLimit);
  Bytes expected = BuildHeaderRecord({}, {}, {});
  for (const Bytes& record : {BuildTimeRecord({}, {}), BuildMessageRecord(message, 40),
                              BuildMessageRecord(message, 40)}) {
    expected.insert(expected.end(), record.begin(), record.end());
  }
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin()));
}

}  // namespace
}  // namespace qv
