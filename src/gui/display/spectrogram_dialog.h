#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

namespace qv {

class SpectrogramHistory;

// The waterfall of the last 100 sweeps, a modeless window of the graph.
class CSpectrogramDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CSpectrogramDialog(QWidget* parent = nullptr);
  ~CSpectrogramDialog() override;

  // Once per sweep: keeps a copy of the first `points` rows and repaints.
  void Update(const SpectrogramHistory& history, int32_t points);
  // From the reference level page: maximum = the level, minimum = the level - 100; also the
  // reset values; the history is cleared as "Reset Display" does.
  void SetRange(int16_t maximum, int16_t minimum);
  // What "Reset Display" clears: the graph's spectrogram history.
  void SetClearHistory(std::function<void()> clear) { clear_history_ = std::move(clear); }

 private:
  std::function<void()> clear_history_;
};

}  // namespace qv
