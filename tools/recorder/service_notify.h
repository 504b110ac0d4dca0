#pragma once

#include <string>

namespace qv::recorder {

// Tells systemd how the service is (sd_notify): ready, alive, stopping, reloading, and a status
// line for systemctl status. Outside a Type=notify service every call does nothing, so the
// program runs the same from a shell. Calls may come from any thread of the main process, but
// Watchdog() belongs on the thread whose hang should get the service restarted.
class ServiceNotify {
 public:
  ServiceNotify();

  // NOTIFY_SOCKET is set: systemd listens.
  bool Active() const { return active_; }
  // How often to call Watchdog(): half of systemd's WatchdogSec= for this process, or 0 when no
  // watchdog is asked for.
  int WatchdogIntervalMs() const { return watchdog_interval_ms_; }

  // Once started, before waiting for the Receiver: systemd's start job waits for this alone.
  void Ready();
  void Watchdog();
  void Stopping();
  // A reload (SIGHUP) has begun; Ready() again when it is done, or the unit stays reloading.
  void Reloading();
  // One line; line breaks become spaces.
  void Status(const std::string& text);

 private:
  void Send(const std::string& message) const;

  bool active_ = false;
  int watchdog_interval_ms_ = 0;
};

}  // namespace qv::recorder
