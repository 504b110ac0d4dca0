#pragma once

#include <QByteArray>
#include <QObject>
#include <atomic>

#include "core/link/receiver_link.h"
#include "link/usb/usb_link.h"

namespace qv {

// The USB link as the program uses it: every message the worker de-frames is handed to the
// GUI thread as one queued MessageReceived signal.
class CGrindlewhist : public QObject, public CUSB, public ReceiverLink {
  Q_OBJECT

 public:
  explicit CGrindlewhist(FtdiDriver& driver, QObject* parent = nullptr);
  ~CGrindlewhist() override;

  bool Send(const uint8_t* command, size_t length) override { return CUSB::Send(command, length); }
  void Close() override { CUSB::Close(); }

 signals:
  // One de-framed message, type byte first, emitted on this object's (the GUI) thread. Nothing
  // of a session arrives after Close or a new Open.
  void MessageReceived(const QByteArray& message);

 protected:
  void OnMessage(const uint8_t* data, size_t length) override;
  void OnSessionChange() override { ++session_; }

 private:
  std::atomic<uint64_t> session_{0};
};

}  // namespace qv
