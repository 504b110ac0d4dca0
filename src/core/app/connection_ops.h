#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/app/alerts.h"
#include "core/app/graph_steps.h"
#include "core/app/receiver_state.h"
#include "core/app/remembered_settings.h"
#include "core/app/spectrum_settings.h"
#include "core/link/command.h"
#include "core/link/receiver_link.h"

namespace qv {

struct FrequencyWindow;

// The commands that change the Receiver, built on one dispatcher. The connection sheet owns one
// of these next to the receiver state and the link objects of its five pages.
class CConnectionOps {
 public:
  CConnectionOps(ReceiverState& state, Alerts& alerts, GraphSteps& graph);
  CConnectionOps(const CConnectionOps&) = delete;
  CConnectionOps& operator=(const CConnectionOps&) = delete;

  // The link object of a page, by interface index; null means that page has none (its sends
  // fail). Not owned. Indexes outside 0..4 are ignored.
  void SetLink(int32_t index, ReceiverLink* link);
  ReceiverLink* Link(int32_t index) const;

  ReceiverState& State() { return state_; }
  const ReceiverState& State() const { return state_; }

  // Sends through the link of the interface index; when that fails, through each following link
  // in index order. True at the first link that accepts the frame.
  bool SendCommand(const uint8_t* command, size_t length);
  bool SendCommand(const Bytes& command) { return SendCommand(command.data(), command.size()); }

  // Set-spectrum, then the stored reference level again, then a fresh start of the traces.
  bool SendSpectrumSettings(const SpectrumSettings& settings);
  // index 1..6 for -20..-70 dBm; stored before it is sent.
  bool SetReferenceLevel(int32_t index);
  // Power-trigger mode with the stored threshold and delay; the span is capped at 20 MHz.
  bool StartPowerTrigger();
  // Closes the link of the interface index. The index and all settings stay.
  void CloseLink();
  // Told after every CloseLink, whoever asked for it (a command, a lost link, the handshake
  // time-out), so that what shows the connection, and the reconnect logic, can follow. Each
  // listener is told in the order added.
  void AddLinkClosedListener(std::function<void()> listener) {
    link_closed_.push_back(std::move(listener));
  }

  // The sweep on screen; while the graph holds none (after every reset, and in trigger mode
  // until a trigger), the window last sent to the Receiver.
  SweepWindow CurrentSweep() const;

  // Spectrum mode with 2400 MHz to 2450 MHz at 50 kHz resolution bandwidth. The next handshake
  // sends the default too, until the spectrum changes again.
  void SetDefaultSpectrum();

  // The last step of every handshake (the first and each one after a reconnect): spectrum
  // mode with the remembered reference level and the remembered spectrum, or the default one.
  void SendSettingsAfterHandshake();
  // What the next handshake sends; follows every accepted spectrum and reference level.
  const RememberedSpectrum& Remembered() const { return remembered_; }
  void SetRemembered(const RememberedSpectrum& remembered) { remembered_ = remembered; }
  // New span around the current centre, refused unless the window fits one band.
  void SetSpan(uint32_t span);
  // New centre with the current span, clamped to the band edges.
  void SetCenterFrequency(uint32_t centre);

 private:
  // The working settings with this start and span, sent; a sent window drops the selection.
  void SendWindow(const FrequencyWindow& window);
  void ResetGraph();
  // Spectrum mode, then these settings; silent when the mode is refused, else the message when
  // the settings are not sent.
  void SendInSpectrumMode(const SpectrumSettings& settings, std::string_view failure_message);

  ReceiverState& state_;
  Alerts& alerts_;
  GraphSteps& graph_;
  std::array<ReceiverLink*, kInterfaceCount> links_{};
  std::vector<std::function<void()>> link_closed_;
  RememberedSpectrum remembered_;
};

}  // namespace qv
