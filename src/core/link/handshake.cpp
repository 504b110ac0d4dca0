#include "core/link/handshake.h"

#include <iterator>
#include <utility>

#include "core/app/connection_ops.h"
#include "core/app/receiver_state.h"
#include "core/link/command.h"

namespace qv {

std::string ProgressText(int code) {
  switch (code) {
    case kProgressSerialEstablished:
      return "Serial Port connection Established\n Waiting for Receiver Parameters...";
    case kProgressUsbEstablished:
      return "USB Connection Established\n Waiting for Receiver Parameters...";
    case kProgressInternetEstablished:
    case kProgressDhcpEstablished:
    case kProgressStaticIpEstablished:
      return "TCP/IP Connection Established\n Waiting for Receiver Parameters...";
    case kProgressFirmwareObtained:
      return "Firmware Version obtained\n Obtaining Receiver Band Info...";
    case kProgressSettingDefault:
      return "Setting the Quorvalin to display\n the default Spectrum (2400MHz - 2450 MHz)";
    case kProgressAttempting:
      return "Attempting Connection....\nWaiting for Response";
    case kProgressBandInfoObtained:
      return "Band Info Obtained...";
    case kProgressCheckConnection:
      return "Please Check the CF Card Connection and the \n Power Supply to the Quorvalin "
             "Receiver.\n Try Again after verification";
    default:
      return "";
  }
}

int EstablishedCode(int interface_index) {
  switch (interface_index) {
    case kSerialInterface:
      return kProgressSerialEstablished;
    case kUsbInterface:
      return kProgressUsbEstablished;
    case kInternetInterface:
      return kProgressInternetEstablished;
    case kDhcpInterface:
      return kProgressDhcpEstablished;
    default:
      return kProgressStaticIpEstablished;
  }
}

HandshakeSequencer::HandshakeSequencer(TimerFactory& timers, ProgressView& view,
                                       std::function<void()> closing_actions)
    : view_(view),
      closing_actions_(std::move(closing_actions)),
      hold_timer_(timers.CreateTimer()),
      hide_timer_(timers.CreateTimer()) {
  hold_timer_->SetCallback([this] { OnHoldEnded(); });
  hide_timer_->SetCallback([this] { view_.HideProgress(); });
}

HandshakeSequencer::~HandshakeSequencer() = default;

void HandshakeSequencer::Progress(int code) {
  Push(Step{Step::kText, code, {}, {}});
}

void HandshakeSequencer::Wait(int ms) {
  Push(Step{Step::kWait, ms, {}, {}});
}

void HandshakeSequencer::Then(std::function<void()> action) {
  Push(Step{Step::kAction, 0, std::move(action), {}});
}

void HandshakeSequencer::ThenAsync(std::function<void(std::function<void()>)> action) {
  Push(Step{Step::kAsync, 0, {}, std::move(action)});
}

void HandshakeSequencer::Cancel() {
  steps_.clear();
  inserted_.clear();
  hold_timer_->Stop();
  running_ = false;
  ++generation_;
}

void HandshakeSequencer::FirmwareStep() {
  Progress(kProgressFirmwareObtained);
}

void HandshakeSequencer::BandStep() {
  Progress(kProgressBandInfoObtained);
}

void HandshakeSequencer::ClosingSteps() {
  Progress(kProgressSettingDefault);
  Progress(kProgressClear);
  Then([this] {
    if (closing_actions_) closing_actions_();
  });
}

void HandshakeSequencer::TimeOutStep() {
  Progress(kProgressCheckConnection);
}

void HandshakeSequencer::Push(Step step) {
  if (in_action_) {
    // Steps an action queues belong where the action stood, ahead of anything queued later.
    inserted_.push_back(std::move(step));
    return;
  }
  steps_.push_back(std::move(step));
  RunNext();
}

void HandshakeSequencer::RunNext() {
  if (in_loop_) return;  // the outer loop picks up whatever was just made ready
  in_loop_ = true;
  while (!running_ && !steps_.empty()) {
    Step step = std::move(steps_.front());
    steps_.pop_front();
    switch (step.kind) {
      case Step::kText:
        ShowText(step.value);
        running_ = true;
        hold_timer_->Start(
            step.value == kProgressSettingDefault || step.value == kProgressCheckConnection
                ? kCallerWaitMs
                : kTextHoldMs,
            /*single_shot=*/true);
        break;
      case Step::kWait:
        running_ = true;
        hold_timer_->Start(step.value, /*single_shot=*/true);
        break;
      case Step::kAction: {
        in_action_ = true;
        const uint64_t generation = generation_;
        if (step.action) step.action();
        in_action_ = false;
        if (generation == generation_) {
          steps_.insert(steps_.begin(), std::make_move_iterator(inserted_.begin()),
                        std::make_move_iterator(inserted_.end()));
        }
        inserted_.clear();
        break;
      }
      case Step::kAsync: {
        running_ = true;
        const uint64_t generation = generation_;
        auto resumed = std::make_shared<bool>(false);
        step.async_action([this, generation, resumed] {
          if (*resumed || generation != generation_) return;
          *resumed = true;
          running_ = false;
          RunNext();
        });
        break;
      }
    }
  }
  in_loop_ = false;
}

void HandshakeSequencer::ShowText(int code) {
  // A new text replaces whatever was showing, and with it any pending hide.
  hide_timer_->Stop();
  view_.SetProgressText(code == kProgressSettingDefault && closing_text_ ? closing_text_()
                                                                          : ProgressText(code));
  if (code == kProgressClear) {
    view_.HideProgress();
    return;
  }
  view_.ShowProgress();
  if (code == kProgressSettingDefault) {
    hide_timer_->Start(kTextHoldMs, /*single_shot=*/true);
  } else if (code == kProgressCheckConnection) {
    hide_timer_->Start(kCheckConnectionShowMs, /*single_shot=*/true);
  }
}

void HandshakeSequencer::OnHoldEnded() {
  running_ = false;
  RunNext();
}

void QueueConnectStep(HandshakeSequencer& sequencer, bool is_active_page, int interface_index,
                      OpenLinkFn open_link, std::function<void()> on_opened) {
  sequencer.Progress(kProgressAttempting);
  if (!is_active_page) return;
  auto opened = std::make_shared<bool>(false);
  sequencer.ThenAsync([open_link = std::move(open_link), opened](std::function<void()> resume) {
    open_link([opened, resume](bool ok) {
      *opened = ok;
      resume();
    });
  });
  // What follows depends on the outcome, so it is queued only once the outcome is known.
  sequencer.Then([&sequencer, opened, interface_index, on_opened = std::move(on_opened)] {
    if (!*opened) {
      sequencer.Progress(kProgressCheckConnection);
      return;
    }
    sequencer.Progress(EstablishedCode(interface_index));
    sequencer.Then(on_opened);
  });
}

void QueueIdentityRequests(HandshakeSequencer& sequencer, CConnectionOps& ops,
                           ReceiverMessageHandler& handler) {
  sequencer.Then([&ops] { ops.SendCommand(BuildRequestFirmware()); });
  sequencer.Wait(HandshakeSequencer::kRequestGapMs);
  sequencer.Then([&ops] { ops.SendCommand(BuildRequestBands()); });
  sequencer.Wait(HandshakeSequencer::kRequestGapMs);
  sequencer.Then([&ops, &handler] {
    ops.SendCommand(BuildRequestSerial());
    handler.StartHandshakeTimeout();
  });
}

}  // namespace qv
