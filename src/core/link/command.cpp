#include "core/link/command.h"

#include "core/link/little_endian.h"

namespace qv {
namespace {

void PutEscaped(Bytes& out, uint8_t b) {
  out.push_back(b);
  if (b == kEscape) out.push_back(kEscapedData);
}

}  // namespace

Bytes BuildRequestFirmware() {
  return {kOpRequestFirmware};
}
Bytes BuildRequestSerial() {
  return {kOpRequestSerial};
}
Bytes BuildRequestBands() {
  return {kOpRequestBands};
}
Bytes BuildSetMode(uint8_t mode) {
  return {kOpSetMode, mode};
}

Bytes BuildSetSpectrum(const SpectrumSettings& s) {
  Bytes out{kOpSetSpectrum};
  out.reserve(13);
  PutU32(out, s.start);
  PutU32(out, s.span);
  PutU16(out, s.sweep_word);
  PutU16(out, s.rbw_code);
  return out;
}

Bytes BuildSetReferenceLevel(int16_t level_dbm) {
  Bytes out{kOpSetReferenceLevel};
  PutU16(out, static_cast<uint16_t>(level_dbm));
  return out;
}

Bytes BuildSetTrigger(int16_t threshold_dbm, uint16_t delay_units) {
  Bytes out{kOpSetTrigger};
  PutU16(out, static_cast<uint16_t>(threshold_dbm));
  PutU16(out, delay_units);
  return out;
}

uint8_t CheckByte(const uint8_t* command, size_t length) {
  uint8_t check = 0;
  for (size_t i = 0; i < length; ++i) check ^= command[i];
  return check;
}

Bytes FrameCommand(const uint8_t* command, size_t length, bool with_check_byte) {
  Bytes out;
  out.reserve(2 * length + 6);
  out.push_back(kEscape);
  out.push_back(kFrameStart);
  for (size_t i = 0; i < length; ++i) PutEscaped(out, command[i]);
  if (with_check_byte) PutEscaped(out, CheckByte(command, length));
  out.push_back(kEscape);
  out.push_back(kFrameEnd);
  return out;
}

}  // namespace qv
