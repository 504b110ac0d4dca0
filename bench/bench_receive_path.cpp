// The whole receive path of a network Receiver: framed bytes in, read as the link reads them,
// through the de-framer and the message handler into the trace record, with the graph's paints
// requested by the frame clock. Compared with memcpy of the same bytes (BM_Memcpy) in one run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "core/app/frame_pacer.h"
#include "core/app/manual_clock.h"
#include "core/display/receiver_identity.h"
#include "core/display/trace_data.h"
#include "core/display/trace_sweep_processor.h"
#include "core/link/command.h"
#include "core/link/deframer.h"
#include "core/link/message_decoder.h"
#include "core/link/sweep_message.h"

namespace qv {
namespace {

constexpr uint32_t kSweepPoints = 1000;
constexpr uint16_t kBlockPoints = 250;
// One second of the stream the targets are set at.
constexpr size_t kBytesPerSecond = 2000000;

// Framed type 6 blocks as a Receiver streams them: a noise floor with a few Wi-Fi-like
// channels, different in every sweep.
const Bytes& Stream() {
  static const Bytes stream = [] {
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 3.0 * 16);
    SweepHeader header;
    header.start = 48000;
    header.points = kSweepPoints;
    int16_t levels[kBlockPoints];
    Bytes out;
    for (uint32_t block = 0; out.size() < kBytesPerSecond; ++block) {
      const uint32_t first = (block % (kSweepPoints / kBlockPoints)) * kBlockPoints;
      for (uint16_t i = 0; i < kBlockPoints; ++i) {
        const double x = static_cast<double>(first + i) / kSweepPoints;
        double dbm = -95;
        for (double centre : {0.2, 0.45, 0.7}) dbm += 40 * std::exp(-std::pow((x - centre) / 0.04, 2));
        levels[i] = static_cast<int16_t>(dbm * 16 + noise(rng));
      }
      header.block_frequency = header.start + first;
      const Bytes framed = FrameCommand(BuildSweepBlock(header, levels, kBlockPoints), false);
      out.insert(out.end(), framed.begin(), framed.end());
    }
    return out;
  }();
  return stream;
}

struct NoLog : ReceiveLog {
  bool IsLogging() const override { return false; }
  void WriteMessageRecord(const uint8_t*, size_t) override {}
  void SetFirmwareBytes(const uint8_t*, size_t) override {}
  void SetSerialBytes(const uint8_t*, size_t) override {}
};

struct NoHandshake : HandshakeSteps {
  void FirmwareStep() override {}
  void BandStep() override {}
  void ClosingSteps() override {}
  void TimeOutStep() override {}
};

// The graph as the handler sees it: a new block asks the frame clock for a paint.
struct PacedView : ReceiveView {
  explicit PacedView(FramePacer& frames) : frames(frames) {}
  void SetStatusPaneText(int, const std::string&) override {}
  void SetModeFlags(bool, bool) override {}
  void TriggerArrived() override {}
  bool IsPrinting() const override { return false; }
  void Repaint() override { frames.Invalidate(); }
  void Quit(int) override {}
  FramePacer& frames;
};

void BM_ReceivePath(benchmark::State& state) {
  const Bytes& stream = Stream();
  ManualClock clock;
  auto trace = std::make_unique<TraceData>();
  ReceiverIdentity identity;
  const PlotRect plot{60, 5, 1860, 810};
  TraceSweepProcessor sweeps(*trace, identity, [plot] { return plot; });
  int64_t paints = 0;
  FramePacer frames(clock, [&] {
    ++paints;
    frames.Painted();
  });
  NoLog log;
  NoHandshake handshake;
  PacedView view(frames);
  ReceiverMessageHandler handler(clock, log, sweeps, handshake, view);
  NetworkDeframer deframer(
      [&](const uint8_t* data, size_t length) { handler.OnReceiverMessage(data, length); });

  // The stream's bytes per display frame at the target rate: the clock moves one frame on
  // after each such stretch, as it would while the link delivers them.
  const size_t frame_bytes = kBytesPerSecond * kFramePeriodMs / 1000;
  for (auto _ : state) {
    size_t next_frame = frame_bytes;
    for (size_t at = 0; at < stream.size(); at += kNetworkBytesPerRead) {
      deframer.Feed(stream.data() + at, std::min(kNetworkBytesPerRead, stream.size() - at));
      if (at >= next_frame) {
        clock.Advance(kFramePeriodMs);
        next_frame += frame_bytes;
      }
    }
    benchmark::DoNotOptimize(trace->sweep_power_sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
  // Paints asked for per second of the stream: the display's frame rate, not the block rate.
  state.counters["paints_per_stream_second"] =
      static_cast<double>(paints) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReceivePath)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qv
