#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "core/display/colour_map.h"
#include "core/display/overview_axes.h"
#include "core/display/overview_image.h"
#include "core/record/replay_pace.h"

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace qv {

class LogOverview;

// A time window of a log, seconds from its start, both ends inside.
using TimeWindowSeconds = std::pair<int64_t, int64_t>;

// What the timeline shows of a log being played and what it asks of it.
class TimelineSource {
 public:
  virtual ~TimelineSource() = default;
  // A log plays, paused or not: the timeline shows only then.
  virtual bool Playing() const = 0;
  virtual bool Paused() const = 0;
  // Seconds from the log's start to its end; 0 until known.
  virtual int64_t Duration() const = 0;
  // The sweep shown: seconds from the start, and its wall clock (LogClockSeconds) if known.
  virtual int64_t PositionElapsed() const = 0;
  virtual std::optional<int64_t> PositionClock() const = 0;
  // The wall clock (LogClockSeconds) at second 0, if known: the time axis reads it.
  virtual std::optional<int64_t> StartClock() const = 0;
  // The wall clock at an elapsed second, if known.
  virtual std::optional<int64_t> ClockAt(int64_t elapsed) const = 0;
  // How far the selected window's statistics are worked out (percent), while they are.
  virtual std::optional<int> WindowProgress() const = 0;
  // 0 ... 1 while the background scan runs, 1 once it is done.
  virtual double ScanProgress() const = 0;
  // The whole log's cells, rows spanning 0 ... Duration(); null until the scan has them.
  virtual const LogOverview* Overview() const = 0;
  virtual ReplaySpeed Speed() const = 0;
  virtual void SetSpeed(ReplaySpeed speed) = 0;
  virtual void JumpTo(int64_t elapsed_seconds) = 0;
  // One sweep forward (+1) or back (-1), while paused.
  virtual void StepSweep(int direction) = 0;
  // The window whose statistics the graph shows, or none.
  virtual void SelectWindow(std::optional<TimeWindowSeconds> window) = 0;
};

class COverviewStrip;

// The strip under the graph while a log plays: where the sweep shown lies in time, a slider and
// an overview over the whole log, the pace, the steps and the scan's progress.
class CTimelineWidget : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeight = 140;

  explicit CTimelineWidget(QWidget* parent = nullptr);
  ~CTimelineWidget() override;

  // Not owned; null shows nothing.
  void SetSource(TimelineSource* source);
  TimelineSource* Source() const { return source_; }
  // The colour map the overview is drawn in (the spectrogram's); asked whenever the strip is
  // drawn, the picture being made again only when it changed. The range fits the log's levels.
  void SetColourMap(std::function<ColourMap()> map);

  // Where a second of the log lies on the strip, and the second under a strip pixel: the
  // slider's own mapping, so the strip's cursor sits under the slider's handle.
  int StripXOfSecond(int64_t second) const;
  int64_t SecondAtStripX(int x) const;
  // The strip's pixels from the log's start to its end (the handle's centre at either end).
  std::pair<int, int> StripTimeSpan() const;

  // The window selected on the overview, if any.
  std::optional<TimeWindowSeconds> Window() const { return window_; }
  void ClearWindow();

  // The controls, for the keyboard routing and tests.
  QSlider& Slider() const;
  QComboBox& SpeedBox() const { return *speed_; }
  QToolButton& StepBack() const { return *step_back_; }
  QToolButton& StepForward() const { return *step_forward_; }
  QLabel& PositionLabel() const { return *position_; }
  QLabel& ScanLabel() const { return *scan_; }
  QLabel& WindowLabel() const { return *window_label_; }
  COverviewStrip& Strip() const { return *strip_; }

 public slots:
  // The position, the pace, the play state or the scan's progress changed: texts and enables
  // follow; shown only while a log plays.
  void Refresh();
  // The scan has new cells: the overview picture is made again.
  void OverviewChanged();

 signals:
  // Shown or hidden: the view lays the graph out again.
  void ShownChanged(bool shown);

 private:
  friend class COverviewStrip;
  void JumpFromSlider();
  void SetWindow(std::optional<TimeWindowSeconds> window);
  void ShowWindowText();

  TimelineSource* source_ = nullptr;
  std::optional<TimeWindowSeconds> window_;
  bool refreshing_ = false;  // the slider follows the source, which is no jump
  QLabel* position_ = nullptr;
  QLabel* scan_ = nullptr;
  QLabel* window_label_ = nullptr;
  COverviewStrip* strip_ = nullptr;
  QToolButton* step_back_ = nullptr;
  class TimeSlider;
  TimeSlider* slider_ = nullptr;
  QToolButton* step_forward_ = nullptr;
  QComboBox* speed_ = nullptr;
};

// The whole-log waterfall: time along it as on the slider, with the clock's ticks under it,
// frequency up its height with its scale beside it (each setting's part of the log over its own
// frequencies, the scale reading the part under the cursor), the colour scale, the position's
// cursor and the selected window shaded. A click jumps, a drag selects a window.
class COverviewStrip : public QWidget {
  Q_OBJECT

 public:
  explicit COverviewStrip(CTimelineWidget& timeline);

  // The picture of the overview as last made; null without cells.
  const QImage& Picture() const { return picture_; }
  // The colour range (dBm, maximum first) it was made with.
  std::pair<int16_t, int16_t> ColourRange() const { return range_; }
  OverviewStripLayout Layout() const;
  void Invalidate() { made_for_ = {}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Makes the picture again when the cells, the size or the colours changed.
  void MakePicture();
  void PaintScales(QPainter& painter, const OverviewStripLayout& layout);

  CTimelineWidget& timeline_;
  std::function<ColourMap()> colour_map_;
  QImage picture_;
  std::pair<int16_t, int16_t> range_{-20, -80};
  std::vector<OverviewPart> parts_;
  struct MadeFor {
    const LogOverview* overview = nullptr;
    QSize size;
    std::pair<int, int> span;
    ColourMap map = ColourMap::kReceiver;
    bool operator==(const MadeFor&) const = default;
  };
  std::optional<MadeFor> made_for_;
  std::optional<int> press_x_;
  std::optional<int> drag_x_;

  friend class CTimelineWidget;
};

}  // namespace qv
