#include "gui/record/log_scan_runner.h"

#include "core/app/percent_steps.h"

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
    PercentSteps steps;
    const auto progress = [&](uint64_t done, uint64_t total) {
      const std::optional<int> percent = steps.Next(done, total);
      if (!percent) return;
      posted_.PushAndWake(
          [this, generation, percent = *percent] {
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
