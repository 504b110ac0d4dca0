#include "gui/link/connection_sheet.h"

#include "session/instrument_session.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHostAddress>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/link/network_setup.h"
#include "gui/app/window_place.h"
#include "gui/display/display.h"
#include "gui/link/ip_address_edit.h"
#include "gui/link/pp_dhcp.h"
#include "gui/link/pp_internet.h"
#include "gui/link/pp_serial_port.h"
#include "gui/link/pp_static_ip.h"
#include "gui/link/pp_usb.h"
#include "link/app/console_messages.h"
#include "link/network/client_socket.h"
#include "link/network/netlink_setup_host.h"
#include "link/network/udp_socket.h"
#include "link/serial/serial_enumeration.h"
#include "link/serial/serial_port.h"
#include "link/usb/grindlewhist.h"
#include "link/usb/lib_ftdi_driver.h"

namespace qv {
namespace {

constexpr int kFirstSocketIndex = kInternetInterface;
// The trace's name of each interface, by index.
constexpr const char* kTraceNames[kInterfaceCount] = {"serial", "usb", "internet", "dhcp",
                                                      "static-ip"};
// The Receiver needs a moment after its converter opens before it takes commands.
constexpr int kUsbSettleMs = 1000;
const char kTriskadeon[] = "TRISKADEON";
const char kNoAddressText[] =
    "No IP address to connect to: enter all four numbers of the address (or pick a module in "
    "the DHCP list) and try again";
const char kNoAddressCaption[] = "Invalid IP Address Alert !";

// An address left empty or incomplete gives no host at all; 0.0.0.0 (or ::) would reach a
// service on this machine, never a Receiver.
bool IsReceiverHost(const QString& host) {
  const QString trimmed = host.trimmed();
  const QHostAddress address(trimmed);
  return !trimmed.isEmpty() && address != QHostAddress(QHostAddress::AnyIPv4) &&
         address != QHostAddress(QHostAddress::AnyIPv6);
}

}  // namespace

CConnectionEx::CConnectionEx(TimerFactory& timers, Alerts& alerts, CDisplay& display,
                             InstrumentSession& session, QWidget* parent)
    : CConnectionEx(timers, alerts, display, session, std::make_unique<LibFtdiDriver>(), nullptr,
                    parent) {}

CConnectionEx::CConnectionEx(TimerFactory& timers, Alerts& alerts, CDisplay& display,
                             InstrumentSession& session, FtdiDriver& usb_driver, QWidget* parent)
    : CConnectionEx(timers, alerts, display, session, nullptr, &usb_driver, parent) {}

CConnectionEx::CConnectionEx(TimerFactory& timers, Alerts& alerts, CDisplay& display,
                             InstrumentSession& session,
                             std::unique_ptr<FtdiDriver> owned_driver, FtdiDriver* usb_driver,
                             QWidget* parent)
    : QDialog(parent),
      timers_(timers),
      alerts_(alerts),
      display_(display),
      sequencer_(session.Sequencer()),
      state_(session.State()),
      ops_(session.Ops()),
      owned_driver_(std::move(owned_driver)),
      usb_driver_(usb_driver != nullptr ? *usb_driver : *owned_driver_),
      usb_(std::make_unique<CGrindlewhist>(usb_driver_)),
      usb_settle_timer_(timers.CreateTimer()),
      open_timer_(timers.CreateTimer()),
      reconnect_(timers, *this),
      receiver_port_(kReceiverTcpPort),
      enumerate_ports_(&EnumerateSerialPorts) {
  setWindowTitle(QStringLiteral("Set up Connection"));
  open_timer_->SetCallback([this] { AnswerOpen(open_attempt_, false); });
  // Added before the view's listener: a loss is closed by the view before it is reported here.
  ops_.AddLinkClosedListener([this] { reconnect_.LinkClosed(); });

  ops_.SetLink(kUsbInterface, usb_.get());
  // Emitted on the USB worker; arrives here queued.
  connect(usb_.get(), &CGrindlewhist::MessageReceived, this,
          [this](const QByteArray& message) { Route(kUsbInterface, message); });
  connect(usb_.get(), &CGrindlewhist::DeviceLost, this, [this] { OnLinkLost(kUsbInterface); });

  for (int i = 0; i < 3; ++i) {
    const int index = kFirstSocketIndex + i;
    sockets_[i] = std::make_unique<CClientSocket>(timers_);
    ops_.SetLink(index, sockets_[i].get());
    connect(sockets_[i].get(), &CClientSocket::MessageReceived, this,
            [this, index](const QByteArray& message) { Route(index, message); });
    connect(sockets_[i].get(), &CClientSocket::Disconnected, this,
            [this, index] { OnLinkLost(index); });
  }
  BuildPages();
}

CConnectionEx::~CConnectionEx() {
  // The links go before the operations that point at them.
  for (int i = 0; i < kInterfaceCount; ++i) ops_.SetLink(i, nullptr);
  usb_settle_timer_->Stop();
  open_timer_->Stop();
  // The program's end must not wait on a driver call that never returns.
  CGrindlewhist::EndOrLeave(std::move(usb_), std::move(owned_driver_));
}

void CConnectionEx::BuildPages() {
  tabs_ = new QTabWidget(this);
  serial_page_ = new CPPSerialPort(tabs_);
  usb_page_ = new CPPUSB(tabs_);
  internet_page_ = new CPPInternet(tabs_);
  dhcp_page_ = new CPPDHCP(tabs_);
  static_ip_page_ = new CPPStaticIP(tabs_);
  // Tab order is the interface index.
  tabs_->addTab(serial_page_, QStringLiteral("Serial Port/CF Card"));
  tabs_->addTab(usb_page_, QStringLiteral("USB "));
  tabs_->addTab(internet_page_, QStringLiteral("Internet"));
  tabs_->addTab(dhcp_page_, QStringLiteral("DHCP"));
  tabs_->addTab(static_ip_page_, QStringLiteral("Static IP Address"));
  connect(tabs_, &QTabWidget::currentChanged, this, &CConnectionEx::OnPageChanged);

  connect(serial_page_, &CPPSerialPort::FindRequested, this, &CConnectionEx::FindCfCard);
  connect(usb_page_, &CPPUSB::RefreshRequested, this, &CConnectionEx::RefreshUsb);
  connect(static_ip_page_, &CPPStaticIP::SetAddressRequested, this,
          &CConnectionEx::SetStaticAddress);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons_);
}

