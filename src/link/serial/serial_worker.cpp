#include "link/serial/serial_worker.h"

#include <array>

namespace qv {

SerialWorker::SerialWorker(Sink sink)
    : sink_(std::move(sink)), deframer_([this](const uint8_t* data, size_t length) {
        std::lock_guard lock(sink_mutex_);
        if (sink_.message) sink_.message(data, length);
      }) {}

SerialWorker::~SerialWorker() {
  ClosePort();
}

void SerialWorker::DropSink() {
  std::lock_guard lock(sink_mutex_);
  sink_ = {};
}

void SerialWorker::Queue(std::function<void()> call) {
  posted_.Push(std::move(call));
}

void SerialWorker::RunPosted() {
  posted_.RunAll();
}

void SerialWorker::Open(const QString& device_path) {
  const bool opened = OpenPort(device_path);
  std::lock_guard lock(sink_mutex_);
  if (sink_.opened) sink_.opened(opened);
}

bool SerialWorker::OpenPort(const QString& device_path) {
  ClosePort();
  port_ = new QSerialPort(this);
  port_->setPortName(device_path);
  port_->setBaudRate(115200);
  port_->setDataBits(QSerialPort::Data8);
  port_->setParity(QSerialPort::NoParity);
  port_->setStopBits(QSerialPort::OneStop);
  port_->setFlowControl(QSerialPort::NoFlowControl);
  port_->setReadBufferSize(0);
  if (!port_->open(QIODevice::ReadWrite)) {
    delete port_;
    port_ = nullptr;
    return false;
  }
  // Pseudo-terminals and some adapters have no modem lines; the link works without them.
  port_->setDataTerminalReady(true);
  port_->setRequestToSend(true);
  port_->clearError();
  deframer_.Reset();
  connect(port_, &QSerialPort::readyRead, this, &SerialWorker::OnReadyRead);
  connect(port_, &QSerialPort::bytesWritten, this, &SerialWorker::OnBytesWritten);
  connect(port_, &QSerialPort::errorOccurred, this, &SerialWorker::OnError);
  return true;
}

void SerialWorker::Write(const QByteArray& frame, std::shared_ptr<std::promise<bool>> done) {
  if (port_ == nullptr || frame.isEmpty() || port_->write(frame) != frame.size()) {
    done->set_value(false);
    return;
  }
  pending_.push_back({frame.size(), std::move(done)});
}

void SerialWorker::ClosePort() {
  FailPendingWrites();
  if (port_ == nullptr) return;
  QSerialPort* port = port_;
  port_ = nullptr;
  port->disconnect(this);
  port->close();
  delete port;
}

void SerialWorker::OnReadyRead() {
  std::array<uint8_t, kSerialBytesPerRead> buffer;
  // The sink may lose the device while we read; port_ is re-checked each round.
  while (port_ != nullptr && port_->bytesAvailable() > 0) {
    const qint64 n = port_->read(reinterpret_cast<char*>(buffer.data()), buffer.size());
    if (n <= 0) break;
    deframer_.Feed(buffer.data(), static_cast<size_t>(n));
  }
  std::lock_guard lock(sink_mutex_);
  if (sink_.read_done) sink_.read_done();
}

void SerialWorker::OnBytesWritten(qint64 count) {
  while (count > 0 && !pending_.empty()) {
    PendingWrite& front = pending_.front();
    const qint64 used = std::min(count, front.remaining);
    front.remaining -= used;
    count -= used;
    if (front.remaining == 0) {
      front.done->set_value(true);
      pending_.pop_front();
    }
  }
}

void SerialWorker::OnError(QSerialPort::SerialPortError error) {
  switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
      DeviceLost();
      break;
    default:
      break;
  }
}

void SerialWorker::FailPendingWrites() {
  for (PendingWrite& write : pending_) write.done->set_value(false);
  pending_.clear();
}

void SerialWorker::DeviceLost() {
  if (port_ == nullptr) return;
  // Closing from inside the port's own signal is fine; deleting it is not.
  QSerialPort* port = port_;
  port_ = nullptr;
  FailPendingWrites();
  port->disconnect(this);
  port->close();
  port->deleteLater();
  std::lock_guard lock(sink_mutex_);
  if (sink_.lost) sink_.lost();
}

}  // namespace qv
