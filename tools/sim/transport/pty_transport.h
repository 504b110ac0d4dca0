#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <memory>

#include "link/app/qt_timer.h"
#include "sim/core/simulated_receiver.h"

namespace qv::sim {

// The serial link through a pseudo-terminal: the program opens the slave device as its port.
class PtyTransport : public QObject {
  Q_OBJECT

 public:
  explicit PtyTransport(SimOptions options, QObject* parent = nullptr);
  ~PtyTransport() override;

  bool Open(QString* error);
  QString SlavePath() const { return slave_path_; }
  // A symbolic link `link` to the slave device, replacing an earlier link of that name.
  bool CreateLink(const QString& link, QString* error);
  const SimulatedReceiver* Receiver() const { return receiver_.get(); }

 private:
  void OnReadable();

  SimOptions options_;
  QtTimerFactory timers_;
  int master_ = -1;
  int slave_keep_ = -1;  // held open so the master never sees a hang-up between users
  QString slave_path_;
  QString link_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<SimulatedReceiver> receiver_;
};

}  // namespace qv::sim
