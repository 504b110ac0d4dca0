#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/link/command.h"

namespace qv {

// Message types the Receiver sends (first byte of every de-framed message).
enum MessageType : uint8_t {
  kMsgFirmware = 1,
  kMsgSerialNumber = 2,
  kMsgSweep = 6,
  kMsgBandList = 8,
  kMsgTriggerSweep = 10,
};

inline constexpr size_t kSweepLevelsOffset = 22;         // type 6
inline constexpr size_t kTriggerSweepLevelsOffset = 26;  // type 10

// Header of one sweep block, type 6 or 10. Frequencies in 50 kHz steps.
struct SweepHeader {
  uint8_t type = kMsgSweep;
  uint32_t start = 0;
  uint32_t points = 0;  // N, points of the whole sweep
  uint16_t sweep_word = 1;
  uint16_t rbw_code = 1600;
  uint16_t trigger_word1 = 0;  // type 10 only
  uint16_t trigger_word2 = 0;  // type 10 only
  int16_t reference_level = -20;
  uint8_t status = 0;  // bit 0 data clipping, bit 1 low battery
  uint32_t block_frequency = 0;
  uint16_t block_count = 0;

  friend bool operator==(const SweepHeader&, const SweepHeader&) = default;
};

inline constexpr uint8_t kStatusDataClipping = 0x01;
inline constexpr uint8_t kStatusLowBattery = 0x02;

// Offset of the first level for a sweep message type, 0 for any other type.
size_t SweepLevelsOffset(uint8_t type);

// Reads the header of a type 6 or 10 message; nullopt when the type is another or the message
// is too short for its header. Levels are not checked against the length here.
std::optional<SweepHeader> ParseSweepHeader(const uint8_t* message, size_t length);

// Builds a sweep block message (unframed). header.block_count is taken from count; levels are
// in 1/16 dBm.
Bytes BuildSweepBlock(const SweepHeader& header, const int16_t* levels, uint16_t count);

}  // namespace qv
