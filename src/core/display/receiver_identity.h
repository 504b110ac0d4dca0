#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qv {

inline constexpr int kMaxBands = 100;
inline constexpr size_t kFirmwareFieldSize = 32;
inline constexpr size_t kSerialFieldSize = 8;

// Band starts (50 kHz steps) that have channel preset pages.
inline constexpr uint32_t kBand902Start = 18048;
inline constexpr uint32_t kBand2400Start = 48000;
inline constexpr uint32_t kBandPublicSafetyStart = 98000;
inline constexpr uint32_t kBand5000Start = 103000;

inline constexpr bool IsPresetBandStart(uint32_t start) {
  return start == kBand902Start || start == kBand2400Start || start == kBandPublicSafetyStart ||
         start == kBand5000Start;
}

struct BandRange {
  uint32_t start = 0;  // 50 kHz steps
  uint32_t stop = 0;

  friend bool operator==(const BandRange&, const BandRange&) = default;
};

// What the Receiver said about itself, kept as raw bytes for the log header.
struct ReceiverIdentity {
  std::array<uint8_t, kFirmwareFieldSize> firmware{};  // zero-padded
  std::array<uint8_t, kSerialFieldSize> serial{};      // zero-padded
  uint8_t band_count = 0;                              // at most kMaxBands
  std::array<BandRange, kMaxBands> bands{};            // entries from band_count on are zero

  // Replace the field with `count` bytes, cut at the field size.
  void StoreFirmware(const uint8_t* bytes, size_t count);
  void StoreSerial(const uint8_t* bytes, size_t count);

  // Stores the bands of a band-list message (type byte, count byte, start/stop pairs). Only the
  // pairs the message really holds are kept, and no more than kMaxBands.
  void StoreBandList(const uint8_t* message, size_t length);
};

// The firmware version as the status pane shows it: up to the first zero byte, control
// characters left out, other bytes above 0x7F read as Latin-1 and given as UTF-8.
std::string FirmwareVersionText(const uint8_t* bytes, size_t count);

}  // namespace qv
