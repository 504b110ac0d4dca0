#pragma once

#include <QByteArray>
#include <QObject>
#include <vector>

#include "link/usb/grindlewhist.h"

namespace qv::test {

// Collects the link's messages on the GUI thread, where the program's receiver lives.
class UsbMessageSink {
 public:
  explicit UsbMessageSink(CGrindlewhist& link) {
    QObject::connect(&link, &CGrindlewhist::MessageReceived, &context_,
                     [this](const QByteArray& message) { messages.push_back(message); });
  }

  std::vector<QByteArray> messages;

 private:
  QObject context_;
};

inline const uint8_t* Data(const QByteArray& bytes) {
  return reinterpret_cast<const uint8_t*>(bytes.constData());
}

inline std::vector<uint8_t> ToVector(const QByteArray& bytes) {
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace qv::test
