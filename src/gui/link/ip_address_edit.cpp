#include "gui/link/ip_address_edit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <algorithm>
#include <string>

#include "core/ui/address_boxes.h"

namespace qv {

CIpAddressEdit::CIpAddressEdit(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (i > 0) layout->addWidget(new QLabel(QStringLiteral("."), this));
    auto* field = new QLineEdit(this);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    field->setObjectName(QStringLiteral("octet%1").arg(i));
    // No validator or length limit: a dot or a pasted address must reach OnEdited, which keeps
    // each box to a number 0..255.
    connect(field, &QLineEdit::textEdited, this,
            [this, i](const QString& text) { OnEdited(static_cast<int>(i), text); });
    layout->addWidget(field);
    fields_[i] = field;
  }
  layout->addStretch();
}

void CIpAddressEdit::OnEdited(int index, const QString& text) {
  std::array<std::string, 4> numbers;
  for (size_t i = 0; i < fields_.size(); ++i) numbers[i] = fields_[i]->text().toStdString();
  const AddressBoxes boxes = EditAddressBox(numbers, index, text.toStdString());
  numbers[static_cast<size_t>(index)] = text.toStdString();
  if (boxes.numbers == numbers && boxes.focus == index) return;  // an ordinary edit
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (boxes.numbers[i] != numbers[i])
      fields_[i]->setText(QString::fromStdString(boxes.numbers[i]));
  }
  QLineEdit* focus = fields_[static_cast<size_t>(boxes.focus)];
  focus->setFocus(Qt::OtherFocusReason);
  if (boxes.select_focus) {
    focus->selectAll();
  } else {
    focus->end(false);
  }
}

QString CIpAddressEdit::Text() const {
  QStringList parts;
  for (const QLineEdit* field : fields_) {
    if (field->text().isEmpty()) return QString();
    const unsigned value = std::min(field->text().toUInt(), 255u);
    parts << QString::number(value);
  }
  return parts.join(QLatin1Char('.'));
}

void CIpAddressEdit::SetText(const QString& address) {
  const QStringList parts = address.split(QLatin1Char('.'));
  if (parts.size() != 4) return;
  for (size_t i = 0; i < fields_.size(); ++i) {
    bool ok = false;
    const unsigned value = parts[static_cast<qsizetype>(i)].toUInt(&ok);
    if (!ok || value > 255) return;
  }
  for (size_t i = 0; i < fields_.size(); ++i) {
    fields_[i]->setText(QString::number(parts[static_cast<qsizetype>(i)].toUInt()));
  }
}

}  // namespace qv
