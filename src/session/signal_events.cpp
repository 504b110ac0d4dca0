#include "session/signal_events.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv {
namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int signal_number) {
  const int saved = errno;
  const auto byte = static_cast<char>(signal_number);
  [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

SignalEvents::SignalEvents(std::initializer_list<int> signals_caught, QObject* parent)
    : QObject(parent) {
  if (g_pipe[0] < 0 &&
      ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
    return;
  }
  notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &SignalEvents::Drain);
  struct sigaction action {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal_number : signals_caught) sigaction(signal_number, &action, nullptr);
}

SignalEvents::~SignalEvents() = default;

void SignalEvents::Drain() {
  char bytes[64];
  ssize_t got = 0;
  while ((got = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < got; ++i) emit Received(static_cast<unsigned char>(bytes[i]));
  }
}

}  // namespace qv
