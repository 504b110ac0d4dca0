#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

#include "core/link/receiver_link.h"
#include "link/app/message_batch.h"
#include "link/app/posted_calls.h"

namespace qv {

class SerialWorker;

// The serial link. A worker thread owns the port and does every read and write; received bytes
// are de-framed there and each message goes to OnMessage on that thread. The GUI thread talks
// to the worker only through queued calls: an open is answered later, a send or close is
// waited for at most the worker time-out.
class CSerialPort : public QObject, public ReceiverLink {
  Q_OBJECT

 public:
  // Longest Send and Close wait for the worker, and how long an open may take.
  static constexpr int kWorkerTimeoutMs = 2000;

  explicit CSerialPort(int worker_timeout_ms = kWorkerTimeoutMs, QObject* parent = nullptr);
  ~CSerialPort() override;

  // Opens the device at 115200 baud, 8N1, no flow control, DTR and RTS on (where the device has
  // them) on the worker, starting it if needed, and returns at once. done(opened) runs later on
  // this object's thread, unless the port is closed or opened again first; the caller bounds
  // how long it waits for it.
  void Open(const QString& device_path, std::function<void(bool opened)> done);
  bool IsOpen() const { return open_.load(); }

  // Frames the command with its check byte and waits until the worker has written it. Fails at
  // once when the port is not open, since nobody would ever complete the write.
  bool Send(const uint8_t* command, size_t length) override;
  // Closes the port and ends the worker; harmless when already closed.
  void Close() override;

 signals:
  // The device went away while open (unplugged, hung up); the port is closed.
  void DeviceLost();
  // Internal: wakes the worker to run the calls queued for it (a queued connection). A worker
  // left running by Close stays connected until it ends; the extra wake-ups cost it nothing.
  void WorkerCallsQueued();

 protected:
  // Each de-framed message, on the worker thread; the bytes are valid during the call only.
  virtual void OnMessage(const uint8_t* data, size_t length);
  // After the messages of one read, on the worker thread.
  virtual void OnReadDone();
  // To be called first by the destructor of any subclass that overrides OnMessage, so that the
  // worker stops before the override goes away.
  void StopWorker();
  // Changes with every Open and Close: news from the worker tagged with an older value is
  // stale. Safe from any thread.
  uint64_t Session() const { return session_->load(); }
  // Runs `call` on the GUI thread, in posting order; for the worker thread.
  void PostToGui(std::function<void()> call);

 private:
  Q_INVOKABLE void RunPostedToGui();
  void StartWorker();
  // Runs `call` on the worker thread, in posting order.
  void PostToWorker(std::function<void()> call);
  // Runs `call` on the worker thread and waits at most the worker time-out for its answer.
  bool AskWorker(std::function<void(std::shared_ptr<std::promise<bool>>)> call);
  void OnWorkerLostDevice(uint64_t session);
  void OnWorkerOpened(uint64_t session, bool opened);

  // How the worker's thread ended, shared with it. As the thread finishes it frees the worker
  // and sets `ended`; `left` says Close gave up waiting, so the thread frees its QThread too.
  // Under this lock, the worker's last steps come visibly before what Close does next (Qt's
  // own wait orders them too, but ThreadSanitizer cannot see inside the distribution's Qt).
  struct WorkerEnd {
    std::mutex mutex;
    bool ended = false;
    bool left = false;
  };

  const int worker_timeout_ms_;
  std::unique_ptr<QThread> thread_;
  SerialWorker* worker_ = nullptr;  // lives on the worker thread, which frees it as it ends
  std::shared_ptr<WorkerEnd> worker_end_;
  std::atomic<bool> open_{false};
  std::function<void(bool)> pending_open_;  // GUI thread only
  PostedCalls gui_posted_;
  // Bumped by Open and Close so that late news is dropped; shared with calls that may still be
  // queued on a worker that outlived its time-out.
  std::shared_ptr<std::atomic<uint64_t>> session_ = std::make_shared<std::atomic<uint64_t>>(0);
};

// The serial link as the program uses it: the messages of each read cross to the GUI thread
// together and are emitted there one MessageReceived signal each.
class CMonitorSerialPort : public CSerialPort {
  Q_OBJECT

 public:
  using CSerialPort::CSerialPort;
  ~CMonitorSerialPort() override;

 signals:
  // One de-framed message, type byte first; always delivered on the GUI thread.
  void MessageReceived(const QByteArray& message);

 protected:
  void OnMessage(const uint8_t* data, size_t length) override;
  void OnReadDone() override;

 private:
  void HandOver(MessageBatch batch);

  MessageBatcher batcher_{[this](MessageBatch batch) { HandOver(std::move(batch)); }};  // worker
};

}  // namespace qv
