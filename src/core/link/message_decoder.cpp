#include "core/link/message_decoder.h"

#include <algorithm>
#include <cstring>

#include "core/app/connection_ops.h"
#include "core/app/status_panes.h"
#include "core/display/receiver_identity.h"
#include "core/link/sweep_message.h"

namespace qv {
namespace {

constexpr size_t kSerialDigits = 6;
constexpr char kFirmwarePrefix[] = "F/w Ver: ";
constexpr char kSerialPrefix[] = "Receiver Serial # ";

}  // namespace

ReceiverMessageHandler::ReceiverMessageHandler(TimerFactory& timers, ReceiveLog& log,
                                               SweepProcessor& sweeps, HandshakeSteps& handshake,
                                               ReceiveView& view)
    : log_(log),
      sweeps_(sweeps),
      handshake_(handshake),
      view_(view),
      handshake_timer_(timers.CreateTimer()),
      battery_timer_(timers.CreateTimer()),
      trigger_clock_(timers.CreateTimer()),
      silence_timer_(timers.CreateTimer()) {
  handshake_timer_->SetCallback([this] { OnHandshakeTimeout(); });
  battery_timer_->SetCallback([this] { OnBatteryTick(); });
  silence_timer_->SetCallback([this] { OnSilenceTick(); });
  // The countdown runs for the whole life of the graph; it only counts while the flag is set.
  battery_timer_->Start(kBatteryTickMs);
}

ReceiverMessageHandler::~ReceiverMessageHandler() = default;

void ReceiverMessageHandler::StartHandshakeTimeout() {
  handshake_timer_->Start(kHandshakeTimeoutMs);
}

void ReceiverMessageHandler::OnReceiverMessage(const uint8_t* message, size_t length) {
  // Every message needs its type byte; nothing a link delivers is longer than the buffer, so a
  // longer one is damage, not data.
  if (message == nullptr || length == 0 || length > buffer_.size()) return;
  std::memcpy(buffer_.data(), message, length);
  length_ = length;
  type_ = buffer_[0];
  silence_ticks_ = 0;
  if (silent_seconds_ != 0) {
    silent_seconds_ = 0;
    view_.SetDataSilence(0, false);
  }

  if (log_.IsLogging()) log_.WriteMessageRecord(buffer_.data(), length_);

  switch (type_) {
    case kMsgFirmware:
      OnFirmware();
      break;
    case kMsgBandList:
      OnBandList();
      break;
    case kMsgSerialNumber:
      OnSerialNumber();
      break;
    case kMsgSweep:
      OnSweep(/*power_trigger=*/false);
      break;
    case kMsgTriggerSweep:
      OnSweep(/*power_trigger=*/true);
      break;
    default:
      // Other types, among them echoes of set-command opcodes, carry nothing for us.
      break;
  }
}

void ReceiverMessageHandler::OnFirmware() {
  handshake_timer_->Stop();
  handshake_.FirmwareStep();
  // The version is bytes 1 .. L-2; the last byte is not part of it.
  const size_t count = length_ >= 3 ? length_ - 2 : 0;
  const uint8_t* text = buffer_.data() + 1;
  firmware_text_ = FirmwareVersionText(text, count);
  log_.SetFirmwareBytes(text, count);
  view_.SetStatusPaneText(kPaneFirmware, kFirmwarePrefix + firmware_text_);
  handshake_timer_->Start(kHandshakeTimeoutMs);
}

void ReceiverMessageHandler::OnBandList() {
  handshake_timer_->Stop();
  sweeps_.ReadBandList(buffer_.data(), length_);
  handshake_.BandStep();
  handshake_timer_->Start(kHandshakeTimeoutMs);
}

void ReceiverMessageHandler::OnSerialNumber() {
  handshake_timer_->Stop();
  // A short message gives only the characters it has.
  const size_t count = std::min(kSerialDigits, length_ - 1);
  const uint8_t* bytes = buffer_.data() + 1;
  serial_text_.clear();
  for (size_t i = 0; i < count; ++i) {
    if (bytes[i] >= '0' && bytes[i] <= '9') serial_text_.push_back(static_cast<char>(bytes[i]));
  }
  log_.SetSerialBytes(bytes, count);
  view_.SetStatusPaneText(kPaneSerial, kSerialPrefix + serial_text_);
  // The handshake is complete; the time-out stays off.
  handshake_.ClosingSteps();
}

void ReceiverMessageHandler::OnSweep(bool power_trigger) {
  awaiting_first_ = false;
  if (power_trigger) {
    trigger_clock_->Stop();
    view_.TriggerArrived();
  }
  if (!silence_timer_->IsActive()) silence_timer_->Start(kSilenceTickMs);
  view_.SetModeFlags(/*spectrum_mode=*/!power_trigger, /*power_trigger_mode=*/power_trigger);
  sweeps_.ProcessSweepBlock(buffer_.data(), length_);
  receiver_low_battery_ = sweeps_.LowBatteryFlag();
  if (!view_.IsPrinting()) view_.Repaint();
  if (power_trigger) trigger_clock_->Start(kTriggerClockMs);
}

void ReceiverMessageHandler::OnHandshakeTimeout() {
  handshake_.TimeOutStep();
  if (connection_ != nullptr) connection_->CloseLink();
  handshake_timer_->Stop();
}

void ReceiverMessageHandler::StartTriggerClock() {
  trigger_clock_->Start(kTriggerClockMs);
  if (!silence_timer_->IsActive()) silence_timer_->Start(kSilenceTickMs);
}

void ReceiverMessageHandler::StopDataWatch() {
  silence_timer_->Stop();
  silence_ticks_ = 0;
  if (silent_seconds_ != 0) {
    silent_seconds_ = 0;
    view_.SetDataSilence(0, false);
  }
  if (WaitingForTrigger() && Connected()) silence_timer_->Start(kSilenceTickMs);
}

bool ReceiverMessageHandler::Connected() const {
  return connection_ != nullptr && connection_->State().connected != 0;
}

bool ReceiverMessageHandler::WaitingForTrigger() const {
  return connection_ != nullptr && connection_->State().power_trigger_mode;
}

void ReceiverMessageHandler::OnSilenceTick() {
  if (!Connected()) {
    StopDataWatch();
    return;
  }
  ++silence_ticks_;
  if (awaiting_first_ && WaitingForTrigger()) {
    silent_seconds_ = silence_ticks_;
    view_.SetDataSilence(silent_seconds_, true);
    return;
  }
  if (silence_ticks_ - 1 < kSilenceWarningSeconds) return;
  silent_seconds_ = silence_ticks_ - 1;
  view_.SetDataSilence(silent_seconds_, WaitingForTrigger());
}

void ReceiverMessageHandler::OnLinkClosed() {
  StopDataWatch();
  // Once past zero the quit is on its way already.
  if (low_battery_countdown_ < 0) return;
  const bool warning_shown = sweeps_.LowBatteryFlag();
  sweeps_.ClearLowBatteryFlag();
  receiver_low_battery_ = false;
  low_battery_countdown_ = kLowBatterySeconds;
  if (warning_shown && !view_.IsPrinting()) view_.Repaint();
}

void ReceiverMessageHandler::OnBatteryTick() {
  // Once past zero the quit is on its way; ask for it only once.
  if (!receiver_low_battery_ || low_battery_countdown_ < 0) return;
  // The countdown is never reset: a Receiver that keeps reporting low battery ends the program.
  --low_battery_countdown_;
  if (low_battery_countdown_ < 0) {
    view_.Quit(kLowBatteryExitCode);
  } else if (!view_.IsPrinting()) {
    // The warning counts down on screen even while no sweep arrives to repaint it.
    view_.Repaint();
  }
}

}  // namespace qv
