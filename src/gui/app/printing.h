#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;
class QPrinter;
class QRadioButton;

namespace qv {

// The print image on a page: the screen's pixel size maps onto the printable area, each axis
// scaled on its own, and the image is drawn 1:1 in those units from the top-left corner.
void PaintPrintPage(QPainter& painter, const QRect& printable, const QSize& screen,
                    const QImage& image);
// One page on `printer`; false when the printer could not be started.
bool PrintImage(QPrinter& printer, const QSize& screen, const QImage& image);
// Every pixel that is not white becomes black, in a one-bit image.
QImage BlackAndWhite(const QImage& image);

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
