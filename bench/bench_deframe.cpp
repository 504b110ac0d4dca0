// De-framing throughput against plain memcpy of the same bytes, measured in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "core/link/command.h"
#include "core/link/deframer.h"
#include "core/link/sweep_message.h"

namespace qv {
namespace {

constexpr size_t kStreamBytes = 1 << 20;
constexpr uint16_t kPointsPerBlock = 300;
// The USB link reads whatever the driver has waiting; a frame buffer's worth is typical.
constexpr size_t kUsbBytesPerRead = kFrameBufferSize;

// About 1 MiB of framed type 6 sweep blocks: noise around -90 dBm, check byte included.
const Bytes& SweepStream() {
  static const Bytes stream = [] {
    std::mt19937 rng(42);
    std::normal_distribution<double> noise(0.0, 48.0);
    SweepHeader header;
    header.start = 48000;
    header.points = 3000;
    int16_t levels[kPointsPerBlock];
    Bytes out;
    out.reserve(kStreamBytes + 2 * kFrameBufferSize);
    for (uint32_t block = 0; out.size() < kStreamBytes; ++block) {
      for (int16_t& level : levels) level = static_cast<int16_t>(-90 * 16 + noise(rng));
      header.block_frequency = header.start + (block % 10) * kPointsPerBlock;
      const Bytes framed = FrameCommand(BuildSweepBlock(header, levels, kPointsPerBlock), true);
      out.insert(out.end(), framed.begin(), framed.end());
    }
    return out;
  }();
  return stream;
}

void BM_Memcpy(benchmark::State& state) {
  const Bytes& stream = SweepStream();
  Bytes copy(stream.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), stream.data(), stream.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_Memcpy);

template <typename T>
void RunDeframe(benchmark::State& state, size_t bytes_per_read) {
  const Bytes& stream = SweepStream();
  size_t delivered = 0;
  T deframer([&delivered](const uint8_t* data, size_t length) {
    benchmark::DoNotOptimize(data);
    delivered += length;
  });
  for (auto _ : state) {
    for (size_t at = 0; at < stream.size(); at += bytes_per_read) {
      deframer.Feed(stream.data() + at, std::min(bytes_per_read, stream.size() - at));
    }
  }
  benchmark::DoNotOptimize(delivered);
  if (delivered == 0) state.SkipWithError("no messages delivered");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
enum class Link { kSerial, kNetwork, kUsb };

// Each link fed in the reads it makes per wake-up.
void BM_Deframe(benchmark::State& state, Link link) {
  switch (link) {
    case Link::kSerial:
      return RunDeframe<SerialDeframer>(state, kSerialBytesPerRead);
    case Link::kNetwork:
      return RunDeframe<NetworkDeframer>(state, kNetworkBytesPerRead);
    case Link::kUsb:
      return RunDeframe<UsbDeframer>(state, kUsbBytesPerRead);
  }
}
BENCHMARK_CAPTURE(BM_Deframe, serial, Link::kSerial);
BENCHMARK_CAPTURE(BM_Deframe, network, Link::kNetwork);
BENCHMARK_CAPTURE(BM_Deframe, usb, Link::kUsb);

}  // namespace
}  // namespace qv
