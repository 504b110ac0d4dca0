#include "link/app/qt_timer.h"

namespace qv {

QtTimer::QtTimer() {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
}

void QtTimer::Start(int period_ms, bool single_shot) {
  timer_.setSingleShot(single_shot);
  timer_.start(period_ms);
}

}  // namespace qv
