#include "core/record/log_format.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>

#include "core/link/little_endian.h"

namespace qv {
namespace {

// Header payload offsets (from the start of the record).
constexpr size_t kDeviceAt = 3;
constexpr size_t kDeviceSize = 16;
constexpr size_t kVersionAt = 19;
constexpr size_t kFirmwareAt = 20;
constexpr size_t kSerialAt = 52;
constexpr size_t kClockAt = 60;
constexpr size_t kBandCountAt = 66;
constexpr size_t kBandTableAt = 67;
constexpr size_t kMarkersAt = 867;
constexpr size_t kPlaybackHeaderBytes = 60;  // type, length, device, version, firmware, serial
constexpr uint8_t kHeaderVersion = 1;

// A record holding only its type and length so far, with room for the payload.
Bytes NewRecord(uint8_t type, size_t payload) {
  Bytes out;
  out.reserve(kLogRecordPrefix + payload);
  out.push_back(type);
  PutU16(out, static_cast<uint16_t>(payload));
  return out;
}

void PutClock(Bytes& out, const LogClock& clock) {
  out.insert(out.end(),
             {clock.month, clock.day, clock.year, clock.hour, clock.minute, clock.second});
}

// Ends in file order: marker 1 A, 1 B, 2 A, ... each a shown byte and a signed x.
void PutMarkers(Bytes& out, const LogMarkers& markers) {
  for (const LogMarkerEnd& end : markers) {
    out.push_back(end.shown);
    PutU32(out, static_cast<uint32_t>(end.x));
  }
}

LogClock GetClock(const uint8_t* p) {
  return LogClock{p[0], p[1], p[2], p[3], p[4], p[5]};
}

std::string TextField(const uint8_t* p, size_t size) {
  const uint8_t* end = std::find(p, p + size, 0);
  return std::string(p, end);
}

}  // namespace

LogClock LocalLogClock() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &local) == nullptr) return {};
  return LogClock{static_cast<uint8_t>(local.tm_mon + 1),    static_cast<uint8_t>(local.tm_mday),
                  static_cast<uint8_t>(local.tm_year - 100), static_cast<uint8_t>(local.tm_hour),
                  static_cast<uint8_t>(local.tm_min),        static_cast<uint8_t>(local.tm_sec)};
}

Bytes BuildHeaderRecord(const ReceiverIdentity& identity, const LogClock& clock,
                        const LogMarkers& markers) {
  Bytes out = NewRecord(kLogHeaderType, kLogHeaderPayload);
  out.insert(out.end(), kLogDeviceName, kLogDeviceName + 6);
  out.resize(kDeviceAt + kDeviceSize, 0);
  out.push_back(kHeaderVersion);
  out.insert(out.end(), identity.firmware.begin(), identity.firmware.end());
  out.insert(out.end(), identity.serial.begin(), identity.serial.end());
  PutClock(out, clock);
  // The identity keeps its count within the table; a bad one must not reach a file anyway.
  const size_t count = std::min<size_t>(identity.band_count, kMaxBands);
  out.push_back(static_cast<uint8_t>(count));
  for (size_t i = 0; i < kMaxBands; ++i) {
    const BandRange band = i < count ? identity.bands[i] : BandRange{};
    PutU32(out, band.start);
    PutU32(out, band.stop);
  }
  PutMarkers(out, markers);
  return out;
}

Bytes BuildTimeRecord(const LogClock& clock, const LogMarkers& markers) {
  Bytes out = NewRecord(kLogTimeType, kLogTimePayload);
  PutClock(out, clock);
  PutMarkers(out, markers);
  return out;
}

Bytes BuildEndRecord(uint32_t records_written, uint32_t minutes) {
  Bytes out = NewRecord(kLogEndType, kLogEndPayload);
  PutU32(out, records_written);
  PutU32(out, minutes);
  return out;
}

Bytes BuildMessageRecord(const uint8_t* message, size_t length) {
  if (message == nullptr || length == 0 || length - 1 > 0xFFFF) return {};
  Bytes out = NewRecord(message[0], length - 1);
  out.insert(out.end(), message + 1, message + length);
  return out;
}

bool ParseHeaderRecord(const uint8_t* record, size_t length, LogHeaderInfo& out) {
  out = LogHeaderInfo{};
  out.bytes = record == nullptr ? 0 : std::min(length, kLogHeaderRecordSize);
  if (record == nullptr || length < kPlaybackHeaderBytes) return false;
  out.device_name = TextField(record + kDeviceAt, kDeviceSize);
  out.version = record[kVersionAt];
  out.firmware = TextField(record + kFirmwareAt, kFirmwareFieldSize);
  out.serial = TextField(record + kSerialAt, kSerialFieldSize);
  out.identity.StoreFirmware(record + kFirmwareAt, kFirmwareFieldSize);
  out.identity.StoreSerial(record + kSerialAt, kSerialFieldSize);
  // The rest only when the record really holds it; otherwise it would be the next records' bytes.
  if (GetU16(record + 1) < kLogHeaderPayload || length < kLogHeaderRecordSize) return true;
  out.clock = GetClock(record + kClockAt);
  const size_t count = std::min<size_t>(record[kBandCountAt], kMaxBands);
  out.identity.band_count = static_cast<uint8_t>(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* pair = record + kBandTableAt + 8 * i;
    out.identity.bands[i] = BandRange{GetU32(pair), GetU32(pair + 4)};
  }
  for (size_t i = 0; i < out.markers.size(); ++i) {
    const uint8_t* end = record + kMarkersAt + 5 * i;
    out.markers[i] = LogMarkerEnd{end[0], static_cast<int32_t>(GetU32(end + 1))};
  }
  out.complete = true;
  return true;
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

std::string LogFormatTitle(const std::string& path) {
  if (EndsWithNoCase(path, ".zn")) return kLogTitleZn;
  if (EndsWithNoCase(path, ".kzq")) return kLogTitleKzq;
  return {};
}

bool KnownTime(const LogClock& clock) {
  return clock.hour < 24 && clock.minute < 60 && clock.second < 60;
}

std::string LogClockText(const LogClock& clock) {
  const uint8_t bytes[6] = {clock.month, clock.day, clock.year, clock.hour, clock.minute,
                            clock.second};
  return LogDateText(bytes) + LogTimeText(bytes);
}

std::string LogDateText(const uint8_t* payload) {
  char text[32];
  std::snprintf(text, sizeof text, "%01d/%01d/%d ", payload[0], payload[1], 2000 + payload[2]);
  return text;
}

std::string LogTimeText(const uint8_t* payload) {
  char text[32];
  std::snprintf(text, sizeof text, "%01d:%01d:%01d", payload[3], payload[4], payload[5]);
  return text;
}

}  // namespace qv
