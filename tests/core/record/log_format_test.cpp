#include "core/record/log_format.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>

namespace qv {
namespace {

using ::testing::ElementsAre;

void Append(Bytes& out, std::initializer_list<uint8_t> bytes) {
  out.insert(out.end(), bytes);
}
void Zeros(Bytes& out, size_t count) {
  out.insert(out.end(), count, 0);
}

ReceiverIdentity SampleIdentity() {
  ReceiverIdentity identity;
  const uint8_t firmware[] = {'V', '2', '.', '0', '7'};
  const uint8_t serial[] = {'1', '2', '3', '4', '5', '6'};
  identity.StoreFirmware(firmware, sizeof firmware);
  identity.StoreSerial(serial, sizeof serial);
  identity.band_count = 2;
  identity.bands[0] = {18048, 18448};  // 0x4680, 0x4810
  identity.bands[1] = {48000, 49680};  // 0xBB80, 0xC210
  return identity;
}

LogMarkers SampleMarkers() {
  LogMarkers markers{};
  markers[0] = {1, 100};  // marker 1 A
  markers[3] = {1, -5};   // marker 2 B
  markers[5] = {0, 0x01020304};
  return markers;
}

// The marker block of SampleMarkers, from the table: per end a shown byte and a signed x.
void AppendSampleMarkerBlock(Bytes& out) {
  Append(out, {0x01, 0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
  Append(out, {0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0xFB, 0xFF, 0xFF, 0xFF});
  Append(out, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01});
}

TEST(LogFormat, HeaderRecordByteForByteAndDecodedBack) {
  const LogClock clock{3, 14, 26, 9, 5, 7};
  const Bytes header = BuildHeaderRecord(SampleIdentity(), clock, SampleMarkers());

  Bytes expected;
  Append(expected, {0xBA, 0x7E, 0x03});
  Append(expected, {0x54, 0x4F, 0x4C, 0x56, 0x45, 0x58});  // TOLVEX
  Zeros(expected, 10);
  Append(expected, {0x01});
  Append(expected, {0x56, 0x32, 0x2E, 0x30, 0x37});  // firmware, 32 bytes
  Zeros(expected, 27);
  Append(expected, {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x00, 0x00});  // serial, 8 bytes
  Append(expected, {0x03, 0x0E, 0x1A, 0x09, 0x05, 0x07});              // 3/14/26 9:05:07
  Append(expected, {0x02});                                            // band count
  Append(expected, {0x80, 0x46, 0x00, 0x00, 0x10, 0x48, 0x00, 0x00});
  Append(expected, {0x80, 0xBB, 0x00, 0x00, 0x10, 0xC2, 0x00, 0x00});
  Zeros(expected, 98 * 8);
  AppendSampleMarkerBlock(expected);
  ASSERT_EQ(expected.size(), 897u);
  EXPECT_EQ(header, expected);

  LogHeaderInfo info;
  ASSERT_TRUE(ParseHeaderRecord(header.data(), header.size(), info));
  EXPECT_TRUE(info.complete);
  EXPECT_EQ(info.device_name, "TOLVEX");
  EXPECT_EQ(info.version, 1);
  EXPECT_EQ(info.firmware, "V2.07");
  EXPECT_EQ(info.serial, "123456");
  EXPECT_EQ(info.clock, clock);
  EXPECT_EQ(info.identity.band_count, 2);
  EXPECT_EQ(info.identity.bands[1], (BandRange{48000, 49680}));
  EXPECT_EQ(info.markers, SampleMarkers());

  // Playback needs only the first 60 bytes; fewer is no header at all.
  ASSERT_TRUE(ParseHeaderRecord(header.data(), 60, info));
  EXPECT_FALSE(info.complete);
  EXPECT_EQ(info.serial, "123456");
  EXPECT_EQ(info.identity.band_count, 0);
  EXPECT_FALSE(ParseHeaderRecord(header.data(), 59, info));

  // A damaged band count never reaches past the table.
  Bytes damaged = header;
  damaged[66] = 0xFF;
  ASSERT_TRUE(ParseHeaderRecord(damaged.data(), damaged.size(), info));
  EXPECT_EQ(info.identity.band_count, 100);
}

TEST(LogFormat, TimeEndAndMessageRecordsByteForByte) {
  Bytes expected_time;
  Append(expected_time,
         {0xAB, 0x24, 0x00, 0x0C, 0x1F, 0x63, 0x17, 0x3B, 0x3A});  // 12/31/99 23:59:58
  AppendSampleMarkerBlock(expected_time);
  ASSERT_EQ(expected_time.size(), 39u);
  EXPECT_EQ(BuildTimeRecord({12, 31, 99, 23, 59, 58}, SampleMarkers()), expected_time);

  // The clock that could not be read.
  const Bytes unknown = BuildTimeRecord(LogClock{}, LogMarkers{});
  EXPECT_THAT(Bytes(unknown.begin() + 3, unknown.begin() + 9),
              ElementsAre(0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF));

  EXPECT_THAT(BuildEndRecord(0x01020304, 61),
              ElementsAre(0xFA, 0x08, 0x00, 0x04, 0x03, 0x02, 0x01, 0x3D, 0x00, 0x00, 0x00));

  const uint8_t message[] = {0x06, 0xAA, 0xBB, 0xCC};
  EXPECT_THAT(BuildMessageRecord(message, 4), ElementsAre(0x06, 0x03, 0x00, 0xAA, 0xBB, 0xCC));
  EXPECT_THAT(BuildMessageRecord(message, 1), ElementsAre(0x06, 0x00, 0x00));
  EXPECT_TRUE(BuildMessageRecord(message, 0).empty());
  const Bytes largest(65536, 0x0A);
  EXPECT_EQ(BuildMessageRecord(largest.data(), largest.size()).size(), 65538u);
  const Bytes too_long(65537, 0x0A);
  EXPECT_TRUE(BuildMessageRecord(too_long.data(), too_long.size()).empty());
}

TEST(LogFormat, TitlesAndTimeRecordTexts) {
  EXPECT_EQ(LogFormatTitle("/data/old.zn"), "QUORVALIN LOG FILE");
  EXPECT_EQ(LogFormatTitle("run.KZQ"), "QUORVALIN TABLET LOG FILE");
  EXPECT_EQ(LogFormatTitle("run.kzq.bak"), "");
  EXPECT_EQ(LogFormatTitle("zn"), "");

  const uint8_t payload[] = {3, 4, 26, 9, 5, 7};
  EXPECT_EQ(LogDateText(payload), "3/4/2026 ");
  EXPECT_EQ(LogTimeText(payload), "9:5:7");
  const uint8_t unknown[] = {0, 0, 0, 255, 255, 255};
  EXPECT_EQ(LogDateText(unknown) + LogTimeText(unknown), "0/0/2000 255:255:255");
}

}  // namespace
}  // namespace qv
