#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLineEdit;

namespace qv {

// An IPv4 address typed as four numbers 0..255. A dot moves on to the next box, and a pasted
// address fills them all.
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
  void OnEdited(int index, const QString& text);

  std::array<QLineEdit*, 4> fields_{};
};

}  // namespace qv
