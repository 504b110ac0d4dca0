#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "core/record/log_file_scan.h"
#include "link/app/posted_calls.h"

namespace qv {

// Scans a log for replay on a thread of its own; the GUI thread never waits for it, except to
// end it, which a cancelled scan allows within a buffer's read. Progress and the result come
// back through posted calls, so only the GUI thread sees them.
class CLogScanRunner : public QObject {
  Q_OBJECT

 public:
  explicit CLogScanRunner(QObject* parent = nullptr);
  ~CLogScanRunner() override;

  // Cancels a scan under way and starts one of `path`.
  void Start(const std::string& path);
  // Cancels the scan under way and forgets its result.
  void Cancel();
  bool Running() const { return thread_.joinable() && !result_; }
  // 0 ... 1 of the scan under way, 1 once done.
  double Progress() const { return progress_; }
  // The finished scan; nullptr before.
  std::shared_ptr<const LogFileScan> Result() const { return result_; }

 signals:
  void Progressed();
  void Finished();

 private:
  Q_INVOKABLE void RunPosted() { posted_.RunAll(); }

  std::thread thread_;
  std::atomic<bool> cancel_{false};
  PostedCalls posted_;
  uint64_t generation_ = 0;  // calls posted by an earlier scan are dropped
  double progress_ = 0;
  std::shared_ptr<const LogFileScan> result_;
};

}  // namespace qv
