#include "link/serial/serial_port.h"

#include <QDeadlineTimer>
#include <chrono>
#include <future>
#include <utility>

#include "core/link/command.h"
#include "link/app/console_messages.h"
#include "link/serial/serial_worker.h"

namespace qv {

namespace {

// Runs `call` on the worker's thread and waits at most `timeout_ms` for its answer.
bool AskWorker(SerialWorker* worker, int timeout_ms,
               std::function<void(std::shared_ptr<std::promise<bool>>)> call) {
  auto answer = std::make_shared<std::promise<bool>>();
  std::future<bool> result = answer->get_future();
  worker->Post([call = std::move(call), answer] { call(answer); });
  if (result.wait_for(std::chrono::milliseconds(timeout_ms)) != std::future_status::ready) {
    return false;
  }
  return result.get();
}

}  // namespace

CSerialPort::CSerialPort(int worker_timeout_ms, QObject* parent)
    : QObject(parent), worker_timeout_ms_(worker_timeout_ms) {}

CSerialPort::~CSerialPort() {
  StopWorker();
}

void CSerialPort::StartWorker() {
  thread_ = std::make_unique<QThread>();
  thread_->setObjectName(QStringLiteral("serial link"));
  SerialWorker::Sink sink;
  sink.message = [this](const uint8_t* data, size_t length) { OnMessage(data, length); };
  sink.read_done = [this] { OnReadDone(); };
  sink.lost = [this] {
    open_.store(false);
    const uint64_t session = Session();
    PostToGui([this, session] { OnWorkerLostDevice(session); });
  };
  sink.opened = [this](bool opened) {
    const uint64_t session = Session();
    PostToGui([this, session, opened] { OnWorkerOpened(session, opened); });
  };
  worker_ = new SerialWorker(std::move(sink));
  worker_->moveToThread(thread_.get());
  connect(thread_.get(), &QThread::finished, worker_, &QObject::deleteLater);
  thread_->start();
}

void CSerialPort::Open(const QString& device_path, std::function<void(bool)> done) {
  if (thread_ == nullptr) StartWorker();
  ++*session_;
  open_.store(false);
  pending_open_ = std::move(done);
  worker_->Post([session = session_, worker = worker_, device_path] {
    // Anything the worker reported until now concerned the earlier port.
    ++*session;
    worker->Open(device_path);
  });
}

void CSerialPort::OnWorkerOpened(uint64_t session, bool opened) {
  // The answer for a port closed or opened again since is of no interest.
  if (session != Session()) return;
  open_.store(opened);
  if (auto done = std::exchange(pending_open_, nullptr)) done(opened);
}

bool CSerialPort::Send(const uint8_t* command, size_t length) {
  if (!open_.load() || worker_ == nullptr) {
    TraceSend("serial", command, length, false);
    return false;
  }
  const Bytes frame = FrameCommand(command, length, /*with_check_byte=*/true);
  QByteArray bytes(reinterpret_cast<const char*>(frame.data()),
                   static_cast<qsizetype>(frame.size()));
  const bool sent = AskWorker(worker_, worker_timeout_ms_, [worker = worker_, bytes](auto answer) {
    worker->Write(bytes, answer);
  });
  TraceSend("serial", frame.data(), frame.size(), sent);
  return sent;
}

void CSerialPort::Close() {
  ++*session_;
  open_.store(false);
  pending_open_ = nullptr;
  if (thread_ == nullptr) return;
  SerialWorker* worker = worker_;
  worker_ = nullptr;
  worker->Post([worker] {
    worker->ClosePort();
    QThread::currentThread()->quit();
  });
  if (!thread_->wait(QDeadlineTimer(worker_timeout_ms_))) {
    // A worker stuck in the driver: cut it off from us and let it end on its own.
    worker->DropSink();
    QThread* thread = thread_.release();
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    return;
  }
  thread_.reset();
  // Whatever the worker reported before it ended is stale now.
  ++*session_;
}

void CSerialPort::StopWorker() {
  Close();
}

void CSerialPort::PostToGui(std::function<void()> call) {
  if (gui_posted_.Push(std::move(call))) {
    QMetaObject::invokeMethod(this, "RunPostedToGui", Qt::QueuedConnection);
  }
}

void CSerialPort::RunPostedToGui() {
  gui_posted_.RunAll();
}

void CSerialPort::OnMessage(const uint8_t*, size_t) {}

void CSerialPort::OnReadDone() {}

void CSerialPort::OnWorkerLostDevice(uint64_t session) {
  // News from an earlier session (closed or reopened since) is of no interest.
  if (session != Session()) return;
  emit DeviceLost();
}

CMonitorSerialPort::~CMonitorSerialPort() {
  StopWorker();
}

void CMonitorSerialPort::OnMessage(const uint8_t* data, size_t length) {
  batcher_.Add(Session(), data, length);
}

void CMonitorSerialPort::OnReadDone() {
  batcher_.Flush();
}

void CMonitorSerialPort::HandOver(MessageBatch batch) {
  // Emitted from the GUI thread, so that even direct connections run there; a message still
  // on its way when the link was closed is not delivered.
  PostToGui([this, batch = std::move(batch)] {
    for (const QByteArray& message : batch.messages) {
      if (batch.session != Session()) return;
      emit MessageReceived(message);
    }
  });
}

}  // namespace qv
