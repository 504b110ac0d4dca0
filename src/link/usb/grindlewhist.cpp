#include "link/usb/grindlewhist.h"

#include <utility>
#include <vector>

namespace qv {

CGrindlewhist::CGrindlewhist(FtdiDriver& driver, QObject* parent) : QObject(parent), CUSB(driver) {}

CGrindlewhist::~CGrindlewhist() {
  // The worker calls OnMessage, so it must end while this part of the object still exists.
  EndWorker();
}

void CGrindlewhist::Open(const std::string& serial, uint32_t baud_rate,
                         std::function<void(bool)> done) {
  pending_open_ = std::move(done);
  const uint64_t attempt = ++open_attempt_;
  // The answer comes on the worker; only the attempt number travels, the caller's callback
  // stays on this thread.
  OpenAsync(serial, baud_rate, [this, attempt](bool opened) {
    PostToGui([this, attempt, opened] {
      if (attempt != open_attempt_) return;
      if (auto done = std::exchange(pending_open_, nullptr)) done(opened);
    });
  });
}

void CGrindlewhist::Close() {
  ++open_attempt_;
  pending_open_ = nullptr;
  CUSB::Close();
}

void CGrindlewhist::EndOrLeave(std::unique_ptr<CGrindlewhist> link,
                               std::unique_ptr<FtdiDriver> owned_driver) {
  if (link->EndWorkerWithin(kWorkerStopTimeoutMs)) {
    link.reset();  // before the driver it calls
    return;
  }
  link->LeaveWorker();
  link->disconnect();
  link->pending_open_ = nullptr;
  ++link->open_attempt_;
  struct Left {
    std::unique_ptr<CGrindlewhist> link;
    std::unique_ptr<FtdiDriver> driver;
  };
  // Never freed, on purpose: the stuck worker may come back and use both.
  static auto* const left = new std::vector<Left>;
  left->push_back({std::move(link), std::move(owned_driver)});
}

void CGrindlewhist::OnMessage(const uint8_t* data, size_t length) {
  batcher_.Add(session_.load(), data, length);
}

void CGrindlewhist::OnReadDone() {
  batcher_.Flush();
}

void CGrindlewhist::OnDeviceLost() {
  PostToGui([this, session = session_.load()] {
    if (session == session_.load()) emit DeviceLost();
  });
}

void CGrindlewhist::HandOver(MessageBatch batch) {
  // Runs on the worker; the hand-over checks the session on the GUI thread, where Close runs.
  PostToGui([this, batch = std::move(batch)] {
    for (const QByteArray& message : batch.messages) {
      if (batch.session != session_.load()) return;
      emit MessageReceived(message);
    }
  });
}

void CGrindlewhist::PostToGui(std::function<void()> call) {
  gui_posted_.PushAndWake(std::move(call), this, "RunPostedToGui");
}

void CGrindlewhist::RunPostedToGui() {
  gui_posted_.RunAll();
}

}  // namespace qv
