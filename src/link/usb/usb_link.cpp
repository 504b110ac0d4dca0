#include "link/usb/usb_link.h"

#include <algorithm>
#include <chrono>

#include "core/link/command.h"
#include "core/link/usb_rules.h"
#include "link/app/console_messages.h"

namespace qv {

namespace {

using std::chrono::milliseconds;

// More than the driver's buffers ever hold; a count above it is read in several goes.
constexpr uint32_t kMaxReadChunk = 65536;

}  // namespace

CUSB::CUSB(FtdiDriver& driver)
    : driver_(driver),
      deframer_([this](const uint8_t* data, size_t length) { OnMessage(data, length); }) {}

CUSB::~CUSB() {
  EndWorker();
}

void CUSB::EndWorker() {
  // Leaving the loop closes the device, as the exit request would.
  if (!EndWorkerWithin(kWorkerStopTimeoutMs)) worker_.join();
}

bool CUSB::EndWorkerWithin(int timeout_ms) {
  if (!worker_.joinable()) return true;
  std::unique_lock lock(mutex_);
  stop_ = true;
  wake_.notify_all();
  if (!done_.wait_for(lock, milliseconds(timeout_ms), [&] { return worker_ended_; })) {
    return false;
  }
  lock.unlock();
  worker_.join();
  return true;
}

void CUSB::StartWorker() {
  if (worker_.joinable()) {
    std::unique_lock lock(mutex_);
    if (!worker_ended_) return;
    lock.unlock();
    worker_.join();
  }
  {
    std::lock_guard lock(mutex_);
    worker_ended_ = false;
    stop_ = false;
    request_pending_ = false;
    data_pending_ = false;
  }
  ++running_workers_;
  worker_ = std::thread([this] { WorkerLoop(); });
}

bool CUSB::WorkerRunning() {
  std::lock_guard lock(mutex_);
  return worker_.joinable() && !worker_ended_;
}

bool CUSB::StopWorker() {
  if (!worker_.joinable()) return true;
  Request exit;
  exit.code = kExit;
  DoRequest(std::move(exit));
  std::unique_lock lock(mutex_);
  if (!done_.wait_for(lock, milliseconds(kWorkerStopTimeoutMs), [&] { return worker_ended_; })) {
    // Stuck in a driver call: keep the thread so that it is joined later, never freed under it.
    return false;
  }
  lock.unlock();
  worker_.join();
  return true;
}

bool CUSB::LockRequests() {
  std::unique_lock lock(gate_mutex_);
  if (!gate_free_.wait_for(lock, milliseconds(kLockTimeoutMs), [&] { return !gate_busy_; })) {
    return false;
  }
  gate_busy_ = true;
  return true;
}

bool CUSB::TryLockRequests() {
  std::lock_guard lock(gate_mutex_);
  if (gate_busy_) return false;
  gate_busy_ = true;
  return true;
}

void CUSB::UnlockRequests() {
  {
    std::lock_guard lock(gate_mutex_);
    gate_busy_ = false;
  }
  gate_free_.notify_one();
}

int CUSB::DoRequest(Request request) {
  if (!LockRequests()) return -1;
  std::unique_lock lock(mutex_);
  if (!worker_.joinable() || worker_ended_) {
    // Nobody would ever answer; fail now rather than after the full wait.
    lock.unlock();
    UnlockRequests();
    return -1;
  }
  const uint64_t sequence = ++next_sequence_;
  request.sequence = sequence;
  request_ = std::move(request);
  request_pending_ = true;
  wake_.notify_all();
  const bool answered = done_.wait_for(lock, milliseconds(kDoneTimeoutMs), [&] {
    return answered_sequence_ == sequence || worker_ended_;
  });
  int status = -1;
  if (answered && answered_sequence_ == sequence) {
    status = status_;
  } else if (request_pending_) {
    request_pending_ = false;  // withdrawn before the worker took it
  }
  lock.unlock();
  UnlockRequests();
  return status;
}

void CUSB::Submit(Request request) {
  // Never waits: all requests come from the caller's thread, so one still in flight means the
  // worker is stuck in the driver.
  if (!TryLockRequests()) {
    request.answered(-1);
    return;
  }
  std::unique_lock lock(mutex_);
  if (!worker_.joinable() || worker_ended_) {
    lock.unlock();
    UnlockRequests();
    request.answered(-1);
    return;
  }
  request.sequence = ++next_sequence_;
  request_ = std::move(request);
  request_pending_ = true;
  wake_.notify_all();
}

void CUSB::OpenAsync(const std::string& serial, uint32_t baud_rate,
                     std::function<void(bool)> answered) {
  OnSessionChange();
  Request request;
  request.code = kOpen;
  request.serial = serial;
  request.baud_rate = baud_rate;
  request.answered = [answered = std::move(answered)](int status) { answered(status == 0); };
  Submit(std::move(request));
}

bool CUSB::Send(const uint8_t* command, size_t length) {
  Request request;
  request.code = kWrite;
  request.frame = FrameCommand(command, length, /*with_check_byte=*/false);
  const Bytes frame = request.frame;
  const bool sent = DoRequest(std::move(request)) == 0;
  TraceSend("usb", frame.data(), frame.size(), sent);
  return sent;
}

bool CUSB::Close() {
  OnSessionChange();
  Request request;
  request.code = kClose;
  return DoRequest(std::move(request)) == 0;
}

void CUSB::Signal() {
  std::lock_guard lock(mutex_);
  data_pending_ = true;
  wake_.notify_all();
}

void CUSB::WorkerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait_for(lock, milliseconds(kWorkerIdleMs),
                   [&] { return request_pending_ || data_pending_ || stop_; });
    if (stop_) break;
    if (request_pending_) {
      Request request = std::move(request_);
      request_pending_ = false;
      lock.unlock();
      const int status = HandleRequest(request);
      lock.lock();
      status_ = status;
      answered_sequence_ = request.sequence;
      done_.notify_all();
      if (request.answered) {
        lock.unlock();
        UnlockRequests();
        request.answered(status);
        lock.lock();
      }
      if (request.code == kExit) break;
    } else if (data_pending_) {
      data_pending_ = false;
      lock.unlock();
      ReadAllWaiting();
      lock.lock();
    }
  }
  // A request nobody waits for still gets its answer.
  Request unanswered;
  if (request_pending_ && request_.answered) {
    unanswered = std::move(request_);
    request_pending_ = false;
  }
  lock.unlock();
  CloseDevice();
  if (unanswered.answered) {
    UnlockRequests();
    unanswered.answered(-1);
  }
  lock.lock();
  worker_ended_ = true;
  --running_workers_;
  done_.notify_all();
}

