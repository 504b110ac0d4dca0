#include "gui/control/frequency_page.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <string>

#include "core/app/connection_ops.h"
#include "gui/ui/arrow_captions.h"
#include "gui/ui/page_buttons.h"

namespace qv {
namespace {

constexpr int kDotKey = 10;  // CKeyBoard's number for "."

}  // namespace

CFrqSettingsDialog::CFrqSettingsDialog(PageContext& context, QWidget* parent)
    : CTabDialog(QStringLiteral("Freq Control"), context.timers, parent), context_(context) {
  auto* outer = new QVBoxLayout(Body());
  outer->setContentsMargins(6, 6, 6, 6);
  auto* group = new QGroupBox(QStringLiteral("Frequency Settings"), Body());
  outer->addWidget(group);
  auto* grid = new QGridLayout(group);
  grid->setSpacing(3);

  centre_ = new QRadioButton(QStringLiteral("  Center Frequency"), group);
  span_ = new QRadioButton(QStringLiteral("  Span"), group);
  // Only the two modes exclude each other; the unit radios follow the entry's state.
  modes_ = new QButtonGroup(this);
  modes_->addButton(centre_);
  modes_->addButton(span_);
  entry_ = new QLineEdit(group);
  khz_ = new QRadioButton(QStringLiteral("   KHz"), group);
  mhz_ = new QRadioButton(QStringLiteral("   MHz"), group);
  khz_->setAutoExclusive(false);
  mhz_->setAutoExclusive(false);
  up_ = NewPageButton(UpArrowCaption(), Body());
  down_ = NewPageButton(DownArrowCaption(), Body());
  set_ = NewPageButton(QStringLiteral("Set"), Body());

  grid->addWidget(centre_, 0, 0, 1, 3);
  grid->addWidget(span_, 1, 0, 1, 3);
  grid->addWidget(entry_, 2, 0, 1, 2);
  grid->addWidget(up_, 2, 2);
  grid->addWidget(khz_, 3, 0);
  grid->addWidget(mhz_, 3, 1);
  grid->addWidget(down_, 3, 2);
  grid->addWidget(set_, 4, 0, 1, 3);

  // Keypad: 1 to 9 in rows of three, then ".", "0" and "<--".
  for (int digit = 1; digit <= 9; ++digit) {
    QPushButton* key = NewPageButton(QString::number(digit), Body());
    grid->addWidget(key, 5 + (digit - 1) / 3, (digit - 1) % 3);
    Step(key, [digit](FrequencyEntry& e) { e.PressKey(digit); });
  }
  QPushButton* dot = NewPageButton(QStringLiteral("."), Body());
  QPushButton* zero = NewPageButton(QStringLiteral("0"), Body());
  QPushButton* back = NewPageButton(QStringLiteral("<--"), Body());
  grid->addWidget(dot, 8, 0);
  grid->addWidget(zero, 8, 1);
  grid->addWidget(back, 8, 2);
  QPushButton* clear = NewPageButton(QStringLiteral("Clear"), Body());
  QPushButton* set_default = NewPageButton(QStringLiteral("Set Default"), Body());
  grid->addWidget(clear, 9, 0, 1, 3);
  grid->addWidget(set_default, 10, 0, 1, 3);
  auto* note = new QLabel(
      QStringLiteral("The Default Spectrum is set with a center frequency of 2425 MHz and a Span "
                     "of 50 MHz."),
      group);
  note->setWordWrap(true);
  grid->addWidget(note, 11, 0, 1, 3);

  connect(span_, &QRadioButton::clicked, this, &CFrqSettingsDialog::ShowSpan);
  connect(centre_, &QRadioButton::clicked, this, &CFrqSettingsDialog::ShowCentre);
  Step(khz_, [](FrequencyEntry& e) { e.ChooseKhz(); });
  Step(mhz_, [](FrequencyEntry& e) { e.ChooseMhz(); });
  // Only the user's typing: the page's own writes already went through the entry.
  connect(entry_, &QLineEdit::textEdited, this, [this](const QString& text) {
    logic_.TextChanged(text.toStdString());
    Apply();
  });
  Step(up_, [](FrequencyEntry& e) { e.Up(); });
  Step(down_, [](FrequencyEntry& e) { e.Down(); });
  Step(zero, [](FrequencyEntry& e) { e.PressKey(0); });
  Step(dot, [](FrequencyEntry& e) { e.PressKey(kDotKey); });
  Step(back, [](FrequencyEntry& e) { e.Backspace(); });
  Step(clear, [](FrequencyEntry& e) { e.Clear(); });
  connect(set_, &QPushButton::clicked, this, &CFrqSettingsDialog::OnSet);
  ApplyOnEnter(entry_, set_);
  connect(set_default, &QPushButton::clicked, this, &CFrqSettingsDialog::OnSetDefault);

  Apply();
  InitPage();
}

void CFrqSettingsDialog::Step(QAbstractButton* button, std::function<void(FrequencyEntry&)> step) {
  connect(button, &QAbstractButton::clicked, this, [this, step = std::move(step)] {
    step(logic_);
    Apply();
  });
}

QAbstractButton* CFrqSettingsDialog::Button(const QString& caption) const {
  return FindButton<QAbstractButton>(Body(), caption);
}

void CFrqSettingsDialog::ShowSpan() {
  logic_.ShowSpan(context_.trace.header.points);
  Apply();
}

void CFrqSettingsDialog::ShowCentre() {
  logic_.ShowCentre(context_.trace.header.start, context_.trace.header.points);
  Apply();
}

void CFrqSettingsDialog::OnSet() {
  const FrequencyEntryAction action = logic_.Set();
  switch (action.kind) {
    case FrequencyEntryAction::Kind::kNothing:
      break;
    case FrequencyEntryAction::Kind::kShowMessage:
      if (context_.alerts != nullptr) {
        context_.alerts->Show(std::string(action.message), std::string(action.caption));
      }
      break;
    case FrequencyEntryAction::Kind::kSetSpan:
      if (context_.ops != nullptr) context_.ops->SetSpan(action.steps);
      break;
    case FrequencyEntryAction::Kind::kSetCenterFrequency:
      if (context_.ops != nullptr) context_.ops->SetCenterFrequency(action.steps);
      break;
  }
}

void CFrqSettingsDialog::OnSetDefault() {
  if (context_.ops != nullptr) context_.ops->SetDefaultSpectrum();
}

void CFrqSettingsDialog::Apply() {
  const FrequencyEntryControls& c = logic_.controls();
  const QString text = QString::fromStdString(c.text);
  if (entry_->text() != text) {
    const QSignalBlocker block(entry_);
    entry_->setText(text);
  }
  entry_->setEnabled(c.entry_enabled);
  khz_->setEnabled(c.khz_enabled);
  mhz_->setEnabled(c.mhz_enabled);
  khz_->setChecked(c.khz_checked);
  mhz_->setChecked(c.mhz_checked);
  set_->setEnabled(c.set_enabled);
  up_->setEnabled(c.up_down_enabled);
  down_->setEnabled(c.up_down_enabled);
}

}  // namespace qv
