#pragma once

#include <QDialog>
#include <QHostAddress>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/app/alerts.h"
#include "core/app/connection_ops.h"
#include "core/app/receiver_state.h"
#include "core/app/remembered_settings.h"
#include "core/app/reconnect.h"
#include "core/app/timer.h"
#include "core/link/handshake.h"
#include "core/link/serial_ports.h"

class QDialogButtonBox;
class QTabWidget;

namespace qv {

class CDisplay;
class InstrumentSession;
class CClientSocket;
class CGrindlewhist;
class CMonitorSerialPort;
class CPPDHCP;
class CPPInternet;
class CPPSerialPort;
class CPPStaticIP;
class CPPUSB;
class CUDPSocket;
class FtdiDriver;

// The connection set-up sheet. It owns every link its pages open, over the session's receiver
// state and operations: created once by the main view and shown again for each connection, so
// pages keep their entries. Only the page that is active when the user presses OK opens its link.
class CConnectionEx : public QDialog, private ReconnectHost {
  Q_OBJECT

 public:
  // With the converter driver of the machine (libftdi1), owned by the sheet.
  CConnectionEx(TimerFactory& timers, Alerts& alerts, CDisplay& display,
                InstrumentSession& session, QWidget* parent = nullptr);
  // With a driver of the caller's (a fake one in tests and the demo); it must outlive the sheet.
  CConnectionEx(TimerFactory& timers, Alerts& alerts, CDisplay& display,
                InstrumentSession& session, FtdiDriver& usb_driver, QWidget* parent = nullptr);
  ~CConnectionEx() override;

  ReceiverState& State() { return state_; }
  CConnectionOps& Ops() { return ops_; }

  // Shows the sheet modally; on OK the pages' connect steps are queued. True on OK.
  bool ShowSheet();
  // The same without waiting: the sheet shows with the serial page active and OK or Cancel
  // act as with ShowSheet.
  void Present();

  // The command line's way in: connect as the matching page would, without the sheet.
  void ConnectTcp(const QString& host, quint16 port);
  void ConnectSerial(const QString& device_path);
  void ConnectUsb(const QString& serial_number);

  // The serial page's state, for the device-change messages.
  bool SerialPageVisible() const;
  void SetSerialPageStatus(const QString& text);

  // Makes the link of this index the one in use: its messages reach the graph, its loss is
  // reported, and commands go to it first. OK and the command-line connects call it; looking at
  // the pages does not.
  void SelectInterface(int interface_index);

  // The link remembered from the last run: from now on the sheet opens on that page (later on
  // the page of the link opened last) with its address, device or port filled in.
  void SetPreselection(const RememberedLink& link);
  // The link that opened last (or the preselection while none has); interface -1: none.
  const RememberedLink& LastLink() const { return last_link_; }
  // Opening a lost link again, the same interface with the same address, port or device:
  // "Reconnect" at once, or by itself with the option on. Its state and text are Reconnect()'s.
  const Reconnector& Reconnect() const { return reconnect_; }
  bool ReconnectNow() { return reconnect_.ReconnectNow(); }
  void SetReconnectAutomatically(bool on) { reconnect_.SetAutomatic(on); }
  // The user gives up waiting for the lost link.
  void StopReconnecting() { reconnect_.Stop(); }
  // The connection is complete, a retry's included.
  void OnHandshakeCompleted() { reconnect_.HandshakeCompleted(); }
  // A serial device appeared: it may be the one a lost link waits for.
  void OnDeviceArrived(const QString& device_path);

  // The address text of a network page (typed, picked or set), for the status bar.
  QString AddressText(int interface_index) const;

  // Where the network pages connect (the Receiver's port unless changed) and where the DHCP
  // page sends its query (the local broadcast address unless changed); a harness points them
  // at a simulated Receiver on a loopback address.
  void SetReceiverPort(quint16 port) { receiver_port_ = port; }
  void SetDiscoveryTarget(const QHostAddress& address, quint16 port);
  // How the serial page finds ports (the machine's own unless changed).
  void SetPortEnumerator(std::function<std::vector<SSerInfo>()> enumerate);

  // The pages and the links, for the main view's status texts and for tests.
  QTabWidget* Tabs() const { return tabs_; }
  QDialogButtonBox* Buttons() const { return buttons_; }
  CPPSerialPort* SerialPage() const { return serial_page_; }
  CPPUSB* UsbPage() const { return usb_page_; }
  CPPInternet* InternetPage() const { return internet_page_; }
  CPPDHCP* DhcpPage() const { return dhcp_page_; }
  CPPStaticIP* StaticIpPage() const { return static_ip_page_; }
  CGrindlewhist& UsbLink() { return *usb_; }
  CClientSocket& Socket(int interface_index);

