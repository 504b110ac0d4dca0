#pragma once

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QObject>
#include <QTimer>

namespace qv {

// How long the event loop went without a turn, the bound on any frame's delay: measured only
// when asked for (QT_LOGGING_RULES="quorvalin.frames.debug=true"), off by default.
Q_DECLARE_LOGGING_CATEGORY(lcFrames)

class LoopGapProbe : public QObject {
 public:
  explicit LoopGapProbe(QObject* parent = nullptr);
  ~LoopGapProbe() override;
  bool On() const { return timer_.isActive(); }
  // The longest time between two turns since the last call (ms), and starts afresh.
  qint64 TakeLongestGap();

 private:
  QTimer timer_;
  QElapsedTimer since_;
  qint64 longest_ = 0;
  qint64 longest_ever_ = 0;
};

}  // namespace qv
