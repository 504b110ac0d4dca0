#include "gui/link/ip_address_edit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStringList>
#include <algorithm>

namespace qv {

CIpAddressEdit::CIpAddressEdit(QWidget* parent) : QWidget(parent) {
  // Only 0..255 can be typed, so the address text never needs clamping by the user.
  auto* validator = new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9]")), this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (i > 0) layout->addWidget(new QLabel(QStringLiteral("."), this));
    auto* field = new QLineEdit(this);
    field->setValidator(validator);
    field->setMaxLength(3);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    field->setObjectName(QStringLiteral("octet%1").arg(i));
    layout->addWidget(field);
    fields_[i] = field;
  }
  layout->addStretch();
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
