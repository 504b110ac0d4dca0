#include "service_notify.h"

#include <systemd/sd-daemon.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace qv::recorder {

ServiceNotify::ServiceNotify() {
  const char* socket = std::getenv("NOTIFY_SOCKET");
  active_ = socket != nullptr && socket[0] != '\0';
  uint64_t usec = 0;
  // 0 keeps WATCHDOG_USEC in the environment; it names this process's pid, so children that
  // inherit it are not fooled.
  if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
    watchdog_interval_ms_ = static_cast<int>(std::clamp<uint64_t>(usec / 2000, 1, INT32_MAX));
  }
}

void ServiceNotify::Ready() { Send("READY=1"); }

void ServiceNotify::Watchdog() {
  if (watchdog_interval_ms_ > 0) Send("WATCHDOG=1");
}

void ServiceNotify::Stopping() { Send("STOPPING=1"); }

void ServiceNotify::Reloading() {
  // Newer systemd wants the time the reload began with it; older versions ignore it.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t usec =
      static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
  Send("RELOADING=1\nMONOTONIC_USEC=" + std::to_string(usec));
}

void ServiceNotify::Status(const std::string& text) {
  std::string line = text;
  // A line break would end the assignment and start another.
  std::replace(line.begin(), line.end(), '\n', ' ');
  Send("STATUS=" + line);
}

void ServiceNotify::Send(const std::string& message) const {
  if (!active_) return;
  sd_notify(0, message.c_str());
}

}  // namespace qv::recorder
