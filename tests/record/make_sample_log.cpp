// Writes a small spectrum log for the quorvalin-log test, through the program's own writer:
// a partial first sweep, two complete sweeps (types 6 and 10) after time records, a torn last
// sweep, and the end record. With CAPTURES, also a capture file of three captures (N 4, 2, 3), the
// second commented "site B".
// Usage: make_sample_log OUT [CAPTURES]
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/link/sweep_message.h"
#include "core/record/capture_file.h"
#include "core/record/log_writer.h"

namespace {

using namespace qv;

bool Block(SpectrumLogWriter& writer, uint8_t type, uint32_t points, uint32_t first,
           std::vector<int16_t> levels) {
  SweepHeader h;
  h.type = type;
  h.start = 48000;  // 2400 MHz
  h.points = points;
  h.block_frequency = h.start + first;
  const Bytes message = BuildSweepBlock(h, levels.data(), static_cast<uint16_t>(levels.size()));
  return writer.WriteMessage(message.data(), message.size());
}

bool WriteCaptures(const std::string& path, std::string* error) {
  CaptureSweep sweep;
  sweep.start = 48000;  // 2400 MHz
  sweep.rbw_code = 267;
  sweep.reference_level = -30;
  sweep.power = -41.25f;
  uint32_t number = 0;
  const std::vector<std::vector<int16_t>> levels = {
      {-95, -96, -100, -87}, {-1, 0}, {-60, -61, -62}};
  if (!CaptureFile::Create(path, error)) return false;
  for (size_t i = 0; i < levels.size(); ++i) {
    sweep.type = i == 2 ? kMsgTriggerSweep : kMsgSweep;
    sweep.levels = levels[i];
    sweep.points = static_cast<uint32_t>(levels[i].size());
    const uint8_t second = static_cast<uint8_t>(7 + i);
    if (!CaptureFile::Append(path, {1, 31, 24, 13, 45, second}, sweep, &number, error))
      return false;
  }
  return CaptureFile::WriteComment(path, 1, "site B", error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: make_sample_log OUT [CAPTURES]\n");
    return 2;
  }
  if (argc == 3) {
    std::string error;
    if (!WriteCaptures(argv[2], &error)) {
      std::fprintf(stderr, "make_sample_log: %s\n", error.c_str());
      return 1;
    }
  }
  std::string error;
  std::unique_ptr<RecordSink> sink = CreateFileSink(argv[1], &error);
  if (!sink) {
    std::fprintf(stderr, "make_sample_log: %s\n", error.c_str());
    return 1;
  }
  // Filled the way the handshake fills it: the texts, then a band-list message.
  ReceiverIdentity identity;
  const std::string firmware = "V2.07";
  const std::string serial = "123456";
  identity.StoreFirmware(reinterpret_cast<const uint8_t*>(firmware.data()), firmware.size());
  identity.StoreSerial(reinterpret_cast<const uint8_t*>(serial.data()), serial.size());
  const uint8_t band_list[] = {kMsgBandList, 2,    0x80, 0x46, 0,    0,    0x7E, 0x48, 0, 0,
                               0x80,         0xBB, 0,    0,    0x10, 0xC2, 0,    0};
  identity.StoreBandList(band_list, sizeof band_list);

  SpectrumLogWriter writer;
  const bool ok = writer.Start(std::move(sink), identity, {1, 31, 24, 13, 45, 7}, {}) &&
                  Block(writer, kMsgSweep, 6, 3, {-1600, -1600, -1600}) &&
                  writer.WriteTime({1, 31, 24, 13, 45, 8}, {}) &&
                  Block(writer, kMsgSweep, 6, 0, {-1521, -1544, -1600}) &&
                  Block(writer, kMsgSweep, 6, 3, {-1400, -8, 0}) &&
                  writer.WriteTime({1, 31, 24, 13, 45, 9}, {}) &&
                  Block(writer, kMsgTriggerSweep, 3, 0, {-1600, -1601, -1602}) &&
                  Block(writer, kMsgSweep, 6, 0, {-1, -2, -3}) && writer.Finish();
  if (!ok) {
    std::fprintf(stderr, "make_sample_log: %s\n", writer.Error().c_str());
    return 1;
  }
  return 0;
}