bool CConnectionEx::ShowSheet() {
  BeginShowing();
  return exec() == QDialog::Accepted;
}

void CConnectionEx::Present() {
  BeginShowing();
  show();
}

void CConnectionEx::BeginShowing() {
  created_.fill(false);
  active_page_ = -1;
  {
    // Going back to the first page is not the user leaving the page shown last time: a USB
    // link opened from there must keep its worker.
    const QSignalBlocker blocker(tabs_);
    tabs_->setCurrentIndex(kSerialInterface);
  }
  const int first = preselect_ && last_link_.interface_index >= 0 ? last_link_.interface_index
                                                                   : kSerialInterface;
  if (first != kSerialInterface) {
    const QSignalBlocker blocker(tabs_);
    tabs_->setCurrentIndex(first);
  }
  showing_ = true;
  ActivatePage(first);
  PlaceOnParent();
}

void CConnectionEx::PlaceOnParent() {
  // The size the pages ask for the first time, then whatever size the user leaves it at.
  if (!sized_) {
    adjustSize();
    sized_ = true;
  }
  CentreOnParent(*this);
}

void CConnectionEx::SetPreselection(const RememberedLink& link) {
  preselect_ = true;
  if (link.interface_index < 0 || link.interface_index >= kInterfaceCount) return;
  last_link_ = link;
  const QString address = QString::fromStdString(link.address);
  switch (link.interface_index) {
    case kSerialInterface:
      serial_page_->PreferPath(address);
      break;
    case kInternetInterface:
      internet_page_->Address()->SetText(address);
      break;
    case kStaticIpInterface:
      static_ip_page_->Address()->SetText(address);
      break;
    default:
      break;  // USB devices and DHCP modules are picked once they are listed
  }
  if (link.interface_index >= kFirstSocketIndex) receiver_port_ = link.port;
}

bool CConnectionEx::Preselected(int interface_index, const QString& address) const {
  return preselect_ && last_link_.interface_index == interface_index &&
         last_link_.address == address.toStdString();
}

void CConnectionEx::NoteOpening(int interface_index, const QString& address, quint16 port) {
  pending_link_ = RememberedLink{interface_index, address.toStdString(), port};
}

void CConnectionEx::OnPageChanged(int index) {
  if (!showing_) return;
  DeactivatePage(active_page_);
  ActivatePage(index);
}

