#include "gui/record/log_scan_runner.h"

namespace qv {

CLogScanRunner::CLogScanRunner(QObject* parent) : QObject(parent) {}

CLogScanRunner::~CLogScanRunner() {
  Cancel();
}

void CLogScanRunner::Cancel() {
  cancel_ = true;
  if (thread_.joinable()) thread_.join();
  cancel_ = false;
  ++generation_;
  progress_ = 0;
  result_.reset();
}

void CLogScanRunner::Start(const std::string& path) {
  Cancel();
  const uint64_t generation = generation_;
  thread_ = std::thread([this, path, generation] {
    int64_t shown = -1;  // percent posted last: a hundred calls at most
    const auto progress = [&](uint64_t done, uint64_t total) {
      const int64_t percent = total == 0 ? 100 : static_cast<int64_t>(done * 100 / total);
      if (percent == shown) return;
      shown = percent;
      posted_.PushAndWake(
          [this, generation, percent] {
            if (generation != generation_ || result_) return;
            progress_ = static_cast<double>(percent) / 100.0;
            emit Progressed();
          },
          this, "RunPosted");
    };
    auto scan = std::make_shared<LogFileScan>(ScanLogFile(path, cancel_, progress));
    if (scan->cancelled) return;
    posted_.PushAndWake(
        [this, generation, scan = std::shared_ptr<const LogFileScan>(std::move(scan))] {
          if (generation != generation_) return;
          result_ = scan;
          progress_ = 1;
          emit Finished();
        },
        this, "RunPosted");
  });
}

}  // namespace qv
