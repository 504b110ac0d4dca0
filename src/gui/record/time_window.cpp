#include "gui/record/time_window.h"

#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "core/app/percent_steps.h"
#include "core/link/sweep_message.h"
#include "core/record/log_reader.h"
#include "core/record/window_traces.h"

namespace qv {
namespace {

// Both of a run's visitors fed in one walk.
class BothVisitors : public LogVisitor {
 public:
  BothVisitors(LogVisitor& first, LogVisitor& second) : first_(first), second_(second) {}
  void OnHeader(const LogHeaderInfo& header) override {
    first_.OnHeader(header);
    second_.OnHeader(header);
  }
  void OnRecord(const LogRecordView& record) override {
    first_.OnRecord(record);
    second_.OnRecord(record);
  }

 private:
  LogVisitor& first_;
  LogVisitor& second_;
};

// Passes every record on and tells each whole percent of [from, to) that the walk reaches.
class ProgressVisitor : public LogVisitor {
 public:
  ProgressVisitor(LogVisitor& inner, uint64_t from, uint64_t to, std::function<void(int)> told)
      : inner_(inner), from_(from), span_(to > from ? to - from : 1), told_(std::move(told)) {}
  void OnHeader(const LogHeaderInfo& header) override { inner_.OnHeader(header); }
  void OnRecord(const LogRecordView& record) override {
    inner_.OnRecord(record);
    const uint64_t done = record.offset > from_ ? record.offset - from_ : 0;
    if (const std::optional<int> percent = steps_.Next(done, span_)) told_(*percent);
  }

 private:
  LogVisitor& inner_;
  uint64_t from_;
  uint64_t span_;
  std::function<void(int)> told_;
  PercentSteps steps_;
};

}  // namespace

CTimeWindow::CTimeWindow(QObject* parent) : QObject(parent) {}

CTimeWindow::~CTimeWindow() {
  StopWorker();
}

void CTimeWindow::Select(const std::string& path, uint64_t from_offset, uint64_t to_offset,
                         int32_t threshold) {
  selection_ = Selection{path, from_offset, to_offset, threshold, channel_threshold_};
  Start();
}

void CTimeWindow::SetChannelThreshold(int32_t threshold) {
  channel_threshold_ = threshold;
  if (!selection_ || selection_->channel_threshold == threshold) return;
  selection_->channel_threshold = threshold;
  Start();
}

void CTimeWindow::SetThreshold(int32_t threshold) {
  if (!selection_ || selection_->threshold == threshold) return;
  selection_->threshold = threshold;
  Start();
}

void CTimeWindow::Clear() {
  StopWorker();
  const bool had = selection_ || stats_;
  selection_.reset();
  stats_.reset();
  channels_.reset();
  error_.clear();
  columns_for_.reset();
  columns_.clear();
  if (had) emit Changed();
}

void CTimeWindow::StopWorker() {
  if (worker_ == nullptr) return;
  outcome_->dropped = true;
  worker_->wait();
  delete worker_;
  worker_ = nullptr;
  outcome_.reset();
  ++runs_;
}

void CTimeWindow::Start() {
  StopWorker();
  auto outcome = std::make_shared<Outcome>();
  outcome_ = outcome;
  const Selection run = *selection_;
  const uint64_t run_number = ++runs_;
  // Each percent crosses to the GUI thread on its own; one from a run replaced or ended is
  // dropped there.
  const auto told = [this, run_number](int percent) {
    posted_.PushAndWake(
        [this, run_number, percent] {
          if (run_number != runs_ || worker_ == nullptr) return;
          progress_ = percent;
          emit Progressed();
        },
        this, "RunPosted");
  };
  worker_ = QThread::create([outcome, run, told] {
    auto stats = std::make_unique<LogWindowStats>(run.threshold);
    auto channels = std::make_unique<LogChannelUse>(nullptr, run.channel_threshold);
    BothVisitors both(*stats, *channels);
    // Whole sweeps only, as quorvalin-log counts them: the window's edges and a torn end cut
    // sweeps that would otherwise count.
    LogWholeSweeps sweeps(both);
    ProgressVisitor whole(sweeps, run.from, run.to, told);
    std::string error;
    if (std::FILE* file = std::fopen(run.path.c_str(), "rb")) {
      ScanLogStreamRange(file, run.from, run.to, whole, &error, &outcome->dropped);
      sweeps.Finish();
      std::fclose(file);
    } else {
      error = "cannot open " + run.path;
    }
    const std::lock_guard<std::mutex> hold(outcome->lock);
    outcome->stats = std::move(stats);
    outcome->channels = std::move(channels);
    outcome->error = std::move(error);
  });
  // Ends on the GUI thread: the result is taken there, unless a later run replaced this one.
  connect(
      worker_, &QThread::finished, this,
      [this, run_number] {
        if (run_number == runs_) TakeOutcome();
      },
      Qt::QueuedConnection);
  progress_ = 0;
  worker_->start(QThread::LowPriority);
  emit Progressed();
}

void CTimeWindow::Finish() {
  TakeOutcome();
}

void CTimeWindow::TakeOutcome() {
  if (worker_ == nullptr) return;
  worker_->wait();
  {
    const std::lock_guard<std::mutex> hold(outcome_->lock);
    stats_ = std::move(outcome_->stats);
    channels_ = std::move(outcome_->channels);
    error_ = std::move(outcome_->error);
  }
  delete worker_;
  worker_ = nullptr;
  outcome_.reset();
  columns_for_.reset();
  columns_.clear();
  emit Changed();
}

const std::vector<TraceColumn>& CTimeWindow::Columns(const SweepHeader& header) const {
  const LogSweepSetting shown = SweepSettingOf(header);
  if (columns_for_ != shown) {
    columns_for_ = shown;
    const LogWindowStats::Setting* setting =
        stats_ != nullptr ? WindowSetting(*stats_, shown) : nullptr;
    columns_ = setting != nullptr ? WindowTraceColumns(*setting) : std::vector<TraceColumn>{};
  }
  return columns_;
}

std::vector<int16_t> CTimeWindow::HistogramCounts(const SweepHeader& header,
                                                  int16_t counter) const {
  const LogWindowStats::Setting* setting =
      stats_ != nullptr ? WindowSetting(*stats_, SweepSettingOf(header)) : nullptr;
  return setting != nullptr ? WindowHistogramCounts(*setting, counter) : std::vector<int16_t>{};
}

}  // namespace qv
