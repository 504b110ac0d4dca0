#pragma once

#include <QDialog>
#include <QImage>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/display/average_history.h"
#include "core/display/colour_map.h"
#include "core/display/spectrogram_range.h"
#include "gui/display/waterfall.h"

class QLineEdit;
class QToolButton;
class QPushButton;

namespace qv {

class SpectrogramHistory;
struct SpectrogramLayout;
class WaterfallFrame;

// The waterfall of the last 100 sweeps, a modeless window of the graph.
class CSpectrogramDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CSpectrogramDialog(QWidget* parent = nullptr);
  ~CSpectrogramDialog() override;

  // Once per sweep: the first `points` rows of `history` are due on screen. They are copied
  // when painted, not per sweep, so a burst of sweeps costs one copy; `history` must outlive
  // the dialog or be forgotten first. While the window is hidden the newest rows wait.
  void Update(const SpectrogramHistory& history, int32_t points);
  // Asks for the paint of what is due; the graph's frame clock calls it once a frame.
  void ShowPending();
  void ForgetHistory() { history_ = nullptr; }
  // The sweep the rows belong to, for the frequency axis, and whether the newest row is the top
  // one (reverse replay), for the time axis.
  void SetSweepAxes(uint32_t start, uint16_t sweep_word, bool reverse);
  // The frequency and time axes, the colour scale and "no data" over rows without a sweep;
  // off, the picture is the waterfall alone. Off until the graph switches them on.
  void SetAxesShown(bool shown);
  // From the reference level page: maximum = the level, minimum = the level - 100; also the
  // reset values; the history is cleared as "Reset Display" does.
  void SetRange(int16_t maximum, int16_t minimum);
  // The colours of the waterfall and its colour scale; the Receiver's until chosen otherwise.
  void SetColourMap(ColourMap map);
  ColourMap colour_map() const { return colour_map_; }
  // What "Reset Display" clears: the graph's spectrogram history.
  void SetClearHistory(std::function<void()> clear) { clear_history_ = std::move(clear); }

  const SpectrogramRange& range() const { return range_; }
  // The off-screen picture last painted into the frame.
  const QImage& picture() const { return picture_; }
  bool HasPendingCopy() const { return pending_; }

 private:
  friend class WaterfallFrame;

  void PaintPicture(const QSize& size);
  // The margins: axes, captions and colour scale; redrawn only when what they show changed.
  void PaintAxes(const SpectrogramLayout& layout);
  void PaintNoData(const SpectrogramLayout& layout);
  void RangeChanged();
  void ResetDisplay();

  SpectrogramRange range_;
  ColourMap colour_map_ = ColourMap::kReceiver;
  WaterfallRenderer renderer_;
  std::function<void()> clear_history_;
  const SpectrogramHistory* history_ = nullptr;  // rows due, copied at the next paint
  std::vector<int16_t> slots_;  // slot-major copy of the history
  int32_t points_ = 0;
  std::array<uint8_t, kHistoryDepth> filled_{};  // which copied slots hold a sweep
  uint32_t start_ = 0;
  uint16_t sweep_word_ = 0;
  bool reverse_ = false;
  bool axes_shown_ = false;
  // What the margins were last drawn for.
  struct AxesKey {
    int width = 0, height = 0, maximum = 0, minimum = 0, points = 0;
    ColourMap colour_map = ColourMap::kReceiver;
    uint32_t start = 0;
    uint16_t sweep_word = 0;
    bool reverse = false;
    bool operator==(const AxesKey&) const = default;
  };
  std::optional<AxesKey> painted_axes_;
  bool pending_ = false;  // a copy or a range not yet painted
  QImage picture_;

  WaterfallFrame* frame_ = nullptr;
  QLineEdit* maximum_edit_ = nullptr;
  QLineEdit* minimum_edit_ = nullptr;
};

}  // namespace qv
