#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/timer.h"
#include "core/display/receiver_identity.h"
#include "core/link/command.h"
#include "core/link/deframer.h"
#include "core/link/sweep_message.h"
#include "sim/core/signal_model.h"

namespace qv::sim {

// Which link the receiver sits behind. Serial and network commands end in a check byte that is
// verified; USB commands carry none.
enum class Transport { kSerial, kNetwork, kUsb };

// The line rate the simulator paces to when no rate is given: 115200 baud, 10 bits per byte.
inline constexpr uint32_t kSerialBytesPerSecond = 11520;
// Largest block we send: keeps every message well inside the program's receive buffer.
inline constexpr uint16_t kMaxBlockSize = 1000;

struct SimOptions {
  uint32_t seed = 1;
  std::string firmware = "1.05";
  std::string serial = "100123";
  std::vector<BandRange> bands = {{18048, 18560}, {48000, 50000}, {98000, 99800}, {103000, 118000}};
  uint16_t block_size = 250;      // points per sweep block, clamped to 1 … kMaxBlockSize
  uint32_t bytes_per_second = 0;  // 0: kSerialBytesPerSecond

  // Faults, for tests of the program's resilience.
  bool silent = false;                // sends nothing at all, answers nor sweeps
  std::vector<uint8_t> drop_answers;  // request opcodes (0x01, 0x02, 0x08) left unanswered
  bool garbage = false;  // noise between frames, and bad escapes inside some sweep blocks
  uint32_t disconnect_after_sweeps = 0;  // 0: never; else disconnect once N sweeps are sent
  bool disconnect_mid_frame = false;     // with the above: send half of one more frame first
  bool low_battery = false;              // every sweep reports low battery
  bool clipping = false;                 // adds a carrier above the reference level
};

// The Receiver in software. Feed it the bytes the program writes; it calls send_framed with the
// framed bytes it answers and streams, paced by a 10 ms timer from the given factory.
class SimulatedReceiver {
 public:
  using SendFunction = std::function<void(const uint8_t*, size_t)>;

  static constexpr int kTickMs = 10;

  SimulatedReceiver(TimerFactory& timers, Transport transport, SimOptions options,
                    SendFunction send_framed);
  ~SimulatedReceiver();
  SimulatedReceiver(const SimulatedReceiver&) = delete;
  SimulatedReceiver& operator=(const SimulatedReceiver&) = delete;

  // Bytes from the program, in arrival order; frames may be split anywhere.
  void Feed(const uint8_t* bytes, size_t n);

  // Called once when the disconnect fault fires; the transport then drops the connection.
  // After that the receiver sends nothing and ignores what it is fed.
  void SetDisconnectHandler(std::function<void()> handler);
  bool Disconnected() const { return disconnected_; }

  // How many bytes the transport still holds unsent. Above a tenth of a second of the rate
  // the link is not keeping up: the stream produced meanwhile is lost, as on a Receiver whose
  // output buffer overflows, and counted in BytesDropped. Without it nothing is ever dropped.
  void SetBacklog(std::function<size_t()> unsent_bytes) { backlog_ = std::move(unsent_bytes); }
  // Milliseconds of a monotonic clock. The rate then follows it rather than the count of
  // ticks, so that late ticks on a busy machine do not slow the stream down.
  void SetWallClock(std::function<int64_t()> now_ms) { wall_clock_ = std::move(now_ms); }
  uint64_t BytesSent() const { return bytes_sent_; }
  uint64_t BytesDropped() const { return bytes_dropped_; }

  // Whole sweeps queued so far (type 6 or type 10), and commands accepted.
  uint64_t SweepsSent() const { return sweeps_; }
  uint64_t CommandsAccepted() const { return commands_; }
  const SimOptions& Options() const { return options_; }

 private:
  void OnCommand(const uint8_t* command, size_t length);
  // A new mode or spectrum: the sweep in progress is dropped and the trigger is re-armed.
  void RestartSweeps();
  // The trigger forgets the last look and any crossing waiting out its delay.
  void RearmTrigger();
  void Answer(uint8_t request, const Bytes& message);
  void QueueMessage(const Bytes& message, bool corrupt);
  void QueueGarbage();
  void Tick();
  void FillQueue(size_t wanted);
  void QueueNextSpectrumBlock();
  void EvaluateTrigger();
  void QueueSweep(uint8_t type, const std::vector<int16_t>& levels);
  // Queues one block of `levels` from point `first`, as long as the block size allows;
  // returns how many points it holds.
  uint16_t QueueBlock(uint8_t type, bool clipping, const std::vector<int16_t>& levels,
                      uint32_t first, bool corrupt);
  std::vector<int16_t> NextModelSweep();
  SweepHeader HeaderFor(uint8_t type, bool clipping) const;
  bool Streaming() const;
  bool Triggering() const;
  // The disconnect fault's sweep count is reached: no more sweeps are queued.
  bool SweepLimitReached() const {
    return options_.disconnect_after_sweeps != 0 && sweeps_ >= options_.disconnect_after_sweeps;
  }
  size_t Pending() const { return queue_.size() - queue_head_; }
  void Disconnect();

  SimOptions options_;
  Transport transport_;
  SendFunction send_;
  std::function<void()> on_disconnect_;
  std::unique_ptr<Deframer> deframer_;
  std::unique_ptr<Timer> tick_;
  SignalModel model_;
  uint32_t rate_;

  // Receiver settings, from the last commands.
  uint8_t mode_ = 0;
  std::optional<SpectrumSettings> spectrum_;
  int16_t reference_level_ = -20;
  std::optional<std::pair<int16_t, uint16_t>> trigger_;  // threshold dBm, delay units

  // Spectrum streaming: the sweep in progress and how many of its points are queued.
  std::vector<int16_t> sweep_levels_;
  uint32_t sweep_next_point_ = 0;
  bool sweep_clipping_ = false;

  // Power trigger: when to look next, whether the last look was above the threshold (unknown
  // right after arming) and a detected crossing waiting out its delay.
  int64_t now_ms_ = 0;
  int64_t next_trigger_eval_ms_ = 0;
  std::optional<bool> above_threshold_;
  std::optional<int64_t> trigger_due_ms_;
  std::vector<int16_t> trigger_levels_;
  uint64_t model_sweep_ = 0;

  std::function<size_t()> backlog_;
  std::function<int64_t()> wall_clock_;
  int64_t last_wall_ms_ = -1;
  uint64_t bytes_sent_ = 0;
  uint64_t bytes_dropped_ = 0;

  Bytes queue_;
  size_t queue_head_ = 0;
  uint64_t credit_millibytes_ = 0;
  uint64_t sweeps_ = 0;
  uint64_t commands_ = 0;
  uint64_t blocks_ = 0;
  uint64_t noise_counter_ = 0;
  bool cut_pending_ = false;
  bool disconnected_ = false;
};

}  // namespace qv::sim
