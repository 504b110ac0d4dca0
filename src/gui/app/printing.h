#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>

#include "gui/display/graph_painter.h"

class QPainter;
class QPrinter;
class QRadioButton;

namespace qv {

// Landscape when the view is wider than tall, portrait otherwise; before the printer starts.
void TurnPageFor(QPrinter& printer, const QSize& view);
// The graph drawn straight onto `painter` (a printer's, or any device) as lines and text at the
// device's resolution: the view scaled alike on both axes to fit `printable` (device
// coordinates), centred in it, in the print colour scheme of the scene's state (black and white
// inks every colour but white black), without the pointer's read-out.
void PaintGraphPage(QPainter& painter, const QRect& printable, const GraphScene& scene);
// One page on `printer` as it is turned now; false when the printer could not be started.
bool PrintGraph(QPrinter& printer, const GraphScene& scene);

// "Printing Color Options": 1 true colour, 2 econo colour, 3 black and white.
class CPrintOptionDialog : public QDialog {
  Q_OBJECT

 public:
  CPrintOptionDialog(int option, QWidget* parent = nullptr);
  // The first checked option in the order of the buttons; 0 while none is checked.
  int Option() const;
  QRadioButton* Button(int option) const;

 private:
  QRadioButton* buttons_[3];
};

}  // namespace qv
