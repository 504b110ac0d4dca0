#pragma once

#include <memory>
#include <vector>

#include "core/app/manual_clock.h"
#include "core/link/command.h"
#include "core/link/deframer.h"
#include "core/link/sweep_message.h"
#include "sim/core/simulated_receiver.h"

namespace qv::sim {

// One simulated receiver on virtual time, its output kept raw and de-framed as the program's
// network link would.
struct ReceiverHarness {
  explicit ReceiverHarness(Transport transport, SimOptions options = {}) : transport(transport) {
    receiver = std::make_unique<SimulatedReceiver>(clock, transport, std::move(options),
                                                   [this](const uint8_t* data, size_t n) {
                                                     raw.insert(raw.end(), data, data + n);
                                                     chunks.push_back(n);
                                                     deframer.Feed(data, n);
                                                   });
  }

  void Send(const Bytes& command) {
    Bytes frame = FrameCommand(command, transport != Transport::kUsb);
    receiver->Feed(frame.data(), frame.size());
  }
  void SendRaw(const Bytes& bytes) { receiver->Feed(bytes.data(), bytes.size()); }
  // Spectrum mode with these settings: what makes the receiver stream.
  void StreamSpectrum(const SpectrumSettings& settings) {
    Send(BuildSetMode(kSpectrumMode));
    Send(BuildSetSpectrum(settings));
  }

  std::vector<Bytes> OfType(uint8_t type) const {
    std::vector<Bytes> out;
    for (const Bytes& m : messages) {
      if (m[0] == type) out.push_back(m);
    }
    return out;
  }

  Transport transport;
  ManualClock clock;
  Bytes raw;
  std::vector<size_t> chunks;
  std::vector<Bytes> messages;
  NetworkDeframer deframer{
      [this](const uint8_t* data, size_t n) { messages.emplace_back(data, data + n); }};
  std::unique_ptr<SimulatedReceiver> receiver;
};

inline SpectrumSettings Spectrum(uint32_t start, uint32_t span, uint16_t rbw_code = 1600) {
  return SpectrumSettings{start, span, 1, rbw_code};
}

}  // namespace qv::sim