void CConnectionEx::ActivatePage(int index) {
  if (index < 0 || index >= kInterfaceCount) return;
  active_page_ = index;
  created_[static_cast<size_t>(index)] = true;
  // Looking at a page changes nothing about the link in use: only OK does.
  switch (index) {
    case kSerialInterface:
      FindCfCard();
      break;
    case kUsbInterface:
      RefreshUsb();
      break;
    case kDhcpInterface:
      StartDiscovery();
      break;
    default:
      break;
  }
}

void CConnectionEx::DeactivatePage(int index) {
  // A USB link in use keeps its worker, whatever page the user looks at.
  if (index == kUsbInterface && !InUse(kUsbInterface)) usb_->StopWorker();
  active_page_ = -1;
}

void CConnectionEx::accept() {
  QueueConnectSteps();
  QDialog::accept();
}

void CConnectionEx::done(int result) {
  showing_ = false;
  active_page_ = -1;
  QDialog::done(result);
}

void CConnectionEx::FindCfCard() {
  serial_page_->ShowPorts(enumerate_ports_ ? enumerate_ports_() : std::vector<SSerInfo>{});
}

void CConnectionEx::RefreshUsb() {
  usb_page_->Clear();
  usb_->StartWorker();
  std::vector<UsbDeviceRecord> devices;
  const bool listed = usb_->ListDevices(&devices);
  usb_page_->ShowDevices(devices);
  for (size_t row = 0; row < devices.size(); ++row) {
    if (Preselected(kUsbInterface, QString::fromStdString(devices[row].serial))) {
      usb_page_->SelectRow(static_cast<int>(row));
    }
  }
  // Said on the page rather than in a box, which would come up each time the page is looked at.
  QString status;
  if (!listed) {
    status = QStringLiteral("No Quorvalin USB Devices Found\n");
  } else if (devices.empty()) {
    status = QStringLiteral("No USB Devices have been found\n");
  }
  if (!status.isEmpty())
    status += QStringLiteral("Please check the USB Connection and click Refresh");
  usb_page_->SetStatus(status);
}

void CConnectionEx::StartDiscovery() {
  dhcp_page_->Clear();
  // Replies to an earlier query are of no interest any more.
  discovery_ = std::make_unique<CUDPSocket>();
  connect(discovery_.get(), &CUDPSocket::ReplyReceived, dhcp_page_, &CPPDHCP::AddReply);
  connect(discovery_.get(), &CUDPSocket::ReplyReceived, this, [this](const QString& address) {
    if (Preselected(kDhcpInterface, address)) dhcp_page_->SelectAddress(address);
  });
  if (discovery_target_) {
    discovery_->SendQueryTo(discovery_target_->first, discovery_target_->second);
  } else {
    discovery_->SendQuery();
  }
}

void CConnectionEx::SetDiscoveryTarget(const QHostAddress& address, quint16 port) {
  discovery_target_ = std::make_pair(address, port);
}

void CConnectionEx::SetPortEnumerator(std::function<std::vector<SSerInfo>()> enumerate) {
  enumerate_ports_ = std::move(enumerate);
}

void CConnectionEx::SetStaticAddress() {
  static_address_ = static_ip_page_->AddressText();
  addresses_[kStaticIpInterface] = static_address_;
  SetStaticIpAddress(alerts_, static_ip_page_->MacText().toStdString(),
                     static_address_.toStdString());
}

void CConnectionEx::QueueConnectSteps() {
  const int active = tabs_->currentIndex();
  reconnect_.Stop();  // the user's own choice
  sequencer_.Cancel();
  SelectInterface(active);
  for (int index = 0; index < kInterfaceCount; ++index) {
    if (!created_[static_cast<size_t>(index)]) continue;
    QueueConnectStep(sequencer_, index == active, index, PageOpener(index),
                     [this] { QueueOpened(); });
  }
}

OpenLinkFn CConnectionEx::PageOpener(int index) {
  switch (index) {
    case kSerialInterface:
      return [this, path = serial_page_->DevicePath()](std::function<void(bool)> done) {
        OpenSerial(path, std::move(done));
      };
    case kUsbInterface:
      return [this, row = usb_page_->SelectedRow(), serial = usb_page_->SelectedSerial(),
              product = usb_page_->SelectedProduct()](std::function<void(bool)> done) {
        if (row < 0) {
          alerts_.Show("No USB Device Selected", "Invalid Selection Alert");
          done(false);
        } else if (product == QLatin1String(kTriskadeon)) {
          OpenUsb(serial, std::move(done));
        } else {
          // Only the Receiver's own converter is opened; others are taken as they are.
          NoteOpening(kUsbInterface, serial, RememberedLink::kDefaultPort);
          done(true);
        }
      };
    case kInternetInterface:
      return [this, address = internet_page_->AddressText()](std::function<void(bool)> done) {
        OpenSocket(kInternetInterface, address, receiver_port_, std::move(done));
      };
    case kDhcpInterface:
      return [this, address = dhcp_page_->SelectedAddress()](std::function<void(bool)> done) {
        OpenSocket(kDhcpInterface, address, receiver_port_, std::move(done));
      };
    default: {
      // A module set up in an earlier session needs no new set-up: then the typed address.
      const QString address =
          static_address_.isEmpty() ? static_ip_page_->AddressText() : static_address_;
      return [this, address](std::function<void(bool)> done) {
        OpenSocket(kStaticIpInterface, address, receiver_port_, std::move(done));
      };
    }
  }
}

