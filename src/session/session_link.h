#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "core/app/reconnect.h"
#include "core/app/timer.h"
#include "core/link/receiver_link.h"

namespace qv {

class CClientSocket;
class CGrindlewhist;
class CMonitorSerialPort;
class FtdiDriver;

// The one link of a session without the connection sheet: opened from a target (network,
// serial or USB), its messages and its loss reported. A new Open closes the old link first, and
// every open answers once, at the latest when its time is up.
class SessionLink : public QObject {
  Q_OBJECT

 public:
  using Done = std::function<void(bool opened, const std::string& why)>;
  // A converter needs a moment after opening before it takes commands.
  static constexpr int kUsbSettleMs = 1000;

  // `usb_driver` opens USB converters; null makes the machine's own (libftdi1) on first use.
  SessionLink(TimerFactory& timers, FtdiDriver* usb_driver, QObject* parent = nullptr);
  ~SessionLink() override;

  void Open(const LinkTarget& target, Done done);
  void Close();
  // The open link; null while none.
  ReceiverLink* Link() const { return link_; }
  const LinkTarget& Target() const { return target_; }

 signals:
  void MessageReceived(const QByteArray& message);
  // The open link went away by itself (the peer closed, the device was unplugged).
  void Lost();

 private:
  void OpenSocket(Done done);
  void OpenSerial(Done done);
  void OpenUsb(Done done);
  // Only the first answer of the latest open counts; the time-out answers for a silent one.
  Done AnswerWithin(int timeout_ms, Done done);
  void OnLost(ReceiverLink* from);

  TimerFactory& timers_;
  FtdiDriver* usb_driver_;
  std::unique_ptr<FtdiDriver> own_usb_driver_;
  std::unique_ptr<CClientSocket> socket_;
  std::unique_ptr<CMonitorSerialPort> serial_;
  std::unique_ptr<CGrindlewhist> usb_;
  std::unique_ptr<Timer> open_timer_;
  std::unique_ptr<Timer> settle_timer_;
  ReceiverLink* link_ = nullptr;   // what the session sends through, once opened
  ReceiverLink* opening_ = nullptr;
  QObject* open_context_ = nullptr;  // a socket open's answers
  LinkTarget target_;
  Done pending_;
  uint64_t generation_ = 0;  // bumped by every Open and Close
};

}  // namespace qv
