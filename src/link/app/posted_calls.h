#pragma once

#include <QMetaObject>
#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace qv {

// Calls handed from one thread to another and run there in posting order. They pass through
// this locked queue rather than captured in Qt events, so that the hand-over is plain to see
// for thread checkers as well: the distribution's Qt is not built for ThreadSanitizer, so the
// lock inside its event queue is invisible, and a lambda handed to invokeMethod would look
// like a race between the thread that built it and the one that ran and freed it. The
// receiving thread is woken only after a Push into an empty queue.
class PostedCalls {
 public:
  // Safe from any thread. True when the queue was empty: only then does the receiving thread
  // need waking, since a RunAll under way or already asked for takes this call too.
  bool Push(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    const bool was_empty = calls_.empty();
    calls_.push_back(std::move(call));
    return was_empty;
  }

  // Pushes `call` and wakes the thread of `receiver`, whose invokable method `run_all` calls
  // RunAll there. The wake-up is queued by name, so Qt builds it itself and it carries nothing
  // of ours. Safe from any thread.
  void PushAndWake(std::function<void()> call, QObject* receiver, const char* run_all) {
    if (Push(std::move(call))) QMetaObject::invokeMethod(receiver, run_all, Qt::QueuedConnection);
  }

  // Runs every call queued, including any the calls post themselves; the lock is not held
  // while a call runs.
  void RunAll() {
    for (;;) {
      std::function<void()> call;
      {
        std::lock_guard lock(mutex_);
        if (calls_.empty()) return;
        call = std::move(calls_.front());
        calls_.pop_front();
      }
      call();
    }
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
};

}  // namespace qv
