#include "link/app/loop_gap_probe.h"

#include <algorithm>
#include <utility>

namespace qv {

Q_LOGGING_CATEGORY(lcFrames, "quorvalin.frames", QtWarningMsg)

namespace {
constexpr int kProbeMs = 4;  // well inside a 60 Hz frame
}

LoopGapProbe::LoopGapProbe(QObject* parent) : QObject(parent) {
  if (!lcFrames().isDebugEnabled()) return;
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    const qint64 gap = since_.restart();
    longest_ = std::max(longest_, gap);
    longest_ever_ = std::max(longest_ever_, gap);
  });
  since_.start();
  timer_.start(kProbeMs);
}

LoopGapProbe::~LoopGapProbe() {
  if (On())
    qCDebug(lcFrames, "longest gap between turns of the event loop: %lld ms", longest_ever_);
}

qint64 LoopGapProbe::TakeLongestGap() {
  return std::exchange(longest_, 0);
}

}  // namespace qv
