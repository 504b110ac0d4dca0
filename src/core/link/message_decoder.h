#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/app/timer.h"

namespace qv {

class CConnectionOps;

// Where received messages are recorded: the log file while logging is on, and the raw identity
// bytes the log header carries.
class ReceiveLog {
 public:
  virtual ~ReceiveLog() = default;
  virtual bool IsLogging() const = 0;
  virtual void WriteMessageRecord(const uint8_t* message, size_t length) = 0;
  virtual void SetFirmwareBytes(const uint8_t* bytes, size_t count) = 0;
  virtual void SetSerialBytes(const uint8_t* bytes, size_t count) = 0;
};

// The trace record as seen from the receive path. Both calls must cope with any length.
class SweepProcessor {
 public:
  virtual ~SweepProcessor() = default;
  virtual void ProcessSweepBlock(const uint8_t* message, size_t length) = 0;
  virtual void ReadBandList(const uint8_t* message, size_t length) = 0;
  // Status bit 1 of the latest sweep block.
  virtual bool LowBatteryFlag() const = 0;
  // Forgets that flag: it belonged to a Receiver that is no longer connected.
  virtual void ClearLowBatteryFlag() = 0;
};

// The connection handshake's reactions to the identity answers and to their absence.
class HandshakeSteps {
 public:
  virtual ~HandshakeSteps() = default;
  virtual void FirmwareStep() = 0;
  virtual void BandStep() = 0;
  // After the serial number: the closing texts, the default spectrum, the running-time clock.
  virtual void ClosingSteps() = 0;
  virtual void TimeOutStep() = 0;
};

// The graph window and the program around it.
class ReceiveView {
 public:
  virtual ~ReceiveView() = default;
  virtual void SetStatusPaneText(int pane_id, const std::string& text) = 0;
  virtual void SetModeFlags(bool spectrum_mode, bool power_trigger_mode) = 0;
  // Resets the time since the last trigger and shows that a trigger arrived.
  virtual void TriggerArrived() = 0;
  // While printing, sweeps are processed but not drawn.
  virtual bool IsPrinting() const = 0;
  virtual void Repaint() = 0;
  virtual void Quit(int exit_code) = 0;
  // Seconds the Receiver has been silent; 0 when data flows. Silence is a fault while sweeps
  // should stream, and the normal wait in power-trigger mode (`waiting_for_trigger`). The view
  // shows it at once, as no sweep comes to repaint.
  virtual void SetDataSilence(int /*seconds*/, bool /*waiting_for_trigger*/) {}
};

inline constexpr int kHandshakeTimeoutMs = 6000;
inline constexpr int kBatteryTickMs = 1000;
inline constexpr int kTriggerClockMs = 1000;
inline constexpr int kLowBatterySeconds = 30;
inline constexpr int kLowBatteryExitCode = 22;
inline constexpr int kSilenceTickMs = 1000;
// A streaming Receiver sends several sweeps a second; this long without one is a fault (or, in
// power-trigger mode, a wait worth showing).
inline constexpr int kSilenceWarningSeconds = 5;

// Decodes each message a link delivers and owns the timers that belong to receiving: the
// handshake time-out, the low-battery countdown and the clock of the time since the last trigger.
class ReceiverMessageHandler {
 public:
  // Links never deliver more than this; anything longer is dropped.
  static constexpr size_t kReceiveBufferSize = 4096;

  ReceiverMessageHandler(TimerFactory& timers, ReceiveLog& log, SweepProcessor& sweeps,
                         HandshakeSteps& handshake, ReceiveView& view);
  ~ReceiverMessageHandler();
  ReceiverMessageHandler(const ReceiverMessageHandler&) = delete;
  ReceiverMessageHandler& operator=(const ReceiverMessageHandler&) = delete;

  // The operations whose CloseLink ends a timed-out handshake; null while there is none.
  void SetConnection(CConnectionOps* connection) { connection_ = connection; }

  void OnReceiverMessage(const uint8_t* message, size_t length);

  // Called after the identity requests have gone out.
  void StartHandshakeTimeout();

  // The graph owns what the trigger clock does on each tick; this handler only stops and
  // restarts it around each trigger.
  Timer& TriggerClock() { return *trigger_clock_; }
  // Trigger mode was set: the clock runs, and the watch counts the wait for the first trigger.
  void StartTriggerClock();
  const Timer& HandshakeTimer() const { return *handshake_timer_; }

  // New settings and a closed link pause the stream: the watch stops until sweeps flow again,
  // except in power-trigger mode on a connected link, where the wait counts anew from now.
  void StopDataWatch();
  // A new setting's first sweep is awaited: in power-trigger mode the wait counts on screen
  // every second from now, not only after the silence warning's delay.
  void AwaitFirstSweep() { awaiting_first_ = true; }
  int SilentSeconds() const { return silent_seconds_; }
  // The mode last sent is power-trigger mode: silence is the Receiver waiting, not a fault.
  bool WaitingForTrigger() const;

  // The link was closed or lost. The low-battery countdown is about the connected Receiver's
  // battery: its flag and the countdown start afresh, and the warning goes away.
  void OnLinkClosed();

  const uint8_t* Message() const { return buffer_.data(); }
  size_t MessageLength() const { return length_; }
  uint8_t MessageType() const { return type_; }
  const std::string& FirmwareText() const { return firmware_text_; }
  const std::string& SerialText() const { return serial_text_; }
  int LowBatteryCountdown() const { return low_battery_countdown_; }

 private:
  void OnFirmware();
  void OnBandList();
  void OnSerialNumber();
  void OnSweep(bool power_trigger);
  void OnHandshakeTimeout();
  void OnBatteryTick();
  void OnSilenceTick();
  bool Connected() const;

  ReceiveLog& log_;
  SweepProcessor& sweeps_;
  HandshakeSteps& handshake_;
  ReceiveView& view_;
  CConnectionOps* connection_ = nullptr;

  std::unique_ptr<Timer> handshake_timer_;  // graph timer 3
  std::unique_ptr<Timer> battery_timer_;    // graph timer 21
  std::unique_ptr<Timer> trigger_clock_;    // graph timer 2
  std::unique_ptr<Timer> silence_timer_;    // seconds since the last message while streaming

  std::array<uint8_t, kReceiveBufferSize> buffer_{};
  size_t length_ = 0;
  uint8_t type_ = 0;
  std::string firmware_text_;
  std::string serial_text_;
  int low_battery_countdown_ = kLowBatterySeconds;
  // Status bit 1 of the latest sweep the connected Receiver sent. Only that counts down: the
  // record's own flag may also come from a log played back.
  bool receiver_low_battery_ = false;
  // Whole ticks since the last message; the first tick may come at once, so the silence is at
  // least one less than this.
  int silence_ticks_ = 0;
  int silent_seconds_ = 0;  // shown; 0 while data flows
  bool awaiting_first_ = false;
};

}  // namespace qv
