#include "gui/link/connection_sheet.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/display/display.h"
#include "link/network/client_socket.h"
#include "link/serial/serial_port.h"

namespace qv {
namespace {

constexpr int kFirstSocketIndex = kInternetInterface;

}  // namespace

CConnectionEx::CConnectionEx(TimerFactory& timers, Alerts& alerts, CDisplay& display,
                             HandshakeSequencer& sequencer, QWidget* parent)
    : QDialog(parent),
      timers_(timers),
      alerts_(alerts),
      display_(display),
      sequencer_(sequencer),
      ops_(state_, alerts, display) {
  setWindowTitle(QStringLiteral("Set up Connection"));
  display_.Handler().SetConnection(&ops_);

  for (int i = 0; i < 3; ++i) {
    const int index = kFirstSocketIndex + i;
    sockets_[i] = std::make_unique<CClientSocket>(timers_);
    ops_.SetLink(index, sockets_[i].get());
    connect(sockets_[i].get(), &CClientSocket::MessageReceived, this,
            [this, index](const QByteArray& message) { Route(index, message); });
    connect(sockets_[i].get(), &CClientSocket::Disconnected, this, [this, index] {
      if (routed_index_ == index) emit LinkLost();
    });
  }

  tabs_ = new QTabWidget(this);
  for (const char* caption :
       {"Serial Port/CF Card", "USB ", "Internet", "DHCP", "Static IP Address"}) {
    tabs_->addTab(new QLabel(QString(), tabs_), QString::fromLatin1(caption));
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
}

CConnectionEx::~CConnectionEx() {
  // The links go before the operations that point at them.
  for (int i = 0; i < kInterfaceCount; ++i) ops_.SetLink(i, nullptr);
}

bool CConnectionEx::ShowSheet() {
  tabs_->setCurrentIndex(kSerialInterface);
  return exec() == QDialog::Accepted;
}

void CConnectionEx::SelectInterface(int interface_index) {
  state_.interface_index = interface_index;
  routed_index_ = interface_index;
}

QString CConnectionEx::AddressText(int interface_index) const {
  if (interface_index < 0 || interface_index >= kInterfaceCount) return QString();
  return addresses_[interface_index];
}

void CConnectionEx::Route(int interface_index, const QByteArray& message) {
  if (interface_index == routed_index_) display_.OnReceiverMessage(message);
}

void CConnectionEx::QueueOpened(int interface_index) {
  state_.connected = 1;
  QueueIdentityRequests(sequencer_, ops_, display_.Handler());
  emit LinkOpened();
}

void CConnectionEx::ConnectTcp(const QString& host, quint16 port) {
  const int index = kInternetInterface;
  SelectInterface(index);
  addresses_[index] = host;
  CClientSocket* socket = sockets_[index - kFirstSocketIndex].get();
  sequencer_.Cancel();
  QueueConnectStep(
      sequencer_, true, index,
      [this, socket, host, port](std::function<void(bool)> done) {
        auto shared_done = std::make_shared<std::function<void(bool)>>(std::move(done));
        auto* context = new QObject(this);
        connect(socket, &CClientSocket::Connected, context, [context, shared_done] {
          context->deleteLater();
          (*shared_done)(true);
        });
        connect(socket, &CClientSocket::ConnectFailed, context, [context, shared_done] {
          context->deleteLater();
          (*shared_done)(false);
        });
        socket->ConnectToHost(host, port);
      },
      [this, index] { QueueOpened(index); });
}

void CConnectionEx::ConnectSerial(const QString& device_path) {
  const int index = kSerialInterface;
  sequencer_.Cancel();
  QueueConnectStep(
      sequencer_, true, index,
      [this, device_path](std::function<void(bool)> done) {
        // A new port object for every serial connection; the old one must be closed first.
        ops_.SetLink(kSerialInterface, nullptr);
        serial_ = std::make_unique<CMonitorSerialPort>();
        ops_.SetLink(kSerialInterface, serial_.get());
        connect(serial_.get(), &CMonitorSerialPort::MessageReceived, this,
                [this](const QByteArray& message) { Route(kSerialInterface, message); });
        connect(serial_.get(), &CSerialPort::DeviceLost, this, [this] {
          if (routed_index_ == kSerialInterface) emit LinkLost();
        });
        SelectInterface(kSerialInterface);
        const bool opened = serial_->Open(device_path);
        if (!opened) {
          alerts_.Show(device_path.toStdString() + " port could not be openend", "Alert !");
        }
        done(opened);
      },
      [this, index] { QueueOpened(index); });
}

void CConnectionEx::ConnectUsb(const QString& serial_number) {
  // The USB page comes with the sheet's pages; until then a USB connection fails visibly.
  sequencer_.Cancel();
  QueueConnectStep(
      sequencer_, true, kUsbInterface,
      [this, serial_number](std::function<void(bool)> done) {
        SelectInterface(kUsbInterface);
        alerts_.Show("USB Device could not be opened", "USB Problem");
        done(false);
      },
      [] {});
}

bool CConnectionEx::SerialPageVisible() const {
  return isVisible() && tabs_->currentIndex() == kSerialInterface;
}

void CConnectionEx::SetSerialPageStatus(const QString& text) {
  // The serial page's status text arrives with the sheet's pages.
  (void)text;
}

}  // namespace qv
