#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/app/remembered_settings.h"
#include "core/app/timer.h"

namespace qv {

// Where a link was opened, so that it can be opened again the same way.
using LinkTarget = RememberedLink;

bool IsNetworkTarget(const LinkTarget& target);

// Whether a serial device that just appeared is the one a lost link used: the path it was
// opened with, or where that path points now (a /dev/serial/by-id link made afresh).
// `lost_path_now` is the lost path with its links resolved at arrival, empty if it dangles.
bool IsSameDevice(const std::string& lost_path, const std::string& lost_path_now,
                  const std::string& arrived_path);

// What the reconnect logic asks of the program.
class ReconnectHost {
 public:
  virtual ~ReconnectHost() = default;
  // Opens the target again and runs the handshake. The outcome comes back through
  // Reconnector::HandshakeCompleted, AttemptFailed or LinkClosed.
  virtual void Reopen(const LinkTarget& target) = 0;
  // The state or its text changed; whatever shows it follows.
  virtual void ReconnectChanged() = 0;
};

// Decides when a lost link is opened again. A network or USB link is retried with back-off (1,
// 2, 4 ... up to 30 s between the end of one attempt and the next: nothing reports a USB
// converter coming back); a serial device is reopened when it comes back. Retries run only with
// the automatic option on; "Reconnect" tries at once either way. A connection the user makes himself, or a link he closes, ends it.
class Reconnector {
 public:
  enum class State {
    kIdle,              // connected, or nothing to come back to
    kLost,              // lost; waits for the user's "Reconnect"
    kWaitingToRetry,    // network or USB: the back-off timer runs
    kWaitingForDevice,  // serial: waits for the device to come back
    kAttempting,        // reopening and handshaking
  };
  static constexpr int kFirstRetryMs = 1000;
  static constexpr int kLongestRetryMs = 30000;

  Reconnector(TimerFactory& timers, ReconnectHost& host);
  Reconnector(const Reconnector&) = delete;
  Reconnector& operator=(const Reconnector&) = delete;

  // Turning it on while lost starts waiting at once; off leaves the offer to the user.
  void SetAutomatic(bool on);
  // A program nobody watches waits longer between attempts and retries a serial device on a
  // timer too, since nothing may tell it the device came back.
  void SetUnattended(int longest_retry_ms);
  // Opens `target` now and goes on trying, as after a loss, until it opens.
  void Begin(const LinkTarget& target);
  bool Automatic() const { return automatic_; }

  // A link was opened: the one to come back to. While attempting it is the same one.
  void LinkOpened(const LinkTarget& target);
  // The handshake finished: connected again, the back-off starts afresh.
  void HandshakeCompleted();
  // The link in use went away by itself.
  void LinkLost();
  // The link was closed by the program: during an attempt that attempt failed (the handshake
  // time-out); otherwise the user closed it (playback, review), which ends any waiting.
  void LinkClosed();
  // The attempt's link could not be opened.
  void AttemptFailed();
  // The user chose a connection of his own.
  void Stop();
  // The user's "Reconnect": try now. False when there is nothing to reconnect to.
  bool ReconnectNow();
  // A serial device appeared (see IsSameDevice for the two paths).
  void DeviceArrived(const std::string& arrived_path, const std::string& lost_path_now);

  State GetState() const { return state_; }
  const LinkTarget& Target() const { return target_; }
  // Whether "Reconnect" has something to do.
  bool CanReconnect() const;
  // The wait before the next timed retry.
  int RetryDelayMs() const { return delay_ms_; }
  // One sentence for the status bar and the link-lost bar; empty while nothing is lost.
  std::string Text() const;

 private:
  void Attempt();
  // Lost and not attempting: wait as the option and the link's kind say.
  void Wait();
  void SetState(State state);

  ReconnectHost& host_;
  std::unique_ptr<Timer> retry_timer_;
  LinkTarget target_;
  State state_ = State::kIdle;
  bool automatic_ = false;
  int delay_ms_ = kFirstRetryMs;
  int longest_ms_ = kLongestRetryMs;
  bool timed_serial_ = false;
  bool never_opened_ = false;  // since Begin
  int attempts_ = 0;  // since the loss
};

}  // namespace qv
