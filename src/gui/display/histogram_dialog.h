#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

namespace qv {

class TraceData;

// Per point, the share of sweeps since the last reset whose level reached the threshold; a
// modeless window of the graph.
class CHistogramDlg : public QDialog {
  Q_OBJECT

 public:
  // The bars take their colour from the current live levels of `trace`.
  explicit CHistogramDlg(const TraceData& trace, QWidget* parent = nullptr);
  ~CHistogramDlg() override;

  // Read by trace processing for every point.
  int16_t Threshold() const { return threshold_; }
  // Once per sweep while the sweep counter is positive.
  void Update(int32_t points, int16_t sweep_counter, const int16_t* counts);
  // From the reference level page: the colour scale runs from the threshold to `level`.
  void SetReferenceLevel(int16_t level);
  // What "Reset " restarts: the graph's sweep counter and histogram counts.
  void SetReset(std::function<void()> reset) { reset_ = std::move(reset); }

 private:
  const TraceData& trace_;
  int16_t threshold_ = -80;
  std::function<void()> reset_;
};

}  // namespace qv
