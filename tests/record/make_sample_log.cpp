// Writes a small spectrum log for the quorvalin-log test, through the program's own writer:
// a partial first sweep, two complete sweeps (types 6 and 10) after time records, a torn last
// sweep, and the end record. With CAPTURES, also a capture file of three captures (N 4, 2, 3), the
// second commented "site B".
// With --long, a log of about GB gigabytes instead, for measuring (never written by the tests):
// a night of 2000-point sweeps (2400 - 2500 MHz) at 20 a second, a time record a second, noise
// near -95 dBm and a carrier at -40 dBm for the first minute of every ten, moving every half hour.
// With --seconds, a log of N seconds from 2026-12-07 03:10:00 instead: a time record and twenty
// four-point sweeps a second, every level of second s at -(50 + s) dBm, so a replay can tell
// which second it shows.
// With --channels, a log of 2400 - 2500 MHz in 1 MHz points at -100 dBm from 2024-01-31 13:45:07:
// four time records a second apart, two sweeps after each; in the first two seconds every sweep
// has one point at -60 dBm in Wi-Fi channel 6 (2437 MHz), so channel 6 is busy in half of them.
// The log ends with the first half of a sweep busy in channel 6, never completed: not counted.
// With --two-settings, ten minutes from 2026-12-08 01:00:00 for looking at by eye: five at
// 2400 - 2500 MHz with a -30 dBm carrier at 2440 MHz, then five at 902 - 928 MHz with one at
// 915 MHz, over noise near -95 dBm; ten sweeps and a time record a second.
// Usage: make_sample_log OUT [CAPTURES]
//        make_sample_log --long OUT GB
//        make_sample_log --seconds OUT N
//        make_sample_log --channels OUT
//        make_sample_log --two-settings OUT
#include <cstdio>
#include <cstdlib>
#include <random>
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

// The sweep blocks of one sweep: noise, with a carrier at `carrier` (a point) unless it is -1.
Bytes LongSweep(std::mt19937& rng, int carrier) {
  constexpr uint32_t kPoints = 2000;
  constexpr uint16_t kPerBlock = 1000;
  std::normal_distribution<double> noise(-95 * 16, 40);
  SweepHeader h;
  h.start = 48000;
  h.points = kPoints;
  Bytes out;
  int16_t levels[kPerBlock];
  for (uint32_t first = 0; first < kPoints; first += kPerBlock) {
    for (uint32_t i = 0; i < kPerBlock; ++i) {
      const int distance = std::abs(static_cast<int>(first + i) - carrier);
      levels[i] = static_cast<int16_t>(carrier >= 0 && distance < 8 ? (-40 - 4 * distance) * 16
                                                                    : noise(rng));
    }
    h.block_frequency = h.start + first;
    const Bytes message = BuildSweepBlock(h, levels, kPerBlock);
    const Bytes record = BuildMessageRecord(message.data(), message.size());
    out.insert(out.end(), record.begin(), record.end());
  }
  return out;
}

int WriteLong(const char* path, double gigabytes) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr || !(gigabytes > 0)) {
    std::fprintf(stderr, "make_sample_log: cannot write %s\n", path);
    return 1;
  }
  std::mt19937 rng(11);
  // A few noise variants of each sweep, so writing is copying.
  std::vector<Bytes> quiet, loud;
  for (int v = 0; v < 8; ++v) quiet.push_back(LongSweep(rng, -1));
  for (int position = 0; position < 16; ++position) loud.push_back(LongSweep(rng, 100 + 120 * position));
  const uint64_t target = static_cast<uint64_t>(gigabytes * 1e9);
  LogClock clock{1, 31, 24, 20, 0, 0};
  Bytes out = BuildHeaderRecord(ReceiverIdentity{}, clock, {});
  uint64_t written = 0;
  bool ok = true;
  for (uint64_t second = 0; ok && written + out.size() < target; ++second) {
    const uint64_t t = 20 * 3600 + second;  // from 20:00:00 on the 31st
    clock.day = static_cast<uint8_t>(31 + t / 86400 - (t >= 86400 ? 31 : 0));
    clock.month = t >= 86400 ? 2 : 1;
    clock.hour = static_cast<uint8_t>(t / 3600 % 24);
    clock.minute = static_cast<uint8_t>(t / 60 % 60);
    clock.second = static_cast<uint8_t>(t % 60);
    const Bytes time = BuildTimeRecord(clock, {});
    out.insert(out.end(), time.begin(), time.end());
    for (int sweep = 0; sweep < 20; ++sweep) {
      const Bytes& s = second % 600 < 60 ? loud[second / 1800 % 16] : quiet[(second + sweep) % 8];
      out.insert(out.end(), s.begin(), s.end());
    }
    if (out.size() > (4u << 20)) {
      ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
      written += out.size();
      out.clear();
    }
  }
  const Bytes end = BuildEndRecord(0, 0);
  out.insert(out.end(), end.begin(), end.end());
  ok = ok && std::fwrite(out.data(), 1, out.size(), file) == out.size();
  if (std::fclose(file) != 0 || !ok) {
    std::fprintf(stderr, "make_sample_log: cannot write %s\n", path);
    return 1;
  }
  return 0;
}

