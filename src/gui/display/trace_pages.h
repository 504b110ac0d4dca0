#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QString>
#include <array>
#include <cstdint>

#include "core/display/trace_slots.h"
#include "gui/ui/page_context.h"
#include "gui/ui/tab_dialog.h"

namespace qv {

// The "Peak Hold" side panel: one live peak trace at a time, which can be frozen, hidden or
// cleared; frozen peak traces stay drawn while another one runs. Below them the min-hold trace,
// switched, frozen and hidden on its own row; "Clear all" and "Hide All" take it too.
class CPeakHoldTraceDialog : public CTabDialog {
  Q_OBJECT

 public:
  explicit CPeakHoldTraceDialog(PageContext& context, QWidget* parent = nullptr);

  QCheckBox* TraceBox(int slot) const { return trace_boxes_[slot]; }
  QCheckBox* HideBox(int slot) const { return hide_boxes_[slot]; }
  QLabel* Status(int slot) const { return statuses_[slot]; }
  QCheckBox* HideAllBox() const { return hide_all_; }
  QPushButton* FreezeButton() const { return freeze_; }
  QPushButton* ClearAllButton() const { return clear_all_; }
  int CurrentSlot() const { return current_slot_; }
  // The min-hold row: on or off, its state, Hide and its own Freeze.
  QCheckBox* MinBox() const { return min_box_; }
  QCheckBox* MinHideBox() const { return min_hide_; }
  QLabel* MinStatus() const { return min_status_; }
  QPushButton* MinFreezeButton() const { return min_freeze_; }

 signals:
  void TracesChanged();

 private:
  void OnTraceBox(int slot, bool checked);
  void SwitchOff(int slot);
  void SetGroupEnabled(bool on);
  void OnHideAll(bool checked);
  void Freeze();
  void ClearAll();
  void OnMinBox(bool checked);
  void SwitchMinOff();

  TraceData& trace_;
  std::array<QCheckBox*, kTraceSlots> trace_boxes_{};
  std::array<QCheckBox*, kTraceSlots> hide_boxes_{};
  std::array<QLabel*, kTraceSlots> statuses_{};
  QCheckBox* hide_all_ = nullptr;
  QPushButton* freeze_ = nullptr;
  QPushButton* clear_all_ = nullptr;
  int current_slot_ = 0;
  QCheckBox* min_box_ = nullptr;
  QCheckBox* min_hide_ = nullptr;
  QLabel* min_status_ = nullptr;
  QPushButton* min_freeze_ = nullptr;
};

// Freeze and Hide boxes of the four frozen copies of an averaged trace, shared by the two
// averaging pages.
class FrozenSlotBoxes : public QObject {
  Q_OBJECT

 public:
  FrozenSlotBoxes(std::array<FrozenTraceSlot, kTraceSlots>& frozen_slots, QWidget* body,
                  QObject* parent);
  QWidget* Widget() const { return widget_; }
  QCheckBox* FreezeBox(int slot) const { return freeze_[slot]; }
  QCheckBox* HideBox(int slot) const { return hide_[slot]; }

 signals:
  void Changed();

 private:
  std::array<FrozenTraceSlot, kTraceSlots>& slots_;
  QWidget* widget_;
  std::array<QCheckBox*, kTraceSlots> freeze_{};
  std::array<QCheckBox*, kTraceSlots> hide_{};
};

// The controls both averaging pages share: the count field with its arrows, Go, Stop and Hide.
struct AveragingControls {
  QLineEdit* edit = nullptr;
  QPushButton* up = nullptr;
  QPushButton* down = nullptr;
  QPushButton* go = nullptr;
  QPushButton* stop = nullptr;
  QCheckBox* hide_trace = nullptr;
};

// What both averaging pages are made of: the caption, the count controls and the four
// freeze and hide pairs of their frozen slots.
class CAveragingPage : public CTabDialog {
  Q_OBJECT

 public:
  QPushButton* UpButton() const { return c_.up; }
  QPushButton* DownButton() const { return c_.down; }
  QPushButton* GoButton() const { return c_.go; }
  QPushButton* StopButton() const { return c_.stop; }
  QCheckBox* HideTraceBox() const { return c_.hide_trace; }
  FrozenSlotBoxes* Frozen() const { return frozen_; }

 signals:
  void TracesChanged();

 protected:
  CAveragingPage(const QString& title, const QString& caption, PageContext& context,
                 std::array<FrozenTraceSlot, kTraceSlots>& frozen_slots, QWidget* parent);

  TraceData& trace_;
  DisplayState& state_;
  AveragingControls c_{};
  FrozenSlotBoxes* frozen_ = nullptr;
};

// The "Scr Avg" side panel: averaging of the trace over successive sweeps.
class CScrAvgDialog : public CAveragingPage {
  Q_OBJECT

 public:
  static constexpr int32_t kMaxCount = 100;  // depth of the averaging history

  explicit CScrAvgDialog(PageContext& context, QWidget* parent = nullptr);

  int32_t Count() const { return count_; }
  QLineEdit* CountEdit() const { return c_.edit; }

 private:
  void SetCount(int32_t count);

  int32_t count_ = 1;
};

// The "Video Avg" side panel: smoothing over adjacent points of the sweep.
class CVideoSmoothingDialog : public CAveragingPage {
  Q_OBJECT

 public:
  explicit CVideoSmoothingDialog(PageContext& context, QWidget* parent = nullptr);

  int32_t BinCount() const { return state_.bin_count; }
  QLineEdit* BinEdit() const { return c_.edit; }

 private:
  void SetBinCount(int32_t count);
};

// The "Trace Colour" side panel: brightness of the live trace and hiding it.
class CTraceAdjustment : public CTabDialog {
  Q_OBJECT

 public:
  explicit CTraceAdjustment(PageContext& context, QWidget* parent = nullptr);

  QSlider* Slider() const { return slider_; }
  QCheckBox* HideTraceBox() const { return hide_trace_; }

 signals:
  void TracesChanged();

 private:
  DisplayState& state_;
  QSlider* slider_ = nullptr;
  QCheckBox* hide_trace_ = nullptr;
};

}  // namespace qv