CClientSocket& CConnectionEx::Socket(int interface_index) {
  return *sockets_.at(static_cast<size_t>(interface_index - kFirstSocketIndex));
}

void CConnectionEx::SelectInterface(int interface_index) {
  state_.interface_index = interface_index;
}

bool CConnectionEx::InUse(int interface_index) const {
  return state_.interface_index == interface_index;
}

QString CConnectionEx::AddressText(int interface_index) const {
  if (interface_index < 0 || interface_index >= kInterfaceCount) return QString();
  return addresses_[interface_index];
}

void CConnectionEx::Route(int interface_index, const QByteArray& message) {
  if (!InUse(interface_index)) return;
  qCDebug(lcLink).noquote() << kTraceNames[interface_index] << "received"
                            << HexBytes(reinterpret_cast<const uint8_t*>(message.constData()),
                                        static_cast<size_t>(message.size()));
  display_.OnReceiverMessage(message);
}

void CConnectionEx::QueueOpened() {
  state_.connected = 1;
  last_link_ = pending_link_;
  reconnect_.LinkOpened(pending_link_);
  QueueIdentityRequests(sequencer_, ops_, display_.Handler());
  emit LinkOpened();
}

void CConnectionEx::OpenSocket(int interface_index, const QString& host, quint16 port,
                               std::function<void(bool)> done) {
  addresses_[interface_index] = host;
  NoteOpening(interface_index, host, port);
  if (!IsReceiverHost(host)) {
    alerts_.Show(kNoAddressText, kNoAddressCaption);
    done(false);
    return;
  }
  CClientSocket* socket = &Socket(interface_index);
  auto shared_done = std::make_shared<std::function<void(bool)>>(std::move(done));
  auto* context = new QObject(this);
  const char* name = kTraceNames[interface_index];
  qCDebug(lcLink).noquote() << name << "connecting to" << host << "port" << port;
  connect(socket, &CClientSocket::Connected, context, [context, shared_done, name] {
    qCDebug(lcLink) << name << "connected";
    context->deleteLater();
    (*shared_done)(true);
  });
  connect(socket, &CClientSocket::ConnectFailed, context,
          [context, shared_done, name](const QString& reason) {
            qCDebug(lcLink).noquote() << name << "could not connect:" << reason;
            context->deleteLater();
            (*shared_done)(false);
          });
  socket->ConnectToHost(host, port);
}

void CConnectionEx::OpenSerial(const QString& device_path, std::function<void(bool)> done) {
  // A new port object for every serial connection; the old one must be closed first.
  ops_.SetLink(kSerialInterface, nullptr);
  serial_ = std::make_unique<CMonitorSerialPort>();
  ops_.SetLink(kSerialInterface, serial_.get());
  connect(serial_.get(), &CMonitorSerialPort::MessageReceived, this,
          [this](const QByteArray& message) { Route(kSerialInterface, message); });
  connect(serial_.get(), &CSerialPort::DeviceLost, this,
          [this] { OnLinkLost(kSerialInterface); });
  qCDebug(lcLink).noquote() << "serial opening" << device_path;
  NoteOpening(kSerialInterface, device_path, RememberedLink::kDefaultPort);
  auto answered = [this, device_path, done](bool opened) {
    qCDebug(lcLink) << "serial" << (opened ? "opened" : "could not be opened");
    if (!opened) {
      alerts_.Show(device_path.toStdString() + " port could not be openend", "Alert !");
    }
    done(opened);
  };
  serial_->Open(device_path, AnswerWithin(CSerialPort::kWorkerTimeoutMs, std::move(answered)));
}

