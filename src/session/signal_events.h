#pragma once

#include <QObject>
#include <initializer_list>

class QSocketNotifier;

namespace qv {

// Turns Unix signals into a signal on the event loop, so that what they ask for (closing a log
// with its end record, beginning the next file) runs like any other event and never inside the
// handler. One instance per process.
class SignalEvents : public QObject {
  Q_OBJECT

 public:
  explicit SignalEvents(std::initializer_list<int> signals_caught, QObject* parent = nullptr);
  ~SignalEvents() override;
  // False when the self-pipe could not be made: the signals keep their default action.
  bool Ok() const { return notifier_ != nullptr; }

 signals:
  void Received(int signal_number);

 private:
  void Drain();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace qv
