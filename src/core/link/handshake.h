#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "core/app/timer.h"
#include "core/link/message_decoder.h"

namespace qv {

// Progress codes of the connection handshake and the texts the progress window shows.
enum ProgressCode : int {
  kProgressSerialEstablished = 5,
  kProgressUsbEstablished = 6,
  kProgressInternetEstablished = 7,
  kProgressDhcpEstablished = 8,
  kProgressStaticIpEstablished = 9,
  kProgressFirmwareObtained = 11,
  kProgressSettingDefault = 13,
  kProgressAttempting = 14,
  kProgressBandInfoObtained = 15,
  kProgressClear = 16,
  kProgressCheckConnection = 18,
};

// The text for a code; empty for code 16 and for codes the handshake never posts.
std::string ProgressText(int code);

// The "connection established" code of the link with this interface index (5 … 9).
int EstablishedCode(int interface_index);

// The small caption-less window that shows the handshake's progress.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  virtual void SetProgressText(const std::string& text) = 0;
  virtual void ShowProgress() = 0;
  virtual void HideProgress() = 0;
};

// Runs the handshake's steps in order on the GUI thread without ever blocking it. A progress
// text holds the sequence as long as the progress window would hold a waiting caller (2 s, at
// most 3 s); waits and link openings hold it too; actions run once everything queued before
// them has finished. Answers that arrive while earlier texts still show queue behind them.
class HandshakeSequencer : public HandshakeSteps {
 public:
  // How long each text holds the sequence, and how long the window keeps the two texts that
  // hide it afterwards.
  static constexpr int kTextHoldMs = 2000;
  static constexpr int kCallerWaitMs = 3000;
  static constexpr int kCheckConnectionShowMs = 5000;
  static constexpr int kRequestGapMs = 1000;

  // closing_actions runs after the serial number's texts: the default spectrum and the clock.
  HandshakeSequencer(TimerFactory& timers, ProgressView& view,
                     std::function<void()> closing_actions);
  ~HandshakeSequencer() override;
  HandshakeSequencer(const HandshakeSequencer&) = delete;
  HandshakeSequencer& operator=(const HandshakeSequencer&) = delete;

  // Queues a progress text.
  void Progress(int code);
  // Queues a pause of the sequence.
  void Wait(int ms);
  // Queues an action.
  void Then(std::function<void()> action);
  // Queues an action that finishes later: the sequence resumes when it calls resume (at most
  // once; later calls are ignored).
  void ThenAsync(std::function<void(std::function<void()> resume)> action);
  // The text shown while the closing actions set the spectrum, asked for when it shows; without
  // one, the default spectrum's.
  void SetClosingText(std::function<std::string()> text) { closing_text_ = std::move(text); }
  // Drops everything still queued (a new connection attempt starts afresh).
  void Cancel();
  bool Idle() const { return !running_ && steps_.empty(); }

  // Handshake steps the receive handler triggers.
  void FirmwareStep() override;
  void BandStep() override;
  void ClosingSteps() override;
  void TimeOutStep() override;

 private:
  struct Step {
    enum Kind { kText, kWait, kAction, kAsync } kind;
    int value = 0;
    std::function<void()> action;
    std::function<void(std::function<void()>)> async_action;
  };

  void Push(Step step);
  void RunNext();
  void ShowText(int code);
  void OnHoldEnded();

  ProgressView& view_;
  std::function<void()> closing_actions_;
  std::function<std::string()> closing_text_;
  std::unique_ptr<Timer> hold_timer_;  // holds the sequence
  std::unique_ptr<Timer> hide_timer_;  // hides the window after texts 13 and 18
  std::deque<Step> steps_;
  std::deque<Step> inserted_;  // queued by the action now running
  bool running_ = false;
  bool in_action_ = false;
  bool in_loop_ = false;
  uint64_t generation_ = 0;  // bumped by Cancel so stale resumes are ignored
};

class CConnectionOps;

// Opens a link and reports the outcome once, possibly later (a TCP connect is asynchronous).
using OpenLinkFn = std::function<void(std::function<void(bool opened)> done)>;

// Queues one page's connect step: "Attempting Connection"; only the sheet's active page then
// opens its link: on failure the check-the-connection text, on success the link's text and
// on_opened (set the connected flag, then the identity requests).
void QueueConnectStep(HandshakeSequencer& sequencer, bool is_active_page, int interface_index,
                      OpenLinkFn open_link, std::function<void()> on_opened);

// Queues the identity requests 0x01, 0x08 and 0x02 one second apart, then starts the answer
// time-out. Their send results are ignored: a lost request ends in the time-out.
void QueueIdentityRequests(HandshakeSequencer& sequencer, CConnectionOps& ops,
                           ReceiverMessageHandler& handler);

}  // namespace qv
