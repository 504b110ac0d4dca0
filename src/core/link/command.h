#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/app/spectrum_settings.h"

namespace qv {

using Bytes = std::vector<uint8_t>;

// Opcodes of the commands sent to the Receiver. None is acknowledged.
enum Opcode : uint8_t {
  kOpRequestFirmware = 0x01,
  kOpRequestSerial = 0x02,
  kOpSetMode = 0x03,
  kOpSetSpectrum = 0x04,
  kOpSetReferenceLevel = 0x07,
  kOpRequestBands = 0x08,
  kOpSetTrigger = 0x09,
};

enum ReceiverMode : uint8_t {
  kSpectrumMode = 0x01,
  kPowerTriggerMode = 0x02,
};

// Link-protocol bytes shared by commands and received frames.
inline constexpr uint8_t kEscape = 0x11;
inline constexpr uint8_t kFrameStart = 0x12;
inline constexpr uint8_t kFrameEnd = 0x13;
inline constexpr uint8_t kEscapedData = 0x14;

// Command bytes, opcode first, multi-byte fields little-endian.
Bytes BuildRequestFirmware();
Bytes BuildRequestSerial();
Bytes BuildRequestBands();
Bytes BuildSetMode(uint8_t mode);
Bytes BuildSetSpectrum(const SpectrumSettings& settings);
Bytes BuildSetReferenceLevel(int16_t level_dbm);
Bytes BuildSetTrigger(int16_t threshold_dbm, uint16_t delay_units);

// Exclusive-or of the command bytes before escaping.
uint8_t CheckByte(const uint8_t* command, size_t length);

// Wraps a command in 11 12 ... 11 13, escaping 0x11 as 11 14. Serial and network links append
// the check byte (escaped too); the USB link sends none.
Bytes FrameCommand(const uint8_t* command, size_t length, bool with_check_byte);
inline Bytes FrameCommand(const Bytes& command, bool with_check_byte) {
  return FrameCommand(command.data(), command.size(), with_check_byte);
}

}  // namespace qv
