#include "session/session_link.h"

#include <utility>

#include "core/app/receiver_state.h"
#include "link/app/console_messages.h"
#include "link/network/client_socket.h"
#include "link/serial/serial_port.h"
#include "link/usb/grindlewhist.h"
#include "link/usb/lib_ftdi_driver.h"

namespace qv {
namespace {

// A TCP connect gives up after its own time-out; this only bounds a peer that never answers.
constexpr int kSocketOpenMs = 15000;

}  // namespace

SessionLink::SessionLink(TimerFactory& timers, FtdiDriver* usb_driver, QObject* parent)
    : QObject(parent),
      timers_(timers),
      usb_driver_(usb_driver),
      open_timer_(timers.CreateTimer()),
      settle_timer_(timers.CreateTimer()) {
  open_timer_->SetCallback([this] {
    if (pending_) std::exchange(pending_, nullptr)(false, "no answer in time");
  });
}

SessionLink::~SessionLink() {
  Close();
}

void SessionLink::Close() {
  ++generation_;
  open_timer_->Stop();
  settle_timer_->Stop();
  pending_ = nullptr;
  if (open_context_ != nullptr) std::exchange(open_context_, nullptr)->deleteLater();
  if (link_ != nullptr) link_->Close();
  if (opening_ != nullptr && opening_ != link_) opening_->Close();
  link_ = nullptr;
  opening_ = nullptr;
}

void SessionLink::Open(const LinkTarget& target, Done done) {
  Close();
  target_ = target;
  const uint64_t generation = generation_;
  // The link answers once opened; only then do sends go through it.
  Done answer = [this, generation, done = std::move(done)](bool opened, const std::string& why) {
    if (generation != generation_) return;
    if (opened) link_ = opening_;
    done(opened, why);
  };
  switch (target.interface_index) {
    case kSerialInterface:
      OpenSerial(std::move(answer));
      return;
    case kUsbInterface:
      OpenUsb(std::move(answer));
      return;
    default:
      OpenSocket(std::move(answer));
      return;
  }
}

SessionLink::Done SessionLink::AnswerWithin(int timeout_ms, Done done) {
  pending_ = std::move(done);
  open_timer_->Start(timeout_ms, /*single_shot=*/true);
  const uint64_t generation = generation_;
  return [this, generation](bool opened, const std::string& why) {
    if (generation != generation_ || !pending_) return;
    open_timer_->Stop();
    std::exchange(pending_, nullptr)(opened, why);
  };
}

void SessionLink::OnLost(ReceiverLink* from) {
  // A link closed on purpose, or one replaced since, is not lost.
  if (from != nullptr && from == link_) emit Lost();
}

void SessionLink::OpenSocket(Done done) {
  if (!socket_) {
    socket_ = std::make_unique<CClientSocket>(timers_);
    connect(socket_.get(), &CClientSocket::MessageReceived, this,
            &SessionLink::MessageReceived);
    connect(socket_.get(), &CClientSocket::Disconnected, this,
            [this] { OnLost(socket_.get()); });
  }
  opening_ = socket_.get();
  Done answer = AnswerWithin(kSocketOpenMs, std::move(done));
  // The answers of this attempt only; Close drops them with it.
  open_context_ = new QObject(this);
  connect(socket_.get(), &CClientSocket::Connected, open_context_,
          [answer] { answer(true, std::string()); });
  connect(socket_.get(), &CClientSocket::ConnectFailed, open_context_,
          [answer](const QString& reason) { answer(false, reason.toStdString()); });
  qCDebug(lcLink).noquote() << "connecting to" << QString::fromStdString(target_.address)
                            << "port" << target_.port;
  socket_->ConnectToHost(QString::fromStdString(target_.address), target_.port);
}

void SessionLink::OpenSerial(Done done) {
  // A fresh port object for every serial connection, as a worker belongs to one device.
  serial_ = std::make_unique<CMonitorSerialPort>();
  opening_ = serial_.get();
  connect(serial_.get(), &CMonitorSerialPort::MessageReceived, this,
          &SessionLink::MessageReceived);
  connect(serial_.get(), &CSerialPort::DeviceLost, this, [this] { OnLost(serial_.get()); });
  Done answer = AnswerWithin(CSerialPort::kWorkerTimeoutMs, std::move(done));
  serial_->Open(QString::fromStdString(target_.address), [answer, path = target_.address](bool opened) {
    answer(opened, opened ? std::string() : path + " could not be opened");
  });
}

void SessionLink::OpenUsb(Done done) {
  if (!usb_) {
    if (usb_driver_ == nullptr) {
      own_usb_driver_ = std::make_unique<LibFtdiDriver>();
      usb_driver_ = own_usb_driver_.get();
    }
    usb_ = std::make_unique<CGrindlewhist>(*usb_driver_);
    connect(usb_.get(), &CGrindlewhist::MessageReceived, this, &SessionLink::MessageReceived);
    connect(usb_.get(), &CGrindlewhist::DeviceLost, this, [this] { OnLost(usb_.get()); });
  }
  opening_ = usb_.get();
  usb_->StartWorker();
  Done answer = AnswerWithin(CGrindlewhist::kDoneTimeoutMs, std::move(done));
  usb_->Open(target_.address, CGrindlewhist::kReceiverBaudRate, [this, answer](bool opened) {
    if (!opened) {
      answer(false, "USB device " + target_.address + " could not be opened");
      return;
    }
    // The open's own time-out must not cut the settling short.
    open_timer_->Start(kUsbSettleMs + CGrindlewhist::kDoneTimeoutMs, /*single_shot=*/true);
    settle_timer_->SetCallback([answer] { answer(true, std::string()); });
    settle_timer_->Start(kUsbSettleMs, /*single_shot=*/true);
  });
}

}  // namespace qv