int WriteSeconds(const char* path, int seconds) {
  std::string error;
  std::unique_ptr<RecordSink> sink = CreateFileSink(path, &error);
  SpectrumLogWriter writer;
  LogClock clock{12, 7, 26, 3, 10, 0};
  bool ok = sink != nullptr && writer.Start(std::move(sink), ReceiverIdentity{}, clock, {});
  for (int second = 0; ok && second < seconds; ++second) {
    clock.minute = static_cast<uint8_t>(10 + second / 60);
    clock.second = static_cast<uint8_t>(second % 60);
    ok = writer.WriteTime(clock, {});
    const int16_t level = static_cast<int16_t>(-(50 + second) * 16);
    for (int sweep = 0; ok && sweep < 20; ++sweep)
      ok = Block(writer, kMsgSweep, 4, 0, {level, level, level, level});
  }
  if (!ok || !writer.Finish()) {
    std::fprintf(stderr, "make_sample_log: cannot write %s: %s\n", path, error.c_str());
    return 1;
  }
  return 0;
}

int WriteTwoSettings(const char* path) {
  std::string error;
  std::unique_ptr<RecordSink> sink = CreateFileSink(path, &error);
  SpectrumLogWriter writer;
  LogClock clock{12, 8, 26, 1, 0, 0};
  bool ok = sink != nullptr && writer.Start(std::move(sink), ReceiverIdentity{}, clock, {});
  std::mt19937 noise(7);
  std::uniform_int_distribution<int> jitter(-48, 48);
  for (int second = 0; ok && second < 600; ++second) {
    clock.minute = static_cast<uint8_t>(second / 60);
    clock.second = static_cast<uint8_t>(second % 60);
    ok = writer.WriteTime(clock, {});
    SweepHeader h;
    const bool ism = second >= 300;
    h.start = ism ? 18040 : 48000;  // 902 or 2400 MHz in 50 kHz steps
    h.points = ism ? 105 : 201;
    h.sweep_word = ism ? 5 : 10;    // 250 or 500 kHz
    h.block_frequency = h.start;
    const int carrier = ism ? 52 : 80;  // 915 and 2440 MHz
    for (int sweep = 0; ok && sweep < 10; ++sweep) {
      std::vector<int16_t> levels(h.points);
      for (int16_t& level : levels) level = static_cast<int16_t>(-95 * 16 + jitter(noise));
      levels[carrier] = -30 * 16;
      const Bytes message = BuildSweepBlock(h, levels.data(), h.points);
      ok = writer.WriteMessage(message.data(), message.size());
    }
  }
  if (!ok || !writer.Finish()) {
    std::fprintf(stderr, "make_sample_log: cannot write %s: %s\n", path, error.c_str());
    return 1;
  }
  return 0;
}

int WriteChannels(const char* path) {
  std::string error;
  std::unique_ptr<RecordSink> sink = CreateFileSink(path, &error);
  SpectrumLogWriter writer;
  LogClock clock{1, 31, 24, 13, 45, 7};
  bool ok = sink != nullptr && writer.Start(std::move(sink), ReceiverIdentity{}, clock, {});
  SweepHeader h;
  h.start = 48000;  // 2400 MHz
  h.points = 100;
  h.sweep_word = 20;  // 1 MHz
  h.block_frequency = h.start;
  for (int second = 0; ok && second < 4; ++second) {
    clock.second = static_cast<uint8_t>(8 + second);
    ok = writer.WriteTime(clock, {});
    std::vector<int16_t> levels(100, -100 * 16);
    if (second < 2) levels[37] = -60 * 16;
    const Bytes message = BuildSweepBlock(h, levels.data(), 100);
    for (int sweep = 0; ok && sweep < 2; ++sweep)
      ok = writer.WriteMessage(message.data(), message.size());
  }
  std::vector<int16_t> half(50, -100 * 16);
  half[37] = -60 * 16;
  const Bytes torn = BuildSweepBlock(h, half.data(), 50);
  ok = ok && writer.WriteMessage(torn.data(), torn.size());
  if (!ok || !writer.Finish()) {
    std::fprintf(stderr, "make_sample_log: cannot write %s: %s\n", path, error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--long") return WriteLong(argv[2], std::atof(argv[3]));
  if (argc == 4 && std::string(argv[1]) == "--seconds")
    return WriteSeconds(argv[2], std::atoi(argv[3]));
  if (argc == 3 && std::string(argv[1]) == "--channels") return WriteChannels(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--two-settings") return WriteTwoSettings(argv[2]);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr,
                 "usage: make_sample_log OUT [CAPTURES] | --long OUT GB | --seconds OUT N"
                 " | --channels OUT | --two-settings OUT\n");
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
