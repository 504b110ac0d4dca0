#include "core/record/replay_pace.h"

namespace qv {

std::optional<ReplaySpeed> ParseReplaySpeed(std::string_view text) {
  if (text == "1") return ReplaySpeed::k1;
  if (text == "4") return ReplaySpeed::k4;
  if (text == "16") return ReplaySpeed::k16;
  if (text == "64") return ReplaySpeed::k64;
  if (text == "256") return ReplaySpeed::k256;
  if (text == "max") return ReplaySpeed::kMax;
  return std::nullopt;
}

int SpeedFactor(ReplaySpeed speed) {
  switch (speed) {
    case ReplaySpeed::k1:
      return 1;
    case ReplaySpeed::k4:
      return 4;
    case ReplaySpeed::k16:
      return 16;
    case ReplaySpeed::k64:
      return 64;
    case ReplaySpeed::k256:
      return 256;
    default:
      return 0;
  }
}

double ReplayPace::Target(int64_t now_ms) const {
  return anchor_elapsed_ + static_cast<double>(now_ms - anchor_ms_) * SpeedFactor(speed_) / 1000.0;
}

bool ReplayPace::Due(double elapsed, int64_t now_ms) const {
  return speed_ == ReplaySpeed::kMax || SpeedFactor(speed_) == 0 || elapsed <= Target(now_ms);
}

bool ReplayPace::FallenBehind(double shown, int64_t now_ms) const {
  const int factor = SpeedFactor(speed_);
  // Always more than a second of the log: skipping within a second gains nothing.
  const double lag = static_cast<double>(factor) * kMaxLagMs / 1000.0;
  return factor != 0 && Target(now_ms) - shown > (lag > 1.0 ? lag : 1.0);
}

}  // namespace qv
