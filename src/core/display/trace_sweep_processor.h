#pragma once

#include <functional>

#include "core/display/plot_scale.h"
#include "core/display/receiver_identity.h"
#include "core/display/trace_data.h"
#include "core/link/message_decoder.h"

namespace qv {

// The receive path's view of the trace record: sweep blocks and band lists go to TraceData with
// the graph's current plot rectangle, the band list also into the identity the log header keeps.
class TraceSweepProcessor : public SweepProcessor {
 public:
  TraceSweepProcessor(TraceData& trace, ReceiverIdentity& identity,
                      std::function<PlotRect()> plot_rect)
      : trace_(trace), identity_(identity), plot_rect_(std::move(plot_rect)) {}

  void ProcessSweepBlock(const uint8_t* message, size_t length) override {
    const int32_t before = trace_.write_index;
    if (!trace_.ProcessSweepBlock(message, length, plot_rect_())) return;
    // The block that fills the last point completes the sweep; a one-block sweep starts at 0.
    const int32_t stored = trace_.StoredPoints();
    const bool first = trace_.header.block_frequency == trace_.header.start;
    if (stored > 0 && trace_.write_index >= stored && (before < stored || first)) {
      trace_.ShowCompletedSweepPower();
      if (sweep_complete_) sweep_complete_();
    }
  }
  // Told once a sweep's last point has arrived, the whole sweep then in the live levels.
  void SetSweepComplete(std::function<void()> complete) { sweep_complete_ = std::move(complete); }
  void ReadBandList(const uint8_t* message, size_t length) override {
    trace_.ReadBandList(message, length, identity_);
  }
  bool LowBatteryFlag() const override { return trace_.low_battery != 0; }
  void ClearLowBatteryFlag() override { trace_.low_battery = 0; }

 private:
  TraceData& trace_;
  ReceiverIdentity& identity_;
  std::function<PlotRect()> plot_rect_;
  std::function<void()> sweep_complete_;
};

}  // namespace qv
