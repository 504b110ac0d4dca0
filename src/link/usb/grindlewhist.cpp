#include "link/usb/grindlewhist.h"

namespace qv {

CGrindlewhist::CGrindlewhist(FtdiDriver& driver, QObject* parent) : QObject(parent), CUSB(driver) {}

CGrindlewhist::~CGrindlewhist() {
  // The worker calls OnMessage, so it must end while this part of the object still exists.
  EndWorker();
}

void CGrindlewhist::OnMessage(const uint8_t* data, size_t length) {
  emit MessageReceived(
      QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length)));
}

}  // namespace qv