  void accept() override;
  void done(int result) override;

 signals:
  // The active page opened its link and the identity requests are on their way.
  void LinkOpened();
  // The link in use went away by itself (peer closed, device unplugged).
  void LinkLost();
  // The reconnect state or its text changed.
  void ReconnectStateChanged();

 private:
  CConnectionEx(TimerFactory& timers, Alerts& alerts, CDisplay& display,
                InstrumentSession& session, std::unique_ptr<FtdiDriver> owned_driver,
                FtdiDriver* usb_driver, QWidget* parent);

  void BuildPages();
  void BeginShowing();
  // Centred on the main window, inside its screen.
  void PlaceOnParent();
  void OnPageChanged(int index);
  void ActivatePage(int index);
  void DeactivatePage(int index);
  void FindCfCard();
  void RefreshUsb();
  void StartDiscovery();
  void SetStaticAddress();
  void QueueConnectSteps();
  OpenLinkFn PageOpener(int index);
  void ConnectWithoutSheet(int interface_index, OpenLinkFn open_link);
  void OnLinkLost(int interface_index);
  void Reopen(const LinkTarget& target) override;
  void ReconnectChanged() override { emit ReconnectStateChanged(); }

  void OpenSerial(const QString& device_path, std::function<void(bool)> done);
  void OpenUsb(const QString& serial_number, std::function<void(bool)> done);
  void OpenSocket(int interface_index, const QString& host, quint16 port,
                  std::function<void(bool)> done);
  // The serial and USB opens are answered from their workers; this bounds the wait: the
  // returned callback hands its outcome to done, or done gets false after timeout_ms.
  std::function<void(bool)> AnswerWithin(int timeout_ms, std::function<void(bool)> done);
  void AnswerOpen(uint64_t attempt, bool opened);

  bool InUse(int interface_index) const;
  // Whether the sheet should pick this address or device on the page of this interface.
  bool Preselected(int interface_index, const QString& address) const;
  void NoteOpening(int interface_index, const QString& address, quint16 port);
  void Route(int interface_index, const QByteArray& message);
  // The link is open: connected, then the identity requests.
  void QueueOpened();

  TimerFactory& timers_;
  Alerts& alerts_;
  CDisplay& display_;
  // The session's: the sheet opens the links its pages offer and hands their messages on.
  HandshakeSequencer& sequencer_;
  ReceiverState& state_;
  CConnectionOps& ops_;

  std::unique_ptr<FtdiDriver> owned_driver_;  // only when none was handed in
  FtdiDriver& usb_driver_;
  std::unique_ptr<CGrindlewhist> usb_;
  std::unique_ptr<Timer> usb_settle_timer_;                // the pause after a USB device opens
  std::unique_ptr<Timer> open_timer_;                      // bounds a serial or USB open
  std::function<void(bool)> open_done_;                    // the open waiting for its answer
  uint64_t open_attempt_ = 0;
  std::unique_ptr<CMonitorSerialPort> serial_;             // replaced at each serial connection
  std::array<std::unique_ptr<CClientSocket>, 3> sockets_;  // Internet, DHCP, Static IP
  std::unique_ptr<CUDPSocket> discovery_;                  // a new one at each DHCP activation
  std::array<QString, kInterfaceCount> addresses_;
  RememberedLink pending_link_;  // the link being opened
  RememberedLink last_link_;
  bool preselect_ = false;
  QString static_address_;  // the address last given with "Set IP address"
  Reconnector reconnect_;

  quint16 receiver_port_;
  std::optional<std::pair<QHostAddress, quint16>> discovery_target_;
  std::function<std::vector<SSerInfo>()> enumerate_ports_;

  // Pages whose windows exist in this showing; only they take part in OK.
  std::array<bool, kInterfaceCount> created_{};
  int active_page_ = -1;
  bool showing_ = false;
  bool sized_ = false;

  QTabWidget* tabs_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
  CPPSerialPort* serial_page_ = nullptr;
  CPPUSB* usb_page_ = nullptr;
  CPPInternet* internet_page_ = nullptr;
  CPPDHCP* dhcp_page_ = nullptr;
  CPPStaticIP* static_ip_page_ = nullptr;
};

}  // namespace qv
