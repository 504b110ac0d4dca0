#pragma once

#include <QDialog>
#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/display/spectrogram_range.h"
#include "gui/display/waterfall.h"

class QLineEdit;
class QToolButton;
class QPushButton;

namespace qv {

class SpectrogramHistory;
class WaterfallFrame;

// The waterfall of the last 100 sweeps, a modeless window of the graph.
class CSpectrogramDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CSpectrogramDialog(QWidget* parent = nullptr);
  ~CSpectrogramDialog() override;

  // Once per sweep: keeps a copy of the first `points` rows and repaints. A copy not yet painted
  // is replaced; while the window is hidden the copy waits and is painted when it is shown.
  void Update(const SpectrogramHistory& history, int32_t points);
  // From the reference level page: maximum = the level, minimum = the level - 100; also the
  // reset values; the history is cleared as "Reset Display" does.
  void SetRange(int16_t maximum, int16_t minimum);
  // What "Reset Display" clears: the graph's spectrogram history.
  void SetClearHistory(std::function<void()> clear) { clear_history_ = std::move(clear); }

  const SpectrogramRange& range() const { return range_; }
  // The off-screen picture last painted into the frame.
  const QImage& picture() const { return picture_; }
  bool HasPendingCopy() const { return pending_; }

 private:
  friend class WaterfallFrame;

  void PaintPicture(const QSize& size);
  void RangeChanged();
  void ResetDisplay();

  SpectrogramRange range_;
  WaterfallRenderer renderer_;
  std::function<void()> clear_history_;
  std::vector<int16_t> slots_;  // slot-major copy of the history
  int32_t points_ = 0;
  bool pending_ = false;  // a copy or a range not yet painted
  QImage picture_;

  WaterfallFrame* frame_ = nullptr;
  QLineEdit* maximum_edit_ = nullptr;
  QLineEdit* minimum_edit_ = nullptr;
};

}  // namespace qv
