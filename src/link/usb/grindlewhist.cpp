#include "link/usb/grindlewhist.h"

namespace qv {

CGrindlewhist::CGrindlewhist(FtdiDriver& driver, QObject* parent) : QObject(parent), CUSB(driver) {}

CGrindlewhist::~CGrindlewhist() {
  // The worker calls OnMessage, so it must end while this part of the object still exists.
  EndWorker();
}

void CGrindlewhist::OnMessage(const uint8_t* data, size_t length) {
  // Runs on the worker; the hand-over checks the session on the GUI thread, where Close runs.
  const uint64_t session = session_.load();
  QByteArray message(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
  QMetaObject::invokeMethod(
      this,
      [this, session, message] {
        if (session == session_.load()) emit MessageReceived(message);
      },
      Qt::QueuedConnection);
}

}  // namespace qv
