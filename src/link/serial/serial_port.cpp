#include "link/serial/serial_port.h"

#include <QDeadlineTimer>
#include <chrono>
#include <future>
#include <utility>

#include "core/link/command.h"
#include "link/app/console_messages.h"
#include "link/serial/serial_worker.h"

namespace qv {

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
  connect(this, &CSerialPort::WorkerCallsQueued, worker_, &SerialWorker::RunPosted,
          Qt::QueuedConnection);
  worker_end_ = std::make_shared<WorkerEnd>();
  // On the worker thread as it finishes, after its event loop.
  connect(
      thread_.get(), &QThread::finished, thread_.get(),
      [end = worker_end_, worker = worker_, thread = thread_.get()] {
        std::lock_guard lock(end->mutex);
        delete worker;
        end->ended = true;
        if (end->left) thread->deleteLater();
      },
      Qt::DirectConnection);
  thread_->start();
}

void CSerialPort::PostToWorker(std::function<void()> call) {
  // The worker is woken through our own signal: this thread touches it only under the lock of
  // its queue, however soon it ends afterwards.
  worker_->Queue(std::move(call));
  emit WorkerCallsQueued();
}

bool CSerialPort::AskWorker(std::function<void(std::shared_ptr<std::promise<bool>>)> call) {
  auto answer = std::make_shared<std::promise<bool>>();
  std::future<bool> result = answer->get_future();
  PostToWorker([call = std::move(call), answer] { call(answer); });
  if (result.wait_for(std::chrono::milliseconds(worker_timeout_ms_)) !=
      std::future_status::ready) {
    return false;
  }
  return result.get();
}

void CSerialPort::Open(const QString& device_path, std::function<void(bool)> done) {
  if (thread_ == nullptr) StartWorker();
  ++*session_;
  open_.store(false);
  pending_open_ = std::move(done);
  PostToWorker([session = session_, worker = worker_, device_path] {
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
  const bool sent =
      AskWorker([worker = worker_, bytes](auto answer) { worker->Write(bytes, answer); });
  TraceSend("serial", frame.data(), frame.size(), sent);
  return sent;
}

void CSerialPort::Close() {
  ++*session_;
  open_.store(false);
  pending_open_ = nullptr;
  if (thread_ == nullptr) return;
  SerialWorker* worker = worker_;
  PostToWorker([worker] {
    worker->ClosePort();
    QThread::currentThread()->quit();
  });
  worker_ = nullptr;
  thread_->wait(QDeadlineTimer(worker_timeout_ms_));
  {
    std::lock_guard lock(worker_end_->mutex);
    if (!worker_end_->ended) {
      // A worker stuck in the driver: cut it off from us; its thread frees it, and itself, when
      // it ends. The lock keeps the worker alive meanwhile.
      worker->DropSink();
      worker_end_->left = true;
      thread_.release();
      return;
    }
  }
  // Waits no longer than the rest of the thread's finishing, should it just have ended.
  thread_.reset();
  // Whatever the worker reported before it ended is stale now.
  ++*session_;
}

void CSerialPort::StopWorker() {
  Close();
}

void CSerialPort::PostToGui(std::function<void()> call) {
  gui_posted_.PushAndWake(std::move(call), this, "RunPostedToGui");
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
