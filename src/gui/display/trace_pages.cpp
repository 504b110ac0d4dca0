#include "gui/display/trace_pages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "core/display/trace_colour.h"
#include "gui/ui/arrow_captions.h"
#include "gui/ui/page_buttons.h"

namespace qv {
namespace {

const char* const kPeakTraceCaptions[kTraceSlots] = {
    "Trace 1 (Orange):", "Trace 2 (Yellow):", "Trace 3 (Blue):", "Trace 4 (Red):"};

QCheckBox* NewCheckBox(const QString& caption, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setFocusPolicy(Qt::NoFocus);
  return box;
}

// Sets a box without running its handler: the page changes boxes as a result of other boxes.
void SetChecked(QCheckBox* box, bool checked) {
  const QSignalBlocker block(box);
  box->setChecked(checked);
}

}  // namespace

// --- Peak hold ---------------------------------------------------------------------------------

CPeakHoldTraceDialog::CPeakHoldTraceDialog(PageContext& context, QWidget* parent)
    : CTabDialog(QStringLiteral("Peak Hold"), context.timers, parent), trace_(context.trace) {
  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setSpacing(3);
  for (int k = 0; k < kTraceSlots; ++k) {
    trace_boxes_[k] = NewCheckBox(QString::fromLatin1(kPeakTraceCaptions[k]), Body());
    statuses_[k] = new QLabel(QStringLiteral("Disabled"), Body());
    hide_boxes_[k] = NewCheckBox(QStringLiteral("  Hide"), Body());
    hide_boxes_[k]->setEnabled(false);
    grid->addWidget(trace_boxes_[k], k, 0);
    grid->addWidget(statuses_[k], k, 1);
    grid->addWidget(hide_boxes_[k], k, 2);
    connect(trace_boxes_[k], &QCheckBox::toggled, this, [this, k](bool checked) {
      OnTraceBox(k, checked);
      emit TracesChanged();
    });
    connect(hide_boxes_[k], &QCheckBox::toggled, this, [this, k](bool checked) {
      trace_.peaks[k].hidden = checked ? 1 : 0;
      emit TracesChanged();
    });
  }
  hide_all_ = NewCheckBox(QStringLiteral("  Hide All"), Body());
  freeze_ = NewPageButton(QStringLiteral("Freeze"), Body());
  clear_all_ = NewPageButton(QStringLiteral("Clear all"), Body());
  grid->addWidget(freeze_, kTraceSlots, 0);
  grid->addWidget(clear_all_, kTraceSlots, 1);
  grid->addWidget(hide_all_, kTraceSlots, 2);
  min_box_ = NewCheckBox(QStringLiteral("Min Hold (Cyan):"), Body());
  min_status_ = new QLabel(QStringLiteral("Disabled"), Body());
  min_hide_ = NewCheckBox(QStringLiteral("  Hide"), Body());
  min_freeze_ = NewPageButton(QStringLiteral("Freeze Min"), Body());
  grid->addWidget(min_box_, kTraceSlots + 1, 0);
  grid->addWidget(min_status_, kTraceSlots + 1, 1);
  grid->addWidget(min_hide_, kTraceSlots + 1, 2);
  grid->addWidget(min_freeze_, kTraceSlots + 2, 0);
  SwitchMinOff();
  connect(min_box_, &QCheckBox::toggled, this, [this](bool checked) {
    OnMinBox(checked);
    emit TracesChanged();
  });
  connect(min_hide_, &QCheckBox::toggled, this, [this](bool checked) {
    trace_.min_hold.hidden = checked ? 1 : 0;
    emit TracesChanged();
  });
  connect(min_freeze_, &QPushButton::clicked, this, [this] {
    trace_.min_hold.frozen = 1;
    trace_.min_hold.live = 0;
    min_status_->setText(QStringLiteral("Frozen"));
    min_freeze_->setEnabled(false);
    emit TracesChanged();
  });
  SetGroupEnabled(false);
  connect(hide_all_, &QCheckBox::toggled, this, [this](bool checked) {
    OnHideAll(checked);
    emit TracesChanged();
  });
  connect(freeze_, &QPushButton::clicked, this, [this] {
    Freeze();
    emit TracesChanged();
  });
  connect(clear_all_, &QPushButton::clicked, this, [this] {
    ClearAll();
    emit TracesChanged();
  });
  InitPage();
}

void CPeakHoldTraceDialog::SetGroupEnabled(bool on) {
  freeze_->setEnabled(on);
  hide_all_->setEnabled(on);
  clear_all_->setEnabled(on);
}

void CPeakHoldTraceDialog::SwitchOff(int slot) {
  PeakSlot& peak = trace_.peaks[slot];
  peak.live = 0;
  peak.frozen = 0;
  // The Hide box is cleared with the slot, so its flag goes too.
  peak.hidden = 0;
  SetChecked(trace_boxes_[slot], false);
  SetChecked(hide_boxes_[slot], false);
  hide_boxes_[slot]->setEnabled(false);
  statuses_[slot]->setText(QStringLiteral("Disabled"));
}

void CPeakHoldTraceDialog::OnTraceBox(int slot, bool checked) {
  if (checked) {
    // Only one peak trace runs; frozen ones stay as they are.
    for (int k = 0; k < kTraceSlots; ++k) {
      if (k == slot) continue;
      trace_.peaks[k].live = 0;
      if (trace_.peaks[k].frozen == 0) SwitchOff(k);
    }
    trace_.peaks[slot].live = 1;
    trace_.StartPeakTrace(slot);
    statuses_[slot]->setText(QStringLiteral("Live"));
    hide_boxes_[slot]->setEnabled(true);
    SetGroupEnabled(true);
    current_slot_ = slot;
    return;
  }
  SwitchOff(slot);
  const bool any = std::any_of(trace_boxes_.begin(), trace_boxes_.end(),
                               [](const QCheckBox* box) { return box->isChecked(); });
  if (!any) SetGroupEnabled(false);
}

void CPeakHoldTraceDialog::SwitchMinOff() {
  MinHoldSlot& min = trace_.min_hold;
  min.live = 0;
  min.frozen = 0;
  min.hidden = 0;
  SetChecked(min_box_, false);
  SetChecked(min_hide_, false);
  min_hide_->setEnabled(false);
  min_freeze_->setEnabled(false);
  min_status_->setText(QStringLiteral("Disabled"));
}

void CPeakHoldTraceDialog::OnMinBox(bool checked) {
  if (!checked) {
    SwitchMinOff();
    return;
  }
  trace_.min_hold.live = 1;
  trace_.min_hold.frozen = 0;
  trace_.StartMinHold();
  min_status_->setText(QStringLiteral("Live"));
  min_hide_->setEnabled(true);
  min_freeze_->setEnabled(true);
}

void CPeakHoldTraceDialog::OnHideAll(bool checked) {
  for (int k = 0; k < kTraceSlots; ++k) {
    PeakSlot& peak = trace_.peaks[k];
    if (peak.live == 0 && peak.frozen == 0) continue;
    peak.hidden = checked ? 1 : 0;
    SetChecked(hide_boxes_[k], checked);
  }
  if (trace_.min_hold.live != 0 || trace_.min_hold.frozen != 0) {
    trace_.min_hold.hidden = checked ? 1 : 0;
    SetChecked(min_hide_, checked);
  }
}

void CPeakHoldTraceDialog::Freeze() {
  PeakSlot& peak = trace_.peaks[current_slot_];
  peak.frozen = 1;
  peak.live = 0;
  statuses_[current_slot_]->setText(QStringLiteral("Frozen"));
}

void CPeakHoldTraceDialog::ClearAll() {
  for (int k = 0; k < kTraceSlots; ++k) SwitchOff(k);
  SetChecked(hide_all_, false);
  SetGroupEnabled(false);
  // The min hold is a running measurement: cleared, it starts over rather than going off.
  if (trace_.min_hold.live != 0 || trace_.min_hold.frozen != 0) {
    trace_.min_hold.hidden = 0;
    SetChecked(min_hide_, false);
    OnMinBox(true);
  }
}

// --- Frozen copies of the averaged traces -------------------------------------------------------

FrozenSlotBoxes::FrozenSlotBoxes(std::array<FrozenTraceSlot, kTraceSlots>& frozen_slots,
                                 QWidget* body, QObject* parent)
    : QObject(parent), slots_(frozen_slots), widget_(new QWidget(body)) {
  auto* grid = new QGridLayout(widget_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(3);
  for (int k = 0; k < kTraceSlots; ++k) {
    freeze_[k] = NewCheckBox(QStringLiteral("Freeze %1").arg(k + 1), widget_);
    hide_[k] = NewCheckBox(QStringLiteral("Hide %1").arg(k + 1), widget_);
    hide_[k]->setEnabled(false);
    grid->addWidget(freeze_[k], k, 0);
    grid->addWidget(hide_[k], k, 1);
    connect(freeze_[k], &QCheckBox::toggled, this, [this, k](bool checked) {
      FrozenTraceSlot& slot = slots_[k];
      if (checked) {
        slot.frozen = 1;
        hide_[k]->setEnabled(true);
      } else {
        SetChecked(hide_[k], false);
        hide_[k]->setEnabled(false);
        slot.frozen = 0;
        slot.hidden = 0;
      }
      emit Changed();
    });
    connect(hide_[k], &QCheckBox::toggled, this, [this, k](bool checked) {
      slots_[k].hidden = checked ? 1 : 0;
      emit Changed();
    });
  }
}

// --- Screen averaging
// -----------------------------------------------------------------------------

namespace {

// The caption row, the read-only count with its up and down buttons, then Go and Stop.
AveragingControls BuildCountControls(QWidget* body, QVBoxLayout* column, const QString& caption) {
  AveragingControls c{};
  column->addWidget(new QLabel(caption, body));
  auto* row = new QHBoxLayout;
  c.edit = new QLineEdit(body);
  c.edit->setReadOnly(true);
  c.edit->setFocusPolicy(Qt::NoFocus);
  c.up = NewPageButton(UpArrowCaption(), body);
  c.up->setObjectName(QStringLiteral("up"));
  c.down = NewPageButton(DownArrowCaption(), body);
  c.down->setObjectName(QStringLiteral("down"));
  row->addWidget(c.edit);
  row->addWidget(c.up);
  row->addWidget(c.down);
  column->addLayout(row);
  auto* buttons = new QHBoxLayout;
  c.go = NewPageButton(QStringLiteral("Go"), body);
  c.stop = NewPageButton(QStringLiteral("Stop"), body);
  buttons->addWidget(c.go);
  buttons->addWidget(c.stop);
  column->addLayout(buttons);
  c.hide_trace = NewCheckBox(QStringLiteral("Hide Trace"), body);
  column->addWidget(c.hide_trace);
  return c;
}

}  // namespace

CAveragingPage::CAveragingPage(const QString& title, const QString& caption, PageContext& context,
                               std::array<FrozenTraceSlot, kTraceSlots>& frozen_slots,
                               QWidget* parent)
    : CTabDialog(title, context.timers, parent), trace_(context.trace), state_(context.state) {
  auto* column = new QVBoxLayout(Body());
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(3);
  c_ = BuildCountControls(Body(), column, caption);
  frozen_ = new FrozenSlotBoxes(frozen_slots, Body(), this);
  column->addWidget(frozen_->Widget());
  connect(frozen_, &FrozenSlotBoxes::Changed, this, &CAveragingPage::TracesChanged);
}

CScrAvgDialog::CScrAvgDialog(PageContext& context, QWidget* parent)
    : CAveragingPage(QStringLiteral("Scr Avg"), QStringLiteral("Enter the # of Trace Averages:"),
                     context, context.trace.frozen_average, parent) {
  c_.edit->setText(QString::number(count_));

  // The count reaches the record at once, so a running average follows it sweep by sweep.
  connect(c_.up, &QPushButton::clicked, this, [this] { SetCount(count_ + 1); });
  // SetCount keeps the count at 1 or more.
  connect(c_.down, &QPushButton::clicked, this, [this] { SetCount(count_ - 1); });
  connect(c_.go, &QPushButton::clicked, this, [this] {
    trace_.StartTraceAverage(count_);
    emit TracesChanged();
  });
  connect(c_.stop, &QPushButton::clicked, this, [this] {
    trace_.StopTraceAverage();
    emit TracesChanged();
  });
  connect(c_.hide_trace, &QCheckBox::toggled, this, [this](bool checked) {
    state_.average_hidden = checked;
    emit TracesChanged();
  });
  InitPage();
}

void CScrAvgDialog::SetCount(int32_t count) {
  count_ = std::clamp(count, 1, kMaxCount);
  c_.edit->setText(QString::number(count_));
  trace_.SetAverageCount(count_);
  emit TracesChanged();
}

// --- Bin averaging
// ---------------------------------------------------------------------------------

CVideoSmoothingDialog::CVideoSmoothingDialog(PageContext& context, QWidget* parent)
    : CAveragingPage(QStringLiteral("Video Avg"),
                     QStringLiteral("No. of adjacent Bins to be averaged:"), context,
                     context.trace.frozen_bin_average, parent) {
  c_.stop->setEnabled(false);
  SetBinCount(state_.bin_count);

  connect(c_.up, &QPushButton::clicked, this, [this] { SetBinCount(state_.bin_count + 1); });
  // SetBinCount keeps the count at 1 or more.
  connect(c_.down, &QPushButton::clicked, this, [this] { SetBinCount(state_.bin_count - 1); });
  connect(c_.go, &QPushButton::clicked, this, [this] {
    SetBinCount(state_.bin_count);  // the span may have shrunk since the count was set
    trace_.StartBinAverage(state_.bin_count);
    c_.go->setEnabled(false);
    c_.stop->setEnabled(true);
    emit TracesChanged();
  });
  connect(c_.stop, &QPushButton::clicked, this, [this] {
    trace_.StopBinAverage();
    c_.go->setEnabled(true);
    c_.stop->setEnabled(false);
    emit TracesChanged();
  });
  connect(c_.hide_trace, &QCheckBox::toggled, this, [this](bool checked) {
    state_.bin_average_hidden = checked;
    emit TracesChanged();
  });
  InitPage();
}

void CVideoSmoothingDialog::SetBinCount(int32_t count) {
  // More bins than points would leave no smoothed point; before the first sweep only 1 fits.
  const int32_t most = std::max<int32_t>(1, trace_.StoredPoints());
  state_.bin_count = std::clamp(count, 1, most);
  c_.edit->setText(QString::number(state_.bin_count));
  emit TracesChanged();
}

// --- Trace colour
// ------------------------------------------------------------------------------------

CTraceAdjustment::CTraceAdjustment(PageContext& context, QWidget* parent)
    : CTabDialog(QStringLiteral("Trace Colour"), context.timers, parent), state_(context.state) {
  auto* row = new QHBoxLayout(Body());
  row->setContentsMargins(6, 6, 6, 6);
  slider_ = new QSlider(Qt::Vertical, Body());
  slider_->setRange(0, kTraceColourSliderMax);
  slider_->setValue(kTraceColourSliderDefault);
  slider_->setFocusPolicy(Qt::NoFocus);
  row->addWidget(slider_);
  // The top of a vertical slider is its maximum, the darkest green.
  auto* labels = new QVBoxLayout;
  labels->addWidget(new QLabel(QStringLiteral("Darkest"), Body()));
  labels->addStretch();
  labels->addWidget(new QLabel(QStringLiteral("Default"), Body()));
  labels->addStretch();
  labels->addWidget(new QLabel(QStringLiteral("Lightest"), Body()));
  row->addLayout(labels);
  hide_trace_ = NewCheckBox(QStringLiteral("Hide Trace"), Body());
  row->addWidget(hide_trace_);
  connect(slider_, &QSlider::valueChanged, this, [this](int position) {
    state_.live_colour = LiveTraceColour(position);
    emit TracesChanged();
  });
  connect(hide_trace_, &QCheckBox::toggled, this, [this](bool checked) {
    state_.live_shown = !checked;
    emit TracesChanged();
  });
  InitPage();
}

}  // namespace qv
