// Feeds arbitrary received messages to one trace record. The input is a sequence of chunks,
// each a 16-bit little-endian length and that many bytes. A chunk of type 8 is a band list,
// 0xF0 changes the replay direction, averaging, peaks and markers from its bytes, and anything
// else goes to the sweep block processing, with the plot size taken from the input's first bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/display/trace_data.h"

namespace {

class FuzzOwner : public qv::TraceOwner {
 public:
  bool FastRewind() const override { return rewind; }
  int16_t HistogramThreshold() const override { return threshold; }
  void OnSpectrogramUpdate(const qv::SpectrogramHistory& history, int32_t points) override {
    // Read the rows the owner is told are current, as the spectrogram copy does.
    if (points > 0) sink += history.At(points - 1, 99) + history.At(0, 0);
  }
  void OnHistogramUpdate(int32_t points, int16_t, const int16_t* counts) override {
    if (points > 0) sink += counts[points - 1];
  }

  bool rewind = false;
  int16_t threshold = -80;
  int64_t sink = 0;
};

void Control(qv::TraceData& trace, FuzzOwner& owner, const uint8_t* c, size_t n) {
  if (n < 8) return;
  owner.rewind = (c[1] & 1) != 0;
  owner.threshold = static_cast<int16_t>(-static_cast<int>(c[2]));
  if ((c[1] & 2) != 0) {
    trace.StartTraceAverage(c[3]);
  } else if ((c[1] & 4) != 0) {
    trace.SetAverageCount(c[3]);
  } else if ((c[1] & 8) != 0) {
    trace.StopTraceAverage();
  }
  const int slot = c[4] & 3;
  trace.peaks[slot].live = (c[4] >> 2) & 1;
  if (trace.peaks[slot].live != 0) trace.StartPeakTrace(slot);
  trace.frozen_live[slot].frozen = (c[4] >> 3) & 1;
  trace.frozen_average[slot].frozen = (c[4] >> 4) & 1;
  qv::MarkerRecord& marker = trace.markers[c[5] % qv::kMarkerCount];
  marker.a_placed = 1;
  marker.b_placed = 1;
  marker.a_x = c[6] * 8;
  marker.b_x = c[7] * 8;
  marker.a_point = c[6] * 60 - 100;
  marker.b_point = c[7] * 60 - 100;
  if ((c[1] & 16) != 0) trace.ResetTraces();
  if ((c[1] & 32) != 0) trace.ClearSpectrogramHistory();
  if ((c[1] & 64) != 0) trace.ComputeBinAverage(c[3] * 60 - 20, {0, 0, 1900, 800});
  if ((c[1] & 128) != 0) trace.StartBinAverage(c[3] * 60 - 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzOwner owner;
  static const std::unique_ptr<qv::TraceData> trace = std::make_unique<qv::TraceData>(&owner);
  static qv::ReceiverIdentity identity;
  // The record lives on across inputs as through a long session; refilling its histories for
  // every input would cost more than the input itself. A control chunk can reset it.
  owner = FuzzOwner{};
  trace->StopTraceAverage();
  if (size < 4) return 0;
  // Plot sizes from tiny (even inverted) to far beyond any screen.
  const auto extent = [](uint8_t code) {
    return code < 128 ? code * 16 : static_cast<int32_t>(code) * 40000 - 4000000;
  };
  const qv::PlotRect plot{0, 0, extent(data[0]), extent(data[1])};
  data += 2;
  size -= 2;
  while (size >= 2) {
    const size_t length = std::min<size_t>(data[0] | (data[1] << 8), size - 2);
    const uint8_t* message = data + 2;
    if (length > 0 && message[0] == 8) {
      trace->ReadBandList(message, length, identity);
    } else if (length > 0 && message[0] == 0xF0) {
      Control(*trace, owner, message, length);
    } else {
      trace->ProcessSweepBlock(message, length, plot);
    }
    // A geometry of another point count than the record's, as after a resize mid-sweep.
    const qv::GraphGeometry geometry({0, 0, extent(data[1]), extent(data[0])},
                                     static_cast<int32_t>(extent(data[0]) & 0x7fff));
    trace->BandPower(length > 0 ? message[0] % 6 : 4, extent(data[0]), extent(data[1]), geometry);
    data += 2 + length;
    size -= 2 + length;
  }
  return 0;
}
