#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

#include "core/link/deframer.h"
#include "link/app/posted_calls.h"

namespace qv {

// Lives on a serial link's worker thread and owns its QSerialPort; every method runs there.
// It reaches the link object only through the sink, which the link clears under the lock
// before it goes away, so a late worker never calls into a dead link.
class SerialWorker : public QObject {
  Q_OBJECT

 public:
  struct Sink {
    // Each de-framed message, on the worker thread.
    std::function<void(const uint8_t*, size_t)> message;
    // After the messages of one read. On the worker thread.
    std::function<void()> read_done;
    // The device went away; the port is already closed. On the worker thread.
    std::function<void()> lost;
    // The outcome of Open. On the worker thread.
    std::function<void(bool opened)> opened;
  };

  explicit SerialWorker(Sink sink);
  ~SerialWorker() override;

  // Opens and configures the port, closing an earlier one first; the outcome goes to the sink.
  void Open(const QString& device_path);
  // Queues the frame; `done` gets true once the whole frame reached the device, false at once
  // when the port is not open or the write fails.
  void Write(const QByteArray& frame, std::shared_ptr<std::promise<bool>> done);
  void ClosePort();
  // No more calls into the link from now on; safe from any thread.
  void DropSink();
  // Queues `call` for the worker thread; safe from any thread. Queued calls run in order at the
  // next RunPosted, which the poster invokes on the worker's thread through a queued signal of
  // its own (so that it never touches this object outside the queue's lock).
  void Queue(std::function<void()> call);
  void RunPosted();

 private:
  struct PendingWrite {
    qint64 remaining;
    std::shared_ptr<std::promise<bool>> done;
  };

  bool OpenPort(const QString& device_path);
  void OnReadyRead();
  void OnBytesWritten(qint64 count);
  void OnError(QSerialPort::SerialPortError error);
  void FailPendingWrites();
  void DeviceLost();

  PostedCalls posted_;
  std::mutex sink_mutex_;
  Sink sink_;
  QSerialPort* port_ = nullptr;
  SerialDeframer deframer_;
  std::deque<PendingWrite> pending_;
};

}  // namespace qv
