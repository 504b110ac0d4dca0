#include "core/display/receiver_identity.h"

#include <algorithm>

#include "core/link/little_endian.h"

namespace qv {
namespace {

template <size_t kSize>
void StoreField(std::array<uint8_t, kSize>& field, const uint8_t* bytes, size_t count) {
  field.fill(0);
  if (bytes != nullptr) std::copy_n(bytes, std::min(count, kSize), field.begin());
}

}  // namespace

void ReceiverIdentity::StoreFirmware(const uint8_t* bytes, size_t count) {
  StoreField(firmware, bytes, count);
}

void ReceiverIdentity::StoreSerial(const uint8_t* bytes, size_t count) {
  StoreField(serial, bytes, count);
}

std::string FirmwareVersionText(const uint8_t* bytes, size_t count) {
  std::string text;
  for (size_t i = 0; bytes != nullptr && i < count && bytes[i] != 0; ++i) {
    const uint8_t byte = bytes[i];
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) continue;
    if (byte < 0x80) {
      text.push_back(static_cast<char>(byte));
    } else {
      text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return text;
}

void ReceiverIdentity::StoreBandList(const uint8_t* message, size_t length) {
  constexpr size_t kPairsAt = 2;
  constexpr size_t kPairSize = 8;
  size_t count = 0;
  if (message != nullptr && length >= kPairsAt) {
    count = std::min<size_t>({message[1], (length - kPairsAt) / kPairSize, kMaxBands});
  }
  bands.fill(BandRange{});
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* pair = message + kPairsAt + kPairSize * i;
    bands[i] = BandRange{GetU32(pair), GetU32(pair + 4)};
  }
  band_count = static_cast<uint8_t>(count);
}

}  // namespace qv
