#include "core/app/reconnect.h"

#include <algorithm>

#include "core/app/receiver_state.h"

namespace qv {
namespace {

std::string Describe(const LinkTarget& target) {
  if (IsNetworkTarget(target)) return target.address + " port " + std::to_string(target.port);
  if (target.interface_index == kUsbInterface) return "USB device " + target.address;
  return target.address;
}

}  // namespace

bool IsNetworkTarget(const LinkTarget& target) {
  return target.interface_index >= kInternetInterface &&
         target.interface_index < kInterfaceCount;
}

bool IsSameDevice(const std::string& lost_path, const std::string& lost_path_now,
                  const std::string& arrived_path) {
  if (arrived_path.empty()) return false;
  return arrived_path == lost_path || arrived_path == lost_path_now;
}

Reconnector::Reconnector(TimerFactory& timers, ReconnectHost& host)
    : host_(host), retry_timer_(timers.CreateTimer()) {
  retry_timer_->SetCallback([this] {
    if (state_ == State::kWaitingToRetry) Attempt();
  });
}

void Reconnector::SetAutomatic(bool on) {
  if (automatic_ == on) return;
  automatic_ = on;
  if (state_ == State::kLost || state_ == State::kWaitingToRetry ||
      state_ == State::kWaitingForDevice) {
    Wait();
  }
}

void Reconnector::SetUnattended(int longest_retry_ms) {
  longest_ms_ = std::max(longest_retry_ms, kFirstRetryMs);
  timed_serial_ = true;
  automatic_ = true;
}

void Reconnector::Begin(const LinkTarget& target) {
  retry_timer_->Stop();
  target_ = target;
  delay_ms_ = kFirstRetryMs;
  attempts_ = 0;
  never_opened_ = true;
  Attempt();
}

void Reconnector::LinkOpened(const LinkTarget& target) {
  never_opened_ = false;
  if (state_ == State::kAttempting) return;
  retry_timer_->Stop();
  target_ = target;
  SetState(State::kIdle);
}

void Reconnector::HandshakeCompleted() {
  // Connected again: as if nothing had been lost.
  Stop();
}

void Reconnector::LinkLost() {
  // During an attempt the close that follows the loss already counted it as failed; while
  // waiting there is no link to lose.
  if (state_ != State::kIdle || target_.interface_index < 0) return;
  delay_ms_ = kFirstRetryMs;
  attempts_ = 0;
  Wait();
}

void Reconnector::LinkClosed() {
  switch (state_) {
    case State::kAttempting:
      AttemptFailed();
      break;
    case State::kLost:
    case State::kWaitingToRetry:
    case State::kWaitingForDevice:
      Stop();
      break;
    case State::kIdle:
      break;
  }
}

void Reconnector::AttemptFailed() {
  if (state_ != State::kAttempting) return;
  delay_ms_ = std::min(delay_ms_ * 2, longest_ms_);
  Wait();
}

void Reconnector::Stop() {
  retry_timer_->Stop();
  delay_ms_ = kFirstRetryMs;
  attempts_ = 0;
  SetState(State::kIdle);
}

bool Reconnector::ReconnectNow() {
  if (!CanReconnect()) return false;
  Attempt();
  return true;
}

bool Reconnector::CanReconnect() const {
  return target_.interface_index >= 0 && state_ != State::kIdle && state_ != State::kAttempting;
}

void Reconnector::DeviceArrived(const std::string& arrived_path,
                                const std::string& lost_path_now) {
  if (state_ != State::kWaitingForDevice || target_.interface_index != kSerialInterface) return;
  if (IsSameDevice(target_.address, lost_path_now, arrived_path)) Attempt();
}

std::string Reconnector::Text() const {
  if (state_ == State::kIdle) return std::string();
  // Begun and never opened: nothing was lost yet.
  if (never_opened_) {
    const std::string where = "the Receiver (" + Describe(target_) + ")";
    if (state_ == State::kAttempting) return "Connecting to " + where + "...";
    return "Could not connect to " + where + "." +
           (state_ == State::kWaitingToRetry
                ? " Trying again in " + std::to_string(delay_ms_ / 1000) + " s."
                : std::string());
  }
  std::string text = "Connection to the Receiver lost (" + Describe(target_) + ").";
  switch (state_) {
    case State::kLost:
      return text + (attempts_ > 0 ? " Reconnecting failed; press Reconnect to try again."
                                   : " Press Reconnect to open it again.");
    case State::kWaitingToRetry:
      return text + " Trying again in " + std::to_string(delay_ms_ / 1000) + " s.";
    case State::kWaitingForDevice:
      return text + " Waiting for the device to come back.";
    default:
      return text + " Reconnecting...";
  }
}

void Reconnector::Attempt() {
  retry_timer_->Stop();
  ++attempts_;
  SetState(State::kAttempting);
  host_.Reopen(target_);
}

void Reconnector::Wait() {
  retry_timer_->Stop();
  if (!automatic_) {
    SetState(State::kLost);
  } else if (IsNetworkTarget(target_) || target_.interface_index == kUsbInterface ||
             timed_serial_) {
    retry_timer_->Start(delay_ms_, /*single_shot=*/true);
    SetState(State::kWaitingToRetry);
  } else {
    SetState(State::kWaitingForDevice);
  }
}

void Reconnector::SetState(State state) {
  state_ = state;
  host_.ReconnectChanged();
}

}  // namespace qv
