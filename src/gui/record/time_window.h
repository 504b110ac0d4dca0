#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/record/log_channels.h"
#include "core/record/log_scan.h"
#include "core/record/trace_csv.h"
#include "link/app/posted_calls.h"

class QThread;

namespace qv {

struct SweepHeader;

// A time window selected in a played log and its statistics: max hold, min hold, mean and the
// share of sweeps at or above the histogram's threshold per point, and each channel's use. They are worked out on a
// thread of their own from the window's byte range; only the finished result crosses back, and
// nothing here touches the graph's traces.
class CTimeWindow : public QObject {
  Q_OBJECT

 public:
  explicit CTimeWindow(QObject* parent = nullptr);
  ~CTimeWindow() override;

  // The records of `path` starting in [from_offset, to_offset), `from_offset` a record's start,
  // counted against `threshold` (1/16 dBm). A run still going is dropped.
  void Select(const std::string& path, uint64_t from_offset, uint64_t to_offset,
              int32_t threshold);
  // The same window again with another threshold; nothing when none is selected.
  void SetThreshold(int32_t threshold);
  // The level (1/16 dBm) at which a channel counts as busy; a selected window is worked out again.
  void SetChannelThreshold(int32_t threshold);
  void Clear();

  bool Selected() const { return selection_.has_value(); }
  bool Running() const { return worker_ != nullptr; }
  // How far the run going on is (percent of the window's bytes); nullopt when none runs.
  std::optional<int> Progress() const {
    return worker_ != nullptr ? std::optional<int>(progress_) : std::nullopt;
  }
  // The last finished run's statistics, null while none is there.
  const LogWindowStats* Stats() const { return stats_.get(); }
  // The same run's channel use (at the channel threshold, the plan following the window's band).
  const LogChannelUse* Channels() const { return channels_.get(); }
  // What went wrong reading the file in the last run, or empty.
  const std::string& Error() const { return error_; }

  // "Window Max", "Window Min" and "Window Mean" of the setting `header` shows, kept until the
  // statistics or the setting change; empty when the window has none of that setting.
  const std::vector<TraceColumn>& Columns(const SweepHeader& header) const;
  // The histogram's counts of that setting out of `counter`; empty when it has none.
  std::vector<int16_t> HistogramCounts(const SweepHeader& header, int16_t counter) const;

  // Waits for a run going on and takes its result now, as its end would (tests, a scripted
  // export).
  void Finish();

 signals:
  // A run ended with new statistics, or the window was cleared.
  void Changed();
  // The run going on got a percent further, or a run started.
  void Progressed();

 private:
  struct Selection {
    std::string path;
    uint64_t from = 0;
    uint64_t to = 0;
    int32_t threshold = 0;
    int32_t channel_threshold = kDefaultUseThreshold;
  };
  // What a run leaves for the GUI thread, under `lock`.
  struct Outcome {
    std::mutex lock;
    std::unique_ptr<LogWindowStats> stats;
    std::unique_ptr<LogChannelUse> channels;
    std::string error;
    std::atomic<bool> dropped{false};
  };

  Q_INVOKABLE void RunPosted() { posted_.RunAll(); }
  void Start();
  void StopWorker();
  void TakeOutcome();

  std::optional<Selection> selection_;
  int32_t channel_threshold_ = kDefaultUseThreshold;
  std::unique_ptr<LogWindowStats> stats_;
  std::unique_ptr<LogChannelUse> channels_;
  std::string error_;
  QThread* worker_ = nullptr;
  uint64_t runs_ = 0;  // numbers the runs, so that only the last one's end counts
  int progress_ = 0;
  PostedCalls posted_;  // the run's percents, on their way to the GUI thread
  std::shared_ptr<Outcome> outcome_;
  mutable std::optional<LogSweepSetting> columns_for_;
  mutable std::vector<TraceColumn> columns_;
};

}  // namespace qv
