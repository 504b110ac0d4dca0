#include "gui/trigger/trigger_page.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <limits>
#include <optional>
#include <string>

#include "core/app/connection_ops.h"
#include "core/control/frequency_rules.h"
#include "core/control/trigger_delay.h"
#include "core/link/command.h"
#include "gui/ui/arrow_captions.h"
#include "gui/ui/page_buttons.h"

namespace qv {
namespace {

// The arrows keep the threshold where the Receiver can still trigger; typed values are not limited.
constexpr int kHighestThreshold = -20;
constexpr int kLowestThreshold = -70;

constexpr int kMinusKey = 11;
constexpr int kPointKey = 10;

constexpr char kMsgNoThreshold[] = "Please Set a valid Trigger Power Threshold";
constexpr char kCapNoThreshold[] = "Alert";
constexpr char kWaitingText[] = "Waiting for Trigger...";
constexpr char kTriggeringText[] = "Triggering !!!";
constexpr char kNoTriggerTimeText[] = "Last Trigger Time: Not Available";
constexpr char kNoteText[] =
    "Trigger Power Threshold must be within 20 dB below the current Reference level else, the "
    "Quorvalin Receiver will not trigger.";

}  // namespace

CTriggerDialog::CTriggerDialog(PageContext& context, QWidget* parent)
    : CTabDialog(QStringLiteral("Trigger"), context.timers, parent), context_(context) {
  SetCloseBox(false);
  auto* column = new QVBoxLayout(Body());
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(4);

  auto* fields = new QGridLayout();
  fields->setSpacing(3);
  threshold_edit_ = new QLineEdit(Body());
  delay_edit_ = new QLineEdit(Body());
  threshold_up_ = NewPageButton(UpArrowCaption(), Body());
  threshold_down_ = NewPageButton(DownArrowCaption(), Body());
  delay_up_ = NewPageButton(UpArrowCaption(), Body());
  delay_down_ = NewPageButton(DownArrowCaption(), Body());
  fields->addWidget(threshold_edit_, 0, 0);
  fields->addWidget(new QLabel(QStringLiteral("dBm"), Body()), 0, 1);
  fields->addWidget(threshold_up_, 0, 2);
  fields->addWidget(threshold_down_, 0, 3);
  fields->addWidget(delay_edit_, 1, 0);
  fields->addWidget(new QLabel(QStringLiteral("_USec"), Body()), 1, 1);
  fields->addWidget(delay_up_, 1, 2);
  fields->addWidget(delay_down_, 1, 3);
  column->addLayout(fields);

  auto* keypad = new QGridLayout();
  keypad->setSpacing(2);
  for (int digit = 1; digit <= 9; ++digit) {
    QPushButton* key = NewPageButton(QString::number(digit), Body());
    connect(key, &QPushButton::clicked, this, [this, digit] { PressKey(digit); });
    keypad->addWidget(key, (digit - 1) / 3, (digit - 1) % 3);
  }
  QPushButton* zero = NewPageButton(QStringLiteral("0"), Body());
  connect(zero, &QPushButton::clicked, this, [this] { PressKey(0); });
  QPushButton* point = NewPageButton(QStringLiteral("."), Body());
  connect(point, &QPushButton::clicked, this, [this] { PressKey(kPointKey); });
  QPushButton* minus = NewPageButton(QStringLiteral("_"), Body());
  connect(minus, &QPushButton::clicked, this, [this] { PressKey(kMinusKey); });
  QPushButton* back = NewPageButton(QStringLiteral("<--"), Body());
  connect(back, &QPushButton::clicked, this, [this] { Backspace(); });
  keypad->addWidget(minus, 3, 0);
  keypad->addWidget(zero, 3, 1);
  keypad->addWidget(point, 3, 2);
  keypad->addWidget(back, 4, 0, 1, 3);
  column->addLayout(keypad);

  set_button_ = NewPageButton(QStringLiteral("Set Trigger"), Body());
  stop_button_ = NewPageButton(QStringLiteral("Stop Trigger"), Body());
  column->addWidget(set_button_);
  column->addWidget(stop_button_);

  auto* note_frame = new QGroupBox(QStringLiteral("IMPORTANT NOTE:"), Body());
  auto* note_layout = new QVBoxLayout(note_frame);
  auto* note = new QLabel(QString::fromLatin1(kNoteText), note_frame);
  note->setWordWrap(true);
  note->setFixedWidth(170);
  // The page is sized once from its hints, which do not ask a wrapped label for its height.
  note->setMinimumHeight(note->heightForWidth(170));
  note_layout->addWidget(note);
  column->addWidget(note_frame);

  connect(threshold_up_, &QPushButton::clicked, this, [this] { StepThreshold(+1); });
  connect(threshold_down_, &QPushButton::clicked, this, [this] { StepThreshold(-1); });
  // The delay arrows have no step of their own; they only follow the delay box's enable rule.
  connect(set_button_, &QPushButton::clicked, this, &CTriggerDialog::SetTrigger);
  ApplyOnEnter(threshold_edit_, set_button_);
  ApplyOnEnter(delay_edit_, set_button_);
  connect(stop_button_, &QPushButton::clicked, this, &CTriggerDialog::StopTrigger);
  connect(threshold_edit_, &QLineEdit::textChanged, this, &CTriggerDialog::OnThresholdChanged);
  connect(delay_edit_, &QLineEdit::textChanged, this, &CTriggerDialog::OnDelayChanged);
  threshold_edit_->installEventFilter(this);
  delay_edit_->installEventFilter(this);
  target_ = threshold_edit_;

  status_text_ = QString::fromLatin1(kWaitingText);
  context_.state.trigger_threshold_text.clear();
  context_.state.trigger_time_text = kNoTriggerTimeText;
  InitPage();
}

QPushButton* CTriggerDialog::Button(const QString& caption) const {
  return FindButton(Body(), caption);
}

bool CTriggerDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && (watched == threshold_edit_ || watched == delay_edit_)) {
    keyboard_.Clear();
    target_ = static_cast<QLineEdit*>(watched);
  }
  return CTabDialog::eventFilter(watched, event);
}

