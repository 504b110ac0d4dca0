#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLineEdit;

namespace qv {

// An IPv4 address typed as four numbers 0..255.
class CIpAddressEdit : public QWidget {
  Q_OBJECT

 public:
  explicit CIpAddressEdit(QWidget* parent = nullptr);

  // "a.b.c.d"; empty while any field is empty, since a guessed 0 would name another host.
  QString Text() const;
  // Fills the fields from "a.b.c.d"; anything else leaves them as they are.
  void SetText(const QString& address);
  QLineEdit* Field(int index) const { return fields_.at(static_cast<size_t>(index)); }

 private:
  std::array<QLineEdit*, 4> fields_{};
};

}  // namespace qv
