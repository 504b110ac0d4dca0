#include "link/app/qt_timer.h"

#include <chrono>

namespace qv {

QtTimer::QtTimer() {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
}

void QtTimer::Start(int period_ms, bool single_shot) {
  timer_.setSingleShot(single_shot);
  timer_.start(period_ms);
}

int64_t QtTimerFactory::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace qv
