#include "core/record/log_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>

#include "core/record/log_test_files.h"
#include "core/record/log_writer.h"

namespace qv {
namespace {

using Result = LogPlayback::Result;

struct Seen {
  uint64_t offset;
  uint8_t type;
  Bytes payload;
};

class CollectingVisitor : public LogVisitor {
 public:
  void OnHeader(const LogHeaderInfo& info) override { header = info; }
  void OnRecord(const LogRecordView& record) override {
    records.push_back(
        {record.offset, record.type, Bytes(record.payload, record.payload + record.length)});
  }
  LogHeaderInfo header;
  std::vector<Seen> records;
};

Bytes Message(uint8_t type, size_t length) {
  Bytes message(length);
  message[0] = type;
  for (size_t i = 1; i < length; ++i) message[i] = static_cast<uint8_t>(i * 7);
  return message;
}

// Writes a log through the writer and returns the records expected after the header.
std::vector<Seen> WriteSampleLog(const std::string& path) {
  ReceiverIdentity identity;
  const uint8_t serial[] = {'6', '5', '4', '3', '2', '1'};
  identity.StoreSerial(serial, sizeof serial);
  const std::vector<Bytes> messages = {Message(6, 21), Message(10, 2096), Message(6, 2097),
                                       Message(1, 1),  Message(6, 3000),  Message(6, 40)};
  SpectrumLogWriter writer;
  std::string error;
  EXPECT_TRUE(writer.Start(CreateFileSink(path, &error), identity, {}, {})) << error;
  std::vector<Seen> expected;
  uint64_t offset = kLogHeaderRecordSize;
  const auto expect = [&](const Bytes& record) {
    expected.push_back({offset, record[0], Bytes(record.begin() + 3, record.end())});
    offset += record.size();
  };
  for (size_t i = 0; i < messages.size(); ++i) {
    EXPECT_TRUE(writer.WriteMessage(messages[i].data(), messages[i].size()));
    expect(BuildMessageRecord(messages[i].data(), messages[i].size()));
    if (i == 2) {
      const LogClock clock{5, 6, 26, 7, 8, 9};
      EXPECT_TRUE(writer.WriteTime(clock, {}));
      expect(BuildTimeRecord(clock, {}));
    }
  }
  EXPECT_TRUE(writer.Finish());
  expect(BuildEndRecord(writer.RecordsWritten(), 0));
  return expected;
}

// The sample log written into a folder of its own, with its bytes and expected records.
struct SampleLog {
  SampleLog()
      : path(dir.File("sample.kzq")), expected(WriteSampleLog(path)), file(ReadWholeFile(path)) {}
  TempDir dir;
  std::string path;
  std::vector<Seen> expected;
  Bytes file;
};

// Plays forward until the playback ends, checking that no record claims more than the file has.
std::vector<uint64_t> PlayForward(LogPlayback& playback, size_t file_size, Result* last) {
  std::vector<uint64_t> positions;
  Bytes buffer(kPlaybackBufferSize);
  for (size_t guard = 0; guard <= file_size; ++guard) {
    size_t length = 99999;
    *last = playback.ReadForward(buffer.data(), &length);
    if (*last != Result::kRecord && *last != Result::kSkipped) return positions;
    EXPECT_LT(length, kPlaybackBufferSize);
    EXPECT_LE(playback.Position() + 3 + length, file_size);
    positions.push_back(playback.Position());
  }
  ADD_FAILURE() << "playback never ended";
  return positions;
}

TEST(LogReader, WrittenLogReadBackByScanAndPlaybackBothWays) {
  const SampleLog sample;

  CollectingVisitor visitor;
  const LogScanResult scan = ScanLog(sample.file.data(), sample.file.size(), visitor);
  EXPECT_TRUE(scan.header_ok);
  EXPECT_TRUE(scan.ended);
  EXPECT_FALSE(scan.torn);
  EXPECT_EQ(scan.trailing, 0u);
  EXPECT_EQ(visitor.header.serial, "654321");
  ASSERT_EQ(visitor.records.size(), sample.expected.size());
  ASSERT_EQ(scan.records, sample.expected.size());
  for (size_t i = 0; i < sample.expected.size(); ++i) {
    EXPECT_EQ(visitor.records[i].offset, sample.expected[i].offset) << i;
    EXPECT_EQ(visitor.records[i].type, sample.expected[i].type) << i;
    EXPECT_EQ(visitor.records[i].payload, sample.expected[i].payload) << i;
  }
  EXPECT_EQ(Bytes(sample.file.end() - 4, sample.file.end()), Bytes(4, 0));  // zero minutes
  EXPECT_EQ(sample.file[sample.file.size() - 8], 7);  // six messages and a time record

  LogPlayback playback;
  std::string error;
  ASSERT_TRUE(playback.Open(sample.path, &error)) << error;
  EXPECT_EQ(playback.Header().serial, "654321");
  EXPECT_EQ(playback.FileLength(), sample.file.size());
  EXPECT_EQ(playback.Position(), 897u);

  // Forwards: every record once, the two too long for the buffer skipped, then the end record.
  Bytes buffer(kPlaybackBufferSize);
  size_t length = 0;
  const std::vector<Result> forward = {Result::kRecord, Result::kRecord, Result::kSkipped,
                                       Result::kRecord, Result::kRecord, Result::kSkipped,
                                       Result::kRecord, Result::kEnd};
  ASSERT_EQ(forward.size(), sample.expected.size());
  for (size_t i = 0; i < sample.expected.size(); ++i) {
    ASSERT_EQ(playback.ReadForward(buffer.data(), &length), forward[i]) << i;
    EXPECT_EQ(playback.Position(), sample.expected[i].offset) << i;
    EXPECT_EQ(buffer[0], sample.expected[i].type) << i;
    if (forward[i] == Result::kRecord) {
      ASSERT_EQ(length, sample.expected[i].payload.size()) << i;
      EXPECT_TRUE(std::equal(buffer.begin() + 1, buffer.begin() + 1 + length,
                             sample.expected[i].payload.begin()))
          << i;
    }
  }
  // The end record steps the index back one: reading on shows the last record again, then the end.
  ASSERT_EQ(playback.ReadForward(buffer.data(), &length), Result::kRecord);
  EXPECT_EQ(playback.Position(), sample.expected[sample.expected.size() - 2].offset);
  ASSERT_EQ(playback.ReadForward(buffer.data(), &length), Result::kEnd);
  EXPECT_EQ(playback.Position(), sample.expected.back().offset);

  // Backwards from there: the records before that last one, down to the first.
  for (size_t i = sample.expected.size() - 2; i-- > 0;) {
    const Result result = playback.ReadBackward(buffer.data(), &length);
    EXPECT_EQ(result, forward[i]) << i;
    EXPECT_EQ(playback.Position(), sample.expected[i].offset) << i;
    EXPECT_EQ(buffer[0], sample.expected[i].type) << i;
  }
  EXPECT_EQ(playback.ReadBackward(buffer.data(), &length), Result::kFirst);
  EXPECT_EQ(playback.ReadBackward(buffer.data(), &length), Result::kFirst);
  ASSERT_EQ(playback.ReadForward(buffer.data(), &length), Result::kRecord);
  EXPECT_EQ(playback.Position(), sample.expected[0].offset);

  // The time record's texts as the status pane shows them.
  ASSERT_EQ(sample.expected[3].type, kLogTimeType);
  EXPECT_EQ(LogDateText(sample.expected[3].payload.data()) +
                LogTimeText(sample.expected[3].payload.data()),
            "5/6/2026 7:8:9");
}

// Cut the file at every byte of its last two records (a message, then the end record).
TEST(LogReader, FileCutAnywhereInTheLastRecordsEndsWithoutReadingPastIt) {
  const SampleLog sample;
  const std::vector<Seen>& expected = sample.expected;
  const Bytes& file = sample.file;
  const uint64_t last_message = expected[expected.size() - 2].offset;
  const uint64_t end_record = expected.back().offset;
  const std::string path = sample.dir.File("cut.kzq");
  for (size_t cut = last_message; cut < file.size(); ++cut) {
    SCOPED_TRACE(cut);
    CollectingVisitor visitor;
    const LogScanResult scan = ScanLog(file.data(), cut, visitor);
    EXPECT_FALSE(scan.ended);
    const bool at_boundary = cut == last_message || cut == end_record;
    EXPECT_EQ(scan.torn, !at_boundary);
    const size_t whole = cut < end_record ? expected.size() - 2 : expected.size() - 1;
    EXPECT_EQ(scan.records, whole);
    if (!at_boundary) {
      EXPECT_EQ(scan.torn_at, cut < end_record ? last_message : end_record);
    }
    for (const Seen& seen : visitor.records) EXPECT_LE(seen.offset + 3 + seen.payload.size(), cut);

    WriteWholeFile(path, file.data(), cut);
    LogPlayback playback;
    ASSERT_TRUE(playback.Open(path, nullptr));
    Result last = Result::kRecord;
    EXPECT_EQ(PlayForward(playback, cut, &last).size(), whole);
    EXPECT_EQ(last, Result::kEnd);
    // Playback says where the file was cut as the scan does.
    EXPECT_EQ(playback.TornAt(), scan.torn ? std::optional<uint64_t>(scan.torn_at) : std::nullopt);
  }
}

// Damage that gives the end record a payload too long for the playback buffer: the scan ends
// there, and so must playback, not step over it into the bytes behind.
TEST(LogReader, OverlongEndRecordEndsPlaybackWhereTheScanEnds) {
  const SampleLog sample;
  const uint64_t end_record = sample.expected.back().offset;
  Bytes file(sample.file.begin(), sample.file.begin() + static_cast<std::ptrdiff_t>(end_record));
  const Bytes end = {kLogEndType, 0xB8, 0x0B};  // 3000 bytes of payload
  file.insert(file.end(), end.begin(), end.end());
  file.resize(file.size() + 3000, 0x00);
  const Bytes after = BuildMessageRecord(Message(6, 21).data(), 21);
  file.insert(file.end(), after.begin(), after.end());

  CollectingVisitor visitor;
  const LogScanResult scan = ScanLog(file.data(), file.size(), visitor);
  EXPECT_TRUE(scan.ended);
  EXPECT_EQ(scan.records, sample.expected.size());
  EXPECT_EQ(scan.trailing, after.size());

  const std::string path = sample.dir.File("overlong_end.kzq");
  WriteWholeFile(path, file.data(), file.size());
  LogPlayback playback;
  ASSERT_TRUE(playback.Open(path, nullptr));
  Result last = Result::kRecord;
  EXPECT_EQ(PlayForward(playback, file.size(), &last).size(), sample.expected.size() - 1);
  EXPECT_EQ(last, Result::kEnd);
}

TEST(LogReader, RandomBytesNeverReadOutOfBoundsAndScanAgreesWithPlayback) {
  TempDir dir;
  const std::string path = dir.File("random.kzq");
  std::mt19937 random(1234);
  for (const size_t size : {0, 2, 59, 60, 61, 900, 5000, 20000}) {
    for (int round = 0; round < 8; ++round) {
      SCOPED_TRACE(testing::Message() << size << "/" << round);
      Bytes data(size);
      for (uint8_t& byte : data) byte = static_cast<uint8_t>(random() % (round < 4 ? 256 : 8));
      // Half of them start as a log's header, so the records behind it are walked too.
      const uint8_t prefix[] = {0xBA, 0x7E, 0x03};
      if (round % 2 == 1) std::copy_n(prefix, std::min<size_t>(size, 3), data.begin());
      CollectingVisitor visitor;
      const LogScanResult scan = ScanLog(data.data(), data.size(), visitor);
      for (const Seen& seen : visitor.records)
        EXPECT_LE(seen.offset + 3 + seen.payload.size(), size);

      WriteWholeFile(path, data.data(), data.size());
      LogPlayback playback;
      std::string error;
      if (!scan.header_ok) {
        // No log, nothing walked; or a cut header, nothing behind it.
        EXPECT_TRUE(visitor.records.empty());
        EXPECT_FALSE(playback.Open(path, &error));
        EXPECT_EQ(error, path + (round % 2 == 1 && size > 0
                                     ? ": damaged: torn record at byte 0"
                                     : ": not a spectrum log: no header record at byte 0 (type 0xBA, "
                                       "then length 894: the bytes after the type and length)"));
        EXPECT_FALSE(playback.IsOpen());
        continue;
      }
      ASSERT_TRUE(playback.Open(path, &error));
      Result last = Result::kRecord;
      const size_t read = PlayForward(playback, size, &last).size();
      EXPECT_EQ(read + (scan.ended ? 1 : 0), scan.records);
      Bytes buffer(kPlaybackBufferSize);
      size_t length = 0;
      size_t back = 0;
      while (back <= read && playback.ReadBackward(buffer.data(), &length) != Result::kFirst)
        ++back;
      EXPECT_LE(back, read);
    }
  }
}

TEST(LogReader, VanishedFileIsReportedAndNothingMoves) {
  const SampleLog sample;
  LogPlayback playback;
  ASSERT_TRUE(playback.Open(sample.path, nullptr));
  Bytes buffer(kPlaybackBufferSize);
  size_t length = 0;
  ASSERT_EQ(playback.ReadForward(buffer.data(), &length), Result::kRecord);
  ASSERT_EQ(playback.ReadForward(buffer.data(), &length), Result::kRecord);

  std::remove(sample.path.c_str());
  EXPECT_EQ(playback.ReadForward(buffer.data(), &length), Result::kNoFile);
  EXPECT_EQ(playback.Error(), sample.path + ": No such file or directory");
  EXPECT_EQ(playback.ReadBackward(buffer.data(), &length), Result::kNoFile);
  EXPECT_EQ(playback.Position(), sample.expected[1].offset);

  // Back again: playback goes on where it was.
  WriteWholeFile(sample.path, sample.file.data(), sample.file.size());
  ASSERT_EQ(playback.ReadForward(buffer.data(), &length), Result::kSkipped);
  EXPECT_EQ(playback.Position(), sample.expected[2].offset);
  EXPECT_EQ(playback.Error(), "");
  ASSERT_EQ(playback.ReadBackward(buffer.data(), &length), Result::kSkipped);
  ASSERT_EQ(playback.ReadBackward(buffer.data(), &length), Result::kRecord);
  EXPECT_EQ(playback.Position(), sample.expected[1].offset);

  std::string error;
  EXPECT_FALSE(playback.Open(sample.dir.File("none.kzq"), &error));
  EXPECT_EQ(error, sample.dir.File("none.kzq") + ": No such file or directory");
}

// More records than a fixed table of 131,072 positions would hold.
TEST(LogReader, PlaysLogsOfMoreThan131072Records) {
  constexpr size_t kRecords = 131072 + 40;
  Bytes data = BuildHeaderRecord({}, {}, {});
  const uint8_t message[] = {0x21};
  for (size_t i = 0; i < kRecords; ++i) {
    const Bytes record = BuildMessageRecord(message, 1);
    data.insert(data.end(), record.begin(), record.end());
  }
  TempDir dir;
  const std::string path = dir.File("long.kzq");
  WriteWholeFile(path, data.data(), data.size());
  LogPlayback playback;
  ASSERT_TRUE(playback.Open(path, nullptr));
  Result last = Result::kRecord;
  const std::vector<uint64_t> positions = PlayForward(playback, data.size(), &last);
  EXPECT_EQ(last, Result::kEnd);  // no end record: the end of the file ends it
  ASSERT_EQ(positions.size(), kRecords);
  EXPECT_EQ(positions.back(), data.size() - 3);
  Bytes buffer(kPlaybackBufferSize);
  size_t length = 0;
  for (size_t i = kRecords; i-- > kRecords - 50;) {
    ASSERT_EQ(playback.ReadBackward(buffer.data(), &length), Result::kRecord);
    EXPECT_EQ(playback.Position(), 897 + 3 * i);
  }
}

}  // namespace
}  // namespace qv
