#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

#include "core/app/alerts.h"
#include "core/app/connection_ops.h"
#include "core/app/receiver_state.h"
#include "core/app/timer.h"
#include "core/link/handshake.h"

class QTabWidget;

namespace qv {

class CDisplay;
class CClientSocket;
class CMonitorSerialPort;

// The connection set-up sheet. It is also the owner of the receiver state and of every link:
// created once by the main view and shown again for each connection, so pages keep their
// entries. Only the page that is active when the user presses OK opens its link.
class CConnectionEx : public QDialog {
  Q_OBJECT

 public:
  CConnectionEx(TimerFactory& timers, Alerts& alerts, CDisplay& display,
                HandshakeSequencer& sequencer, QWidget* parent = nullptr);
  ~CConnectionEx() override;

  ReceiverState& State() { return state_; }
  CConnectionOps& Ops() { return ops_; }

  // Shows the sheet modally; on OK the pages' connect steps are queued. True on OK.
  bool ShowSheet();

  // The command line's way in: connect as the matching page would, without the sheet.
  void ConnectTcp(const QString& host, quint16 port);
  void ConnectSerial(const QString& device_path);
  void ConnectUsb(const QString& serial_number);

  // The serial page's state, for the device-change messages.
  bool SerialPageVisible() const;
  void SetSerialPageStatus(const QString& text);

  // Makes the link of this index the one in use and routes its messages to the graph.
  void SelectInterface(int interface_index);

  // The address text of a network page (typed, picked or set), for the status bar.
  QString AddressText(int interface_index) const;

 signals:
  // The active page opened its link and the identity requests are on their way.
  void LinkOpened();
  // The link in use went away by itself (peer closed, device unplugged).
  void LinkLost();

 private:
  void Route(int interface_index, const QByteArray& message);
  void QueueOpened(int interface_index);

  TimerFactory& timers_;
  Alerts& alerts_;
  CDisplay& display_;
  HandshakeSequencer& sequencer_;
  ReceiverState state_;
  CConnectionOps ops_;
  int routed_index_ = -1;

  std::unique_ptr<CMonitorSerialPort> serial_;             // replaced at each serial connection
  std::array<std::unique_ptr<CClientSocket>, 3> sockets_;  // Internet, DHCP, Static IP
  std::array<QString, kInterfaceCount> addresses_;
  QTabWidget* tabs_ = nullptr;
};

}  // namespace qv
