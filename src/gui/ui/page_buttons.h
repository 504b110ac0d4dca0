#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <string_view>

namespace qv {

// A push button for a side-panel page. It never takes the focus: the graph keeps the keyboard,
// and a keypad keeps typing into the box that has it.
inline QPushButton* NewPageButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

// Enter in an entry field applies it as its button does (nothing while the button is disabled).
inline void ApplyOnEnter(QLineEdit* field, QAbstractButton* button) {
  QObject::connect(field, &QLineEdit::returnPressed, button, &QAbstractButton::click);
}

// The first button of type T anywhere under `body` with this caption, or null.
template <typename T = QPushButton>
T* FindButton(const QWidget* body, const QString& caption) {
  for (T* button : body->findChildren<T*>()) {
    if (button->text() == caption) return button;
  }
  return nullptr;
}

// Captions and titles kept as UTF-8 text in the core.
inline QString PageText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace qv
