#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/link/deframer.h"
#include "link/usb/ftdi_driver.h"

namespace qv {

// One attached converter as the USB page lists it.
struct UsbDeviceRecord {
  std::string serial;
  std::string description;
  std::string product;  // "TRISKADEON", "FARNOBELL", "Not Available", or empty if unknown
  std::string vendor;   // "ZTK, Inc", "Not Available", or empty if unknown
};

// The USB link: a worker thread makes every driver call for the open device and de-frames what
// it receives; the caller's thread hands it one request at a time and waits for the answer,
// each wait bounded, except for an open, which is answered later.
class CUSB : private FtdiEvent {
 public:
  static constexpr int kLockTimeoutMs = 2000;
  static constexpr int kDoneTimeoutMs = 2000;
  static constexpr int kWorkerStopTimeoutMs = 1000;
  static constexpr int kWorkerIdleMs = 1000;
  static constexpr uint32_t kReceiverBaudRate = 115200;

  explicit CUSB(FtdiDriver& driver);
  // Subclasses must call StopWorker in their own destructor, since the worker calls
  // OnMessage; this one stops it too as a last resort.
  virtual ~CUSB();
  CUSB(const CUSB&) = delete;
  CUSB& operator=(const CUSB&) = delete;

  // Starts the worker unless one runs already.
  void StartWorker();
  // Asks the worker to close the device and end; true when it ended in time or none ran.
  bool StopWorker();
  // Tells the worker to end, without a request, and joins it if it ends within timeout_ms.
  // False when it is still busy in a driver call: the thread then runs on and this object (and
  // the driver) must outlive it.
  bool EndWorkerWithin(int timeout_ms);
  // Gives up on a worker that did not end in time: it runs on, detached, so this object must
  // never be freed.
  void LeaveWorker() { worker_.detach(); }
  bool WorkerRunning();
  // Worker threads started and not yet ended: 0 or 1 unless something is wrong.
  int RunningWorkers() const { return running_workers_.load(); }

  // Frames the command (no check byte) and has the worker write it.
  bool Send(const uint8_t* command, size_t length);
  // Closes the device; the worker keeps running for a later Open.
  bool Close();

  // Lists the attached devices with their vendor and product names; false when the driver
  // cannot list (devices is then empty).
  bool ListDevices(std::vector<UsbDeviceRecord>* devices);

 protected:
  // One de-framed message, on the worker thread; the bytes live only during the call.
  virtual void OnMessage(const uint8_t* data, size_t length) = 0;
  // After the messages of one read, on the worker thread.
  virtual void OnReadDone() {}
  // The open device went away by itself (unplugged), on the worker thread, once per open; it is
  // closed already.
  virtual void OnDeviceLost() {}

  // Stops the worker and waits for its thread however long it takes; for destructors, since
  // the worker calls OnMessage.
  void EndWorker();

  // Hands the open to the worker and returns at once; answered(opened) runs on the worker once
  // it has tried, or on this thread at once when no worker runs or a request is still in
  // flight (the worker is stuck).
  void OpenAsync(const std::string& serial, uint32_t baud_rate,
                 std::function<void(bool opened)> answered);

  // Called on the caller's thread as Open and Close begin, so that a subclass can drop
  // messages of the previous session that are still on their way.
  virtual void OnSessionChange() {}

 private:
  enum RequestCode : int { kNone = 0, kExit = 1, kOpen = 2, kClose = 3, kWrite = 4 };
  // The request owns its data, so a request the caller gave up on never points at freed memory.
  struct Request {
    int code = kNone;
    uint64_t sequence = 0;
    std::string serial;
    uint32_t baud_rate = 0;
    std::vector<uint8_t> frame;
    // Set when nobody waits for the answer: it gets the status on the worker, which frees the
    // request lock first.
    std::function<void(int status)> answered;
  };

  int DoRequest(Request request);
  // Hands the request over without waiting; see OpenAsync.
  void Submit(Request request);
  void Signal() override;  // received-data notification from the driver
  void WorkerLoop();
  int HandleRequest(const Request& request);
  int OpenDevice(const std::string& serial, uint32_t baud_rate);
  int CloseDevice();
  // Closes a device the driver says is gone and tells the subclass; false for any other status.
  bool LostOn(int status);
  void ReadAllWaiting();

  FtdiDriver& driver_;
  // One request in flight. A flag under a mutex rather than std::timed_mutex: its timed lock
  // goes through a pthread call ThreadSanitizer does not see, which hides real races.
  bool LockRequests();
  bool TryLockRequests();
  void UnlockRequests();
  std::mutex gate_mutex_;
  std::condition_variable gate_free_;
  bool gate_busy_ = false;

  // Everything below up to the thread is guarded by mutex_.
  std::mutex mutex_;
  std::condition_variable wake_;  // the worker: request or received data
  std::condition_variable done_;  // the caller: the worker answered
  bool request_pending_ = false;
  bool data_pending_ = false;
  Request request_;
  uint64_t next_sequence_ = 0;
  uint64_t answered_sequence_ = 0;
  int status_ = -1;

  std::thread worker_;
  bool worker_ended_ = false;  // guarded by mutex_; the worker left its loop
  bool stop_ = false;          // guarded by mutex_; leave the loop without a request
  std::atomic<int> running_workers_{0};

  // Worker thread only.
  FtdiHandle handle_ = kNoFtdiHandle;
  UsbDeframer deframer_;
  std::vector<uint8_t> read_buffer_;  // kept between reads
};

}  // namespace qv
