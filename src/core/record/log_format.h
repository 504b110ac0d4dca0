#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/display/receiver_identity.h"
#include "core/link/command.h"  // Bytes

namespace qv {

// A spectrum log is a sequence of records: type byte, 16-bit little-endian payload length,
// payload. The header comes first, then one record per received message, one time record per
// second while logging, and an end record.
inline constexpr uint8_t kLogHeaderType = 0xBA;
inline constexpr uint8_t kLogTimeType = 0xAB;
inline constexpr uint8_t kLogEndType = 0xFA;
inline constexpr uint8_t kLogOldEndType = 0xAF;  // also read as the end of a recording

inline constexpr size_t kLogRecordPrefix = 3;  // type byte and payload length
inline constexpr size_t kLogHeaderPayload = 894;
inline constexpr size_t kLogHeaderRecordSize = kLogRecordPrefix + kLogHeaderPayload;  // 897
inline constexpr size_t kLogTimePayload = 36;
inline constexpr size_t kLogTimeRecordSize = kLogRecordPrefix + kLogTimePayload;  // 39
inline constexpr size_t kLogEndPayload = 8;
inline constexpr size_t kLogEndRecordSize = kLogRecordPrefix + kLogEndPayload;  // 11
inline constexpr size_t kLogMarkerBlockSize = 30;
// A record read for playback: the type byte and at most 2095 payload bytes. Longer records are
// skipped whole.
inline constexpr size_t kPlaybackBufferSize = 2096;

inline constexpr char kLogDeviceName[] = "TOLVEX";  // then zero bytes to 16
inline constexpr char kLogTitleZn[] = "QUORVALIN LOG FILE";
inline constexpr char kLogTitleKzq[] = "QUORVALIN TABLET LOG FILE";

// Local date and time as the log stores it. When the clock cannot be read: month and day 0,
// hour, minute and second 255.
struct LogClock {
  uint8_t month = 0;
  uint8_t day = 0;
  uint8_t year = 0;  // year minus 2000
  uint8_t hour = 255;
  uint8_t minute = 255;
  uint8_t second = 255;

  friend bool operator==(const LogClock&, const LogClock&) = default;
};

// The local clock now (std::localtime), or the "unknown" value above.
LogClock LocalLogClock();

// Which marker ends were drawn on the graph while logging, and where (window x). Ends 0 ... 5 are
// marker 1 A, 1 B, 2 A, 2 B, 3 A, 3 B.
struct LogMarkerEnd {
  uint8_t shown = 0;
  int32_t x = 0;

  friend bool operator==(const LogMarkerEnd&, const LogMarkerEnd&) = default;
};
using LogMarkers = std::array<LogMarkerEnd, 6>;

// Whole records, byte for byte.
Bytes BuildHeaderRecord(const ReceiverIdentity& identity, const LogClock& clock,
                        const LogMarkers& markers);
Bytes BuildTimeRecord(const LogClock& clock, const LogMarkers& markers);
Bytes BuildEndRecord(uint32_t records_written, uint32_t minutes);
// A received message of n bytes becomes a record of n + 2 bytes: its type byte, n - 1, the rest.
// Empty for an empty message or one whose payload does not fit 16 bits.
Bytes BuildMessageRecord(const uint8_t* message, size_t length);

// What the header tells a reader. Only the first 60 bytes matter for playback; the rest is
// decoded for `quorvalin-log info`.
struct LogHeaderInfo {
  std::string device_name;  // up to the first zero byte
  uint8_t version = 0;
  std::string firmware;  // up to the first zero byte
  std::string serial;    // up to the first zero byte
  LogClock clock;
  ReceiverIdentity identity;  // firmware, serial and bands as stored
  LogMarkers markers{};
  bool complete = false;  // the whole 894-byte payload was there
  size_t bytes = 0;       // of the record that were there, at most 897
};

// Decodes a header record (from its type byte on). False when fewer than 60 bytes are given.
bool ParseHeaderRecord(const uint8_t* record, size_t length, LogHeaderInfo& out);

// Whether `text` ends in `suffix`, letters in either case (a file's extension).
bool EndsWithNoCase(const std::string& text, const std::string& suffix);

// "QUORVALIN LOG FILE" for a path ending in ".zn", "QUORVALIN TABLET LOG FILE" for ".kzq"
// (either case), empty otherwise.
std::string LogFormatTitle(const std::string& path);

// Whether the clock holds a time of day (not the "unknown" value).
bool KnownTime(const LogClock& clock);
// LogDateText and LogTimeText of a clock, as the time pane shows a time record.
std::string LogClockText(const LogClock& clock);

// Date and time of a time record's payload: "%01d/%01d/%d " (month/day/2000 + year) and
// "%01d:%01d:%01d".
std::string LogDateText(const uint8_t* payload);
std::string LogTimeText(const uint8_t* payload);

}  // namespace qv
