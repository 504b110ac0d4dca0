#include "core/link/sweep_message.h"

#include "core/link/little_endian.h"

namespace qv {

size_t SweepLevelsOffset(uint8_t type) {
  if (type == kMsgSweep) return kSweepLevelsOffset;
  if (type == kMsgTriggerSweep) return kTriggerSweepLevelsOffset;
  return 0;
}

std::optional<SweepHeader> ParseSweepHeader(const uint8_t* m, size_t length) {
  if (length == 0) return std::nullopt;
  const size_t levels_at = SweepLevelsOffset(m[0]);
  if (levels_at == 0 || length < levels_at) return std::nullopt;
  // Type 10 carries two trigger words after the RBW code; everything after moves by four.
  const size_t extra = m[0] == kMsgTriggerSweep ? 4 : 0;
  SweepHeader h;
  h.type = m[0];
  h.start = GetU32(m + 1);
  h.points = GetU32(m + 5);
  h.sweep_word = GetU16(m + 9);
  h.rbw_code = GetU16(m + 11);
  if (extra != 0) {
    h.trigger_word1 = GetU16(m + 13);
    h.trigger_word2 = GetU16(m + 15);
  }
  h.reference_level = static_cast<int16_t>(GetU16(m + 13 + extra));
  h.status = m[15 + extra];
  h.block_frequency = GetU32(m + 16 + extra);
  h.block_count = GetU16(m + 20 + extra);
  return h;
}

Bytes BuildSweepBlock(const SweepHeader& h, const int16_t* levels, uint16_t count) {
  Bytes out;
  const bool trigger = h.type == kMsgTriggerSweep;
  out.reserve((trigger ? kTriggerSweepLevelsOffset : kSweepLevelsOffset) + 2u * count);
  out.push_back(trigger ? kMsgTriggerSweep : kMsgSweep);
  PutU32(out, h.start);
  PutU32(out, h.points);
  PutU16(out, h.sweep_word);
  PutU16(out, h.rbw_code);
  if (trigger) {
    PutU16(out, h.trigger_word1);
    PutU16(out, h.trigger_word2);
  }
  PutU16(out, static_cast<uint16_t>(h.reference_level));
  out.push_back(h.status);
  PutU32(out, h.block_frequency);
  PutU16(out, count);
  for (uint16_t i = 0; i < count; ++i) PutU16(out, static_cast<uint16_t>(levels[i]));
  return out;
}

}  // namespace qv
