#include "gui/app/key_routing.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace qv {

bool KeyStaysWithWidget(const QObject* focus, const QKeyEvent& key, const QWidget& main_window) {
  if (focus == nullptr || !focus->isWidgetType() ||
      (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
    return false;
  }
  const auto* line = qobject_cast<const QLineEdit*>(focus);
  const auto* text = qobject_cast<const QTextEdit*>(focus);
  const auto* plain = qobject_cast<const QPlainTextEdit*>(focus);
  const bool typing = (line != nullptr && !line->isReadOnly()) ||
                      (text != nullptr && !text->isReadOnly()) ||
                      (plain != nullptr && !plain->isReadOnly()) ||
                      qobject_cast<const QAbstractSpinBox*>(focus) != nullptr;
  if (typing) return true;
  if (static_cast<const QWidget*>(focus)->window() == &main_window) return false;
  switch (key.key()) {
    case Qt::Key_Escape:
      return true;
    case Qt::Key_Space:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      return qobject_cast<const QAbstractButton*>(focus) != nullptr ||
             qobject_cast<const QAbstractScrollArea*>(focus) != nullptr ||
             qobject_cast<const QAbstractSlider*>(focus) != nullptr ||
             qobject_cast<const QComboBox*>(focus) != nullptr;
    default:
      return false;
  }
}

}  // namespace qv
