#include "sim/core/simulated_receiver.h"

#include <algorithm>
#include <utility>

#include "core/link/little_endian.h"
#include "core/link/sweep_message.h"

namespace qv::sim {
namespace {

constexpr int kTriggerEvalMs = 100;
constexpr uint8_t kBadEscape = 0x15;
constexpr size_t kSerialDigits = 6;

std::unique_ptr<Deframer> MakeDeframer(Transport transport, MessageHandler handler) {
  switch (transport) {
    case Transport::kSerial:
      return std::make_unique<SerialDeframer>(std::move(handler));
    case Transport::kNetwork:
      return std::make_unique<NetworkDeframer>(std::move(handler));
    case Transport::kUsb:
      break;
  }
  return std::make_unique<UsbDeframer>(std::move(handler));
}

}  // namespace

SimulatedReceiver::SimulatedReceiver(TimerFactory& timers, Transport transport, SimOptions options,
                                     SendFunction send_framed)
    : options_(std::move(options)),
      transport_(transport),
      send_(std::move(send_framed)),
      model_(options_.seed),
      rate_(options_.bytes_per_second ? options_.bytes_per_second : kSerialBytesPerSecond) {
  options_.block_size = std::clamp<uint16_t>(options_.block_size, 1, kMaxBlockSize);
  deframer_ = MakeDeframer(transport_, [this](const uint8_t* data, size_t length) {
    if (transport_ == Transport::kUsb) {
      OnCommand(data, length);
      return;
    }
    // The last byte is the check byte: a frame that fails it is ignored.
    if (length < 2 || CheckByte(data, length - 1) != data[length - 1]) return;
    OnCommand(data, length - 1);
  });
  tick_ = timers.CreateTimer();
  tick_->SetCallback([this] { Tick(); });
  tick_->Start(kTickMs);
}

SimulatedReceiver::~SimulatedReceiver() = default;

void SimulatedReceiver::SetDisconnectHandler(std::function<void()> handler) {
  on_disconnect_ = std::move(handler);
}

void SimulatedReceiver::Feed(const uint8_t* bytes, size_t n) {
  if (disconnected_ || bytes == nullptr) return;
  deframer_->Feed(bytes, n);
}

void SimulatedReceiver::OnCommand(const uint8_t* c, size_t length) {
  switch (c[0]) {
    case kOpRequestFirmware: {
      Bytes message{kMsgFirmware};
      message.insert(message.end(), options_.firmware.begin(), options_.firmware.end());
      message.push_back(0);  // the byte after the text is not part of it
      Answer(c[0], message);
      break;
    }
    case kOpRequestSerial: {
      Bytes message{kMsgSerialNumber};
      std::string digits = options_.serial.substr(0, kSerialDigits);
      digits.resize(kSerialDigits, '0');
      message.insert(message.end(), digits.begin(), digits.end());
      Answer(c[0], message);
      break;
    }
    case kOpRequestBands: {
      size_t count = std::min<size_t>(options_.bands.size(), 255);
      Bytes message{kMsgBandList, static_cast<uint8_t>(count)};
      for (size_t i = 0; i < count; ++i) {
        PutU32(message, options_.bands[i].start);
        PutU32(message, options_.bands[i].stop);
      }
      Answer(c[0], message);
      break;
    }
    case kOpSetMode:
      if (length < 2) return;
      mode_ = c[1];
      RestartSweeps();
      break;
    case kOpSetSpectrum:
      if (length < 13) return;
      spectrum_ = SpectrumSettings{GetU32(c + 1), GetU32(c + 5), GetU16(c + 9), GetU16(c + 11)};
      if (spectrum_->sweep_word == 0) spectrum_->sweep_word = 1;
      RestartSweeps();
      break;
    case kOpSetReferenceLevel:
      if (length < 3) return;
      reference_level_ = static_cast<int16_t>(GetU16(c + 1));
      break;
    case kOpSetTrigger:
      if (length < 5) return;
      trigger_ = std::make_pair(static_cast<int16_t>(GetU16(c + 1)), GetU16(c + 3));
      RearmTrigger();
      break;
    default:
      return;
  }
  ++commands_;
}

void SimulatedReceiver::RestartSweeps() {
  sweep_levels_.clear();
  sweep_next_point_ = 0;
  RearmTrigger();
}

void SimulatedReceiver::RearmTrigger() {
  above_threshold_.reset();
  trigger_due_ms_.reset();
}

void SimulatedReceiver::Answer(uint8_t request, const Bytes& message) {
  if (options_.silent) return;
  const auto& drop = options_.drop_answers;
  if (std::find(drop.begin(), drop.end(), request) != drop.end()) return;
  QueueMessage(message, false);
}

void SimulatedReceiver::QueueGarbage() {
  uint64_t h = Mix64(options_.seed ^ (++noise_counter_ << 20));
  size_t count = 1 + h % 8;
  for (size_t i = 0; i < count; ++i) {
    h = Mix64(h);
    uint8_t b = static_cast<uint8_t>(h);
    queue_.push_back(b);
    // An escape outside a frame is followed by anything but a frame start.
    if (b == kEscape) queue_.push_back(kBadEscape);
  }
}

void SimulatedReceiver::QueueMessage(const Bytes& message, bool corrupt) {
  if (options_.garbage) QueueGarbage();
  Bytes framed = FrameCommand(message, false);
  if (corrupt && framed.size() > 5) {
    // A bad escape somewhere in the data, never splitting an 11 14 pair.
    size_t at = 2 + Mix64(options_.seed ^ blocks_) % (framed.size() - 4);
    while (at < framed.size() - 2 && framed[at - 1] == kEscape) ++at;
    framed.insert(framed.begin() + static_cast<std::ptrdiff_t>(at), {kEscape, kBadEscape});
  }
  queue_.insert(queue_.end(), framed.begin(), framed.end());
}

bool SimulatedReceiver::Streaming() const {
  return mode_ == kSpectrumMode && spectrum_ && spectrum_->span > 0;
}

bool SimulatedReceiver::Triggering() const {
  return mode_ == kPowerTriggerMode && trigger_ && spectrum_ && spectrum_->span > 0;
}

std::vector<int16_t> SimulatedReceiver::NextModelSweep() {
  const SpectrumSettings& s = *spectrum_;
  float strong = static_cast<float>(reference_level_) + 10.0f;
  return model_.Sweep(model_sweep_++, s.start, s.span, s.sweep_word, s.rbw_code,
                      options_.clipping ? &strong : nullptr);
}

SweepHeader SimulatedReceiver::HeaderFor(uint8_t type, bool clipping) const {
  SweepHeader h;
  h.type = type;
  h.start = spectrum_->start;
  h.points = spectrum_->span;
  h.sweep_word = spectrum_->sweep_word;
  h.rbw_code = spectrum_->rbw_code;
  if (type == kMsgTriggerSweep && trigger_) {
    h.trigger_word1 = static_cast<uint16_t>(trigger_->first);
    h.trigger_word2 = trigger_->second;
  }
  h.reference_level = reference_level_;
  h.status = static_cast<uint8_t>((clipping ? kStatusDataClipping : 0) |
                                  (options_.low_battery ? kStatusLowBattery : 0));
  return h;
}

static bool AnyAbove(const std::vector<int16_t>& levels, int16_t reference_dbm) {
  const int32_t limit = static_cast<int32_t>(reference_dbm) * 16;
  return std::any_of(levels.begin(), levels.end(), [&](int16_t v) { return v > limit; });
}

uint16_t SimulatedReceiver::QueueBlock(uint8_t type, bool clipping,
                                       const std::vector<int16_t>& levels, uint32_t first,
                                       bool corrupt) {
  const SpectrumSettings& s = *spectrum_;
  const auto count =
      static_cast<uint16_t>(std::min<size_t>(options_.block_size, levels.size() - first));
  SweepHeader h = HeaderFor(type, clipping);
  h.block_frequency = s.start + first * s.sweep_word;
  ++blocks_;
  QueueMessage(BuildSweepBlock(h, levels.data() + first, count), corrupt);
  return count;
}

void SimulatedReceiver::QueueNextSpectrumBlock() {
  if (sweep_levels_.empty()) {
    sweep_levels_ = NextModelSweep();
    sweep_next_point_ = 0;
    sweep_clipping_ = AnyAbove(sweep_levels_, reference_level_);
  }
  const bool corrupt = options_.garbage && Mix64(options_.seed ^ (blocks_ << 8)) % 8 == 0;
  sweep_next_point_ +=
      QueueBlock(kMsgSweep, sweep_clipping_, sweep_levels_, sweep_next_point_, corrupt);
  if (sweep_next_point_ >= sweep_levels_.size()) {
    sweep_levels_.clear();
    sweep_next_point_ = 0;
    ++sweeps_;
  }
}

void SimulatedReceiver::QueueSweep(uint8_t type, const std::vector<int16_t>& levels) {
  const bool clipping = AnyAbove(levels, reference_level_);
  for (uint32_t next = 0; next < levels.size();) {
    next += QueueBlock(type, clipping, levels, next, false);
  }
  ++sweeps_;
}

void SimulatedReceiver::EvaluateTrigger() {
  if (now_ms_ >= next_trigger_eval_ms_) {
    next_trigger_eval_ms_ = now_ms_ + kTriggerEvalMs;
    std::vector<int16_t> levels = NextModelSweep();
    const int32_t limit = static_cast<int32_t>(trigger_->first) * 16;
    bool above = std::any_of(levels.begin(), levels.end(), [&](int16_t v) { return v >= limit; });
    if (above && above_threshold_ == false && !trigger_due_ms_) {
      // Delay units are 12.5 ns; a crossing is reported once the delay has passed.
      int64_t delay_ns = static_cast<int64_t>(trigger_->second) * 25 / 2;
      trigger_due_ms_ = now_ms_ + (delay_ns + 999999) / 1000000;
      trigger_levels_ = std::move(levels);
    }
    above_threshold_ = above;
  }
  if (trigger_due_ms_ && now_ms_ >= *trigger_due_ms_) {
    trigger_due_ms_.reset();
    QueueSweep(kMsgTriggerSweep, trigger_levels_);
  }
}

void SimulatedReceiver::FillQueue(size_t wanted) {
  if (options_.silent || SweepLimitReached()) return;
  if (Triggering()) EvaluateTrigger();
  while (Streaming() && Pending() < wanted && !SweepLimitReached()) QueueNextSpectrumBlock();
}

void SimulatedReceiver::Tick() {
  now_ms_ += kTickMs;
  if (disconnected_) return;
  int64_t elapsed_ms = kTickMs;
  if (wall_clock_) {
    const int64_t wall = wall_clock_();
    // A stalled process earns at most a second of stream, not a flood.
    if (last_wall_ms_ >= 0) elapsed_ms = std::clamp<int64_t>(wall - last_wall_ms_, 0, 1000);
    last_wall_ms_ = wall;
  }
  credit_millibytes_ += static_cast<uint64_t>(rate_) * static_cast<uint64_t>(elapsed_ms);
  size_t budget = static_cast<size_t>(credit_millibytes_ / 1000);
  const size_t backlog_limit = std::max<size_t>(rate_ / 10, 4096);
  if (backlog_ && backlog_() > backlog_limit) {
    // The link is full: what the Receiver measured meanwhile is lost.
    if (Streaming()) bytes_dropped_ += budget;
    credit_millibytes_ %= 1000;
    return;
  }
  FillQueue(budget);

  if (SweepLimitReached() && Pending() == 0) {
    if (!options_.disconnect_mid_frame || cut_pending_) {
      Disconnect();
      return;
    }
    // Leave the link in the middle of a frame: half of one more message, then nothing.
    cut_pending_ = true;
    size_t before = queue_.size();
    if (Streaming()) {
      QueueNextSpectrumBlock();
    } else {
      QueueMessage(Bytes{kMsgFirmware, '1', '.', '0', '0', 0}, false);
    }
    queue_.resize(before + (queue_.size() - before) / 2);
  }

  size_t n = std::min(budget, Pending());
  if (n > 0) {
    size_t at = queue_head_;
    queue_head_ += n;
    credit_millibytes_ -= static_cast<uint64_t>(n) * 1000;
    bytes_sent_ += n;
    send_(queue_.data() + at, n);
  }
  if (Pending() == 0) {
    // Idle time earns no burst later.
    queue_.clear();
    queue_head_ = 0;
    credit_millibytes_ %= 1000;
  } else if (queue_head_ > 65536) {
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(queue_head_));
    queue_head_ = 0;
  }
}

void SimulatedReceiver::Disconnect() {
  disconnected_ = true;
  tick_->Stop();
  queue_.clear();
  queue_head_ = 0;
  if (on_disconnect_) on_disconnect_();
}

}  // namespace qv::sim
