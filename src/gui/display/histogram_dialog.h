#pragma once

#include <QDialog>
#include <QImage>
#include <QRgb>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/display/frequency_axis.h"
#include "core/display/gradient.h"
#include "core/display/histogram_scale.h"
#include "core/record/log_scan.h"

class QLabel;
class QLineEdit;

namespace qv {

class TraceData;

// Per point, the share of sweeps since the last reset whose level reached the threshold; a
// modeless window of the graph.
class CHistogramDlg : public QDialog {
  Q_OBJECT

 public:
  // Control ids of the window.
  enum ControlId : int {
    kResetButton = 1280,
    kPictureFrame = 1282,
    kThresholdEdit = 1283,
    kRaiseButton = 1284,
    kLowerButton = 1285,
    kScaleTopLabel = 1402,
    kThresholdLabel = 1403,
  };

  // The bars take their colour from the current live levels of `trace`.
  explicit CHistogramDlg(const TraceData& trace, QWidget* parent = nullptr);
  ~CHistogramDlg() override;

  // Read by trace processing for every point.
  int16_t Threshold() const { return scale_.threshold(); }
  // Once per sweep while the sweep counter is positive: keeps a copy; the bars are drawn when
  // next painted (or read), so a burst of sweeps is drawn once.
  void Update(int32_t points, int16_t sweep_counter, const int16_t* counts);
  // Asks for the paint of a copy not yet drawn; the graph's frame clock calls it once a frame.
  void ShowPending();
  // From the reference level page: the colour scale runs from the threshold to `level`.
  void SetReferenceLevel(int16_t level);
  // A selected time window's counts out of `counter` are shown instead of those since the last
  // reset; no counts go back to those.
  void ShowWindow(std::vector<int16_t> counts, int16_t counter);
  bool ShowingWindow() const { return !window_counts_.empty(); }
  // What "Reset " restarts: the graph's sweep counter and histogram counts.
  void SetReset(std::function<void()> reset) { reset_ = std::move(reset); }

  // The control with this id, or null.
  QWidget* Control(int id) const;
  const CGradient& Gradient() const { return scale_.gradient(); }
  // The bars of the newest copy, the size of the picture frame.
  const QImage& Picture();
  int16_t SweepCounter() const { return sweep_counter_; }
  // The frequency labels under the bars, for the sweep of the newest copy.
  std::vector<AxisLabel> FrequencyLabels() const;

 signals:
  // The threshold was raised, lowered or typed (a window's counts must be made again).
  void ThresholdChanged(int16_t threshold);
  // The sweeps now come with another start, step or point count (a shown window's counts are
  // those of one setting).
  void SweepSettingChanged();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  class Frame;
  class Axis;

  void ScaleChanged();
  void Render();
  void OnReset();

  const TraceData& trace_;
  HistogramScale scale_;
  std::array<QRgb, CGradient::kTableSize> colours_{};
  std::vector<int16_t> counts_;
  int16_t sweep_counter_ = 0;
  std::vector<int16_t> window_counts_;
  int16_t window_counter_ = 0;
  std::optional<LogSweepSetting> setting_;  // of the last copy
  bool stale_ = false;  // a copy not yet drawn
  QImage picture_;
  std::function<void()> reset_;

  Frame* frame_ = nullptr;
  Axis* axis_ = nullptr;
  QLineEdit* threshold_edit_ = nullptr;
  QLabel* threshold_label_ = nullptr;
  QLabel* scale_top_label_ = nullptr;
};

}  // namespace qv