void CTriggerDialog::StepThreshold(int delta) {
  // An unreadable text counts as 0, as the dialog integer read gives.
  const int value = threshold_edit_->text().toInt();
  if (delta > 0 && value < kHighestThreshold) {
    threshold_edit_->setText(QString::number(value + 1));
  } else if (delta < 0 && value > kLowestThreshold) {
    threshold_edit_->setText(QString::number(value - 1));
  }
}

void CTriggerDialog::PressKey(int key) {
  target_->setText(QString::fromStdString(keyboard_.PressKey(key)));
}

void CTriggerDialog::Backspace() {
  target_->setText(QString::fromStdString(keyboard_.Backspace()));
}

void CTriggerDialog::OnThresholdChanged(const QString& text) {
  threshold_text_ = text;
  const bool filled = !text.isEmpty();
  set_button_->setEnabled(filled);
  threshold_up_->setEnabled(filled);
  threshold_down_->setEnabled(filled);
  context_.state.trigger_threshold_text = text.toStdString();
  emit TextsChanged();
}

void CTriggerDialog::OnDelayChanged(const QString& text) {
  delay_text_ = text;
  delay_up_->setEnabled(!text.isEmpty());
  delay_down_->setEnabled(!text.isEmpty());
}

void CTriggerDialog::SetTrigger() {
  uint16_t delay_units = 0;
  if (!delay_edit_->text().isEmpty()) {
    // A longer delay would wrap to an arbitrary short one in 16 bits: refuse it instead.
    const std::optional<uint16_t> units =
        TriggerDelayUnits(ReadDialogInteger(delay_edit_->text().toStdString()));
    if (!units) {
      if (context_.alerts != nullptr) {
        context_.alerts->Show(std::string(kMsgMaximumDelay), std::string(kCapMaximumDelay));
      }
      return;
    }
    delay_units = *units;
  }

  bool readable = false;
  const int threshold = threshold_edit_->text().toInt(&readable);
  if (!readable || threshold < std::numeric_limits<int16_t>::min() ||
      threshold > std::numeric_limits<int16_t>::max()) {
    if (context_.alerts != nullptr) context_.alerts->Show(kMsgNoThreshold, kCapNoThreshold);
    return;
  }
  if (context_.ops == nullptr) return;

  ReceiverState& receiver = context_.ops->State();
  receiver.trigger_delay = delay_units;
  receiver.trigger_threshold = static_cast<int16_t>(threshold);
  emit TriggerClockStartRequested();
  // A failed command ends the sequence; the dispatcher's callers show nothing for it.
  context_.ops->StartPowerTrigger();
}

void CTriggerDialog::StopTrigger() {
  if (context_.ops == nullptr) return;
  if (context_.ops->SendCommand(BuildSetMode(kSpectrumMode))) {
    context_.ops->SendSpectrumSettings(context_.ops->State().working);
  }
}

void CTriggerDialog::TriggerArrived() {
  minutes_ = 0;
  seconds_ = 0;
  status_text_ = QString::fromLatin1(kTriggeringText);
  SetTimeText(QStringLiteral("0 secs"));
}

void CTriggerDialog::Tick() {
  if (++seconds_ == 60) {
    ++minutes_;
    seconds_ = 0;
  }
  SetTimeText(QStringLiteral("%1 mins %2 secs").arg(minutes_).arg(seconds_));
}

void CTriggerDialog::SetTimeText(const QString& text) {
  context_.state.trigger_time_text = text.toStdString();
  emit TextsChanged();
}

}  // namespace qv
