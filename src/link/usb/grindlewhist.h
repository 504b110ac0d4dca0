#pragma once

#include <QByteArray>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "core/link/receiver_link.h"
#include "link/app/message_batch.h"
#include "link/app/posted_calls.h"
#include "link/usb/usb_link.h"

namespace qv {

// The USB link as the program uses it: every message the worker de-frames is handed to the
// GUI thread as one queued MessageReceived signal.
class CGrindlewhist : public QObject, public CUSB, public ReceiverLink {
  Q_OBJECT

 public:
  explicit CGrindlewhist(FtdiDriver& driver, QObject* parent = nullptr);
  ~CGrindlewhist() override;

  // Opens the device on the worker (which must run) and returns at once; done(opened) runs
  // later on this object's thread, unless the link is closed or opened again first. The caller
  // bounds how long it waits for it.
  void Open(const std::string& serial, uint32_t baud_rate, std::function<void(bool opened)> done);

  bool Send(const uint8_t* command, size_t length) override { return CUSB::Send(command, length); }
  void Close() override;

  // For the end of the program, which must not hang on a driver call that never returns: ends
  // the link's worker within the stop time-out and frees the link, then the driver. A worker
  // still stuck is left running, and the link and the driver it calls are kept for the rest of
  // the program instead of being freed under it; nothing of theirs reaches anyone any more.
  static void EndOrLeave(std::unique_ptr<CGrindlewhist> link,
                         std::unique_ptr<FtdiDriver> owned_driver);

 signals:
  // One de-framed message, type byte first, emitted on this object's (the GUI) thread. Nothing
  // of a session arrives after Close or a new Open.
  void MessageReceived(const QByteArray& message);
  // The open device went away by itself (unplugged) and the link closed; after the messages
  // received before it, and not at all once the link was closed or opened again meanwhile.
  void DeviceLost();

 protected:
  void OnMessage(const uint8_t* data, size_t length) override;
  void OnReadDone() override;
  void OnDeviceLost() override;
  void OnSessionChange() override { ++session_; }

 private:
  void HandOver(MessageBatch batch);
  // Runs `call` on the GUI thread, in posting order; for the worker thread.
  void PostToGui(std::function<void()> call);
  Q_INVOKABLE void RunPostedToGui();

  PostedCalls gui_posted_;
  // The messages of one read, handed to this object's thread together; worker thread only.
  MessageBatcher batcher_{[this](MessageBatch batch) { HandOver(std::move(batch)); }};
  std::atomic<uint64_t> session_{0};
  // The open waiting for its answer, and which attempt that is; this object's thread only.
  std::function<void(bool)> pending_open_;
  uint64_t open_attempt_ = 0;
};

}  // namespace qv
