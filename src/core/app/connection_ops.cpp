#include "core/app/connection_ops.h"

#include <string>

#include "core/control/frequency_rules.h"
#include "core/control/rbw_reference.h"

namespace qv {
namespace {

constexpr uint32_t kTriggerMaxSpan = 400;  // 20 MHz: the Receiver's limit in trigger mode

constexpr char kMsgReferenceLevel[] = "Reference Level could not be set";
constexpr char kCapReferenceLevel[] = "Command Failure Alert !";
constexpr std::string_view kMsgRememberedSpectrum = "Remembered Spectrum could not be set";

bool ValidIndex(int32_t index) {
  return index >= 0 && index < kInterfaceCount;
}

}  // namespace

CConnectionOps::CConnectionOps(ReceiverState& state, Alerts& alerts, GraphSteps& graph)
    : state_(state), alerts_(alerts), graph_(graph) {}

void CConnectionOps::SetLink(int32_t index, ReceiverLink* link) {
  if (ValidIndex(index)) links_[index] = link;
}

ReceiverLink* CConnectionOps::Link(int32_t index) const {
  return ValidIndex(index) ? links_[index] : nullptr;
}

bool CConnectionOps::SendCommand(const uint8_t* command, size_t length) {
  if (!ValidIndex(state_.interface_index)) return false;
  for (int32_t i = state_.interface_index; i < kInterfaceCount; ++i) {
    if (links_[i] == nullptr || !links_[i]->Send(command, length)) continue;
    // Whoever sends a mode (the trigger page, the presets, the handshake), it is noted here.
    if (length == 2 && command[0] == kOpSetMode) {
      state_.power_trigger_mode = command[1] == kPowerTriggerMode;
    }
    return true;
  }
  return false;
}

bool CConnectionOps::SendSpectrumSettings(const SpectrumSettings& settings) {
  state_.last_sent = settings;
  if (!SendCommand(BuildSetSpectrum(state_.last_sent))) return false;
  remembered_.spectrum = settings;
  remembered_.use_default = false;
  // The Receiver forgets the reference level with every new spectrum. Its failure has its own
  // message and does not undo the spectrum that was accepted.
  SetReferenceLevel(state_.reference_level_index);
  ResetGraph();
  return true;
}

bool CConnectionOps::SetReferenceLevel(int32_t index) {
  // No caller passes another index; refuse it rather than send a level the Receiver lacks.
  if (index < kFirstReferenceIndex || index > kLastReferenceIndex) return false;
  state_.reference_level_index = index;
  if (SendCommand(BuildSetReferenceLevel(ReferenceLevelDbm(index)))) {
    remembered_.reference_level_index = index;
    return true;
  }
  alerts_.Show(kMsgReferenceLevel, kCapReferenceLevel);
  return false;
}

bool CConnectionOps::StartPowerTrigger() {
  if (!SendCommand(BuildSetMode(kPowerTriggerMode))) return false;
  if (!SendCommand(BuildSetTrigger(state_.trigger_threshold, state_.trigger_delay))) return false;
  if (state_.working.span > kTriggerMaxSpan) state_.working.span = kTriggerMaxSpan;
  // Sending the spectrum has already reset the graph.
  if (!SendSpectrumSettings(state_.working)) return false;
  graph_.StartTriggerClock();
  return true;
}

void CConnectionOps::CloseLink() {
  if (ReceiverLink* link = Link(state_.interface_index)) link->Close();
  state_.connected = 0;
  graph_.LinkClosed();
  for (const auto& listener : link_closed_) listener();
}

void CConnectionOps::SetDefaultSpectrum() {
  SendInSpectrumMode(DefaultSpectrum(), kMsgDefaultSpectrum);
  // The user's choice holds for the next handshake, even if the send failed.
  remembered_.use_default = true;
}

void CConnectionOps::SendSettingsAfterHandshake() {
  if (remembered_.reference_level_index >= kFirstReferenceIndex &&
      remembered_.reference_level_index <= kLastReferenceIndex) {
    state_.reference_level_index = remembered_.reference_level_index;
  }
  if (remembered_.use_default) {
    SetDefaultSpectrum();
  } else {
    SendInSpectrumMode(remembered_.spectrum, kMsgRememberedSpectrum);
  }
}

void CConnectionOps::SendInSpectrumMode(const SpectrumSettings& settings,
                                        std::string_view failure_message) {
  if (!SendCommand(BuildSetMode(kSpectrumMode))) return;
  state_.working = settings;
  if (!SendSpectrumSettings(state_.working)) {
    alerts_.Show(std::string(failure_message), std::string(kCapDefaultSpectrum));
  }
}

SweepWindow CConnectionOps::CurrentSweep() const {
  const SweepWindow shown = graph_.CurrentSweep();
  if (shown.span != 0) return shown;
  return SweepWindow{state_.last_sent.start, state_.last_sent.span};
}

void CConnectionOps::SetSpan(uint32_t span) {
  const SweepWindow current = CurrentSweep();
  if (const auto window = SpanWindow(current.start, current.span, span)) {
    SendWindow(*window);
  } else {
    alerts_.Show(std::string(kMsgSpanOutOfBand), std::string(kCapSpanOutOfBand));
  }
}

void CConnectionOps::SetCenterFrequency(uint32_t centre) {
  if (const auto window = CenterWindow(CurrentSweep().span, centre)) {
    SendWindow(*window);
  } else {
    alerts_.Show(std::string(kMsgCentreOutOfBand), std::string(kCapCentreOutOfBand));
  }
}

void CConnectionOps::SendWindow(const FrequencyWindow& window) {
  state_.working.start = window.start;
  state_.working.span = window.span;
  if (SendSpectrumSettings(state_.working)) graph_.ClearAreaSelected();
}

void CConnectionOps::ResetGraph() {
  graph_.ResetTraces();
  graph_.ClearModeFlags();
  graph_.AwaitFirstSweep(state_.last_sent, ReferenceLevelDbm(state_.reference_level_index),
                         state_.power_trigger_mode);
}

}  // namespace qv
