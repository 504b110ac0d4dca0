#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace qv {

// Calls handed from one thread to another and run there in posting order. They pass through
// this locked queue rather than captured in Qt events, so that the hand-over is plain to see
// for thread checkers as well. The owner wakes the receiving thread (a queued invokeMethod)
// after a Push into an empty queue and calls RunAll there.
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