std::function<void(bool)> CConnectionEx::AnswerWithin(int timeout_ms,
                                                      std::function<void(bool)> done) {
  open_done_ = std::move(done);
  const uint64_t attempt = ++open_attempt_;
  open_timer_->Start(timeout_ms, /*single_shot=*/true);
  return [this, attempt](bool opened) { AnswerOpen(attempt, opened); };
}

void CConnectionEx::AnswerOpen(uint64_t attempt, bool opened) {
  // Only the first of the link's answer and the time-out counts, and only for the latest open.
  if (attempt != open_attempt_ || !open_done_) return;
  open_timer_->Stop();
  std::exchange(open_done_, nullptr)(opened);
}

void CConnectionEx::OpenUsb(const QString& serial_number, std::function<void(bool)> done) {
  usb_->StartWorker();
  qCDebug(lcLink).noquote() << "usb opening" << serial_number;
  NoteOpening(kUsbInterface, serial_number, RememberedLink::kDefaultPort);
  usb_->Open(serial_number.toStdString(), CUSB::kReceiverBaudRate,
             AnswerWithin(CUSB::kDoneTimeoutMs, [this, done](bool opened) {
               qCDebug(lcLink) << "usb" << (opened ? "opened" : "could not be opened");
               if (!opened) {
                 // A retry's failure is told in the link-lost bar, not in a box each time.
                 if (reconnect_.GetState() != Reconnector::State::kAttempting) {
                   alerts_.Show("USB Device could not be opened", "USB Problem");
                 }
                 done(false);
                 return;
               }
               usb_settle_timer_->SetCallback([done] { done(true); });
               usb_settle_timer_->Start(kUsbSettleMs, /*single_shot=*/true);
             }));
}

void CConnectionEx::ConnectTcp(const QString& host, quint16 port) {
  reconnect_.Stop();
  ConnectWithoutSheet(kInternetInterface, [this, host, port](std::function<void(bool)> done) {
    OpenSocket(kInternetInterface, host, port, std::move(done));
  });
}

void CConnectionEx::ConnectSerial(const QString& device_path) {
  reconnect_.Stop();
  ConnectWithoutSheet(kSerialInterface, [this, device_path](std::function<void(bool)> done) {
    OpenSerial(device_path, std::move(done));
  });
}

void CConnectionEx::ConnectUsb(const QString& serial_number) {
  reconnect_.Stop();
  ConnectWithoutSheet(kUsbInterface, [this, serial_number](std::function<void(bool)> done) {
    OpenUsb(serial_number, std::move(done));
  });
}

void CConnectionEx::ConnectWithoutSheet(int interface_index, OpenLinkFn open_link) {
  sequencer_.Cancel();
  SelectInterface(interface_index);
  // As the active page of the sheet would.
  QueueConnectStep(sequencer_, true, interface_index, std::move(open_link),
                   [this] { QueueOpened(); });
}

void CConnectionEx::OnLinkLost(int interface_index) {
  if (!InUse(interface_index)) return;
  // The view closes the link first; only then is the loss offered or retried.
  emit LinkLost();
  reconnect_.LinkLost();
}

void CConnectionEx::Reopen(const LinkTarget& target) {
  const QString where = QString::fromStdString(target.address);
  const int index = target.interface_index;
  qCDebug(lcLink).noquote() << "reconnecting" << kTraceNames[index] << where;
  OpenLinkFn open;
  if (index == kSerialInterface) {
    open = [this, where](std::function<void(bool)> done) { OpenSerial(where, std::move(done)); };
  } else if (index == kUsbInterface) {
    open = [this, where](std::function<void(bool)> done) { OpenUsb(where, std::move(done)); };
  } else {
    open = [this, index, where, port = target.port](std::function<void(bool)> done) {
      OpenSocket(index, where, port, std::move(done));
    };
  }
  ConnectWithoutSheet(index, [this, open](std::function<void(bool)> done) {
    open([this, done](bool opened) {
      if (!opened) reconnect_.AttemptFailed();
      done(opened);
    });
  });
}

void CConnectionEx::OnDeviceArrived(const QString& device_path) {
  // Where the lost path leads now: a by-id link made afresh points at the new device node.
  const QString now = QFileInfo(QString::fromStdString(reconnect_.Target().address))
                          .canonicalFilePath();
  reconnect_.DeviceArrived(device_path.toStdString(), now.toStdString());
}

bool CConnectionEx::SerialPageVisible() const {
  return isVisible() && tabs_->currentIndex() == kSerialInterface;
}

void CConnectionEx::SetSerialPageStatus(const QString& text) {
  serial_page_->SetStatus(text);
}

}  // namespace qv
