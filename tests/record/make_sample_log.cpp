// Writes a small spectrum log for the quorvalin-log test, through the program's own writer:
// a partial first sweep, two complete sweeps (types 6 and 10) after time records, a torn last
// sweep, and the end record.
// Usage: make_sample_log OUT
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/link/sweep_message.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample_log OUT\n");
    return 2;
  }
  std::string error;
  std::unique_ptr<RecordSink> sink = CreateFileSink(argv[1], &error);
  if (!sink) {
    std::fprintf(stderr, "make_sample_log: %s\n", error.c_str());
    return 1;
  }
  ReceiverIdentity identity;
  const uint8_t firmware[] = {'V', '2', '.', '0', '7'};
  const uint8_t serial[] = {'1', '2', '3', '4', '5', '6'};
  identity.StoreFirmware(firmware, sizeof firmware);
  identity.StoreSerial(serial, sizeof serial);
  identity.band_count = 2;
  identity.bands[0] = {18048, 18558};
  identity.bands[1] = {48000, 49680};

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