int CUSB::HandleRequest(const Request& request) {
  switch (request.code) {
    case kExit:
      return 0;
    case kOpen:
      return OpenDevice(request.serial, request.baud_rate);
    case kClose:
      return CloseDevice();
    case kWrite: {
      if (handle_ == kNoFtdiHandle) return -1;
      uint32_t written = 0;
      const int status = driver_.Write(handle_, request.frame.data(),
                                       static_cast<uint32_t>(request.frame.size()), &written);
      LostOn(status);
      return status == kFtdiOk && written == request.frame.size() ? 0 : -1;
    }
    default:
      return -1;
  }
}

int CUSB::OpenDevice(const std::string& serial, uint32_t baud_rate) {
  CloseDevice();  // a second open must not leak the first handle
  FtdiHandle handle = kNoFtdiHandle;
  if (driver_.OpenBySerialNumber(serial, &handle) != kFtdiOk || handle == kNoFtdiHandle) {
    return -1;
  }
  handle_ = handle;
  {
    std::lock_guard lock(mutex_);
    data_pending_ = false;
  }
  deframer_.Reset();
  // The settings are best effort, as on the driver this follows: a converter that refuses one
  // of them still carries bytes.
  driver_.SetDivisor(handle_, UsbBaudDivisor(baud_rate));
  driver_.SetDataCharacteristics(handle_, 8, 0, 0);
  driver_.SetFlowControl(handle_, 0, 0, 0);
  driver_.SetDtr(handle_);
  driver_.SetRts(handle_);
  driver_.SetTimeouts(handle_, 1000, 1000);
  driver_.SetEventNotification(handle_, kFtdiEventRxChar, this);
  return 0;
}

int CUSB::CloseDevice() {
  if (handle_ == kNoFtdiHandle) return -1;
  driver_.SetEventNotification(handle_, 0, this);
  driver_.ClearRts(handle_);
  driver_.ClearDtr(handle_);
  driver_.Close(handle_);
  handle_ = kNoFtdiHandle;
  return 0;
}

bool CUSB::LostOn(int status) {
  if (status != kFtdiDeviceGone || handle_ == kNoFtdiHandle) return false;
  CloseDevice();
  OnDeviceLost();
  return true;
}

void CUSB::ReadAllWaiting() {
  if (handle_ == kNoFtdiHandle) return;
  uint32_t rx = 0;
  uint32_t tx = 0;
  uint32_t events = 0;
  const int status = driver_.GetStatus(handle_, &rx, &tx, &events);
  if (LostOn(status) || status != kFtdiOk || rx == 0) return;
  std::vector<uint8_t>& buffer = read_buffer_;
  buffer.resize(std::min(rx, kMaxReadChunk));
  uint32_t read = 0;
  const int read_status =
      driver_.Read(handle_, buffer.data(), static_cast<uint32_t>(buffer.size()), &read);
  if (LostOn(read_status) || read_status != kFtdiOk) return;
  deframer_.Feed(buffer.data(), std::min<size_t>(read, buffer.size()));
  OnReadDone();
  if (rx > buffer.size()) Signal();  // the rest on the next round
}

bool CUSB::ListDevices(std::vector<UsbDeviceRecord>* devices) {
  devices->clear();
  uint32_t count = 0;
  if (driver_.ListCount(&count) != kFtdiOk) return false;
  devices->resize(count);
  for (uint32_t index = 0; index < count; ++index) {
    UsbDeviceRecord& record = (*devices)[index];
    driver_.ListSerialNumber(index, &record.serial);
    driver_.ListDescription(index, &record.description);
    FtdiHandle handle = kNoFtdiHandle;
    if (driver_.OpenFileBySerialNumber(record.serial, &handle) != kFtdiOk) continue;
    FtdiDeviceInfo info;
    if (driver_.GetDeviceInfo(handle, &info) == kFtdiOk) {
      record.vendor = UsbVendorName(info.id);
      record.product = UsbProductName(info.id);
    }
    driver_.Close(handle);
  }
  return true;
}

}  // namespace qv
