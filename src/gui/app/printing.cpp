#include "gui/app/printing.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QPainter>
#include <QPrinter>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qv {

void PaintPrintPage(QPainter& painter, const QRect& printable, const QSize& screen,
                    const QImage& image) {
  painter.save();
  painter.setWindow(QRect(QPoint(0, 0), screen));
  painter.setViewport(printable);
  painter.drawImage(0, 0, image);
  painter.restore();
}

bool PrintImage(QPrinter& printer, const QSize& screen, const QImage& image) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // The painter's origin is the printable area's top-left corner.
  const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
  PaintPrintPage(painter, QRect(QPoint(0, 0), printable.size()), screen, image);
  return painter.end();
}

QImage BlackAndWhite(const QImage& image) {
  QImage mono(image.size(), QImage::Format_Mono);
  mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      mono.setPixel(x, y, (row[x] & 0xFFFFFFu) == 0xFFFFFFu ? 0 : 1);
    }
  }
  return mono;
}

CPrintOptionDialog::CPrintOptionDialog(int option, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Printing Color Options"));
  auto* layout = new QVBoxLayout(this);
  const char* const texts[3] = {"    True Color Print", "   Econo Color Print",
                                "    Black and White Print"};
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    buttons_[i] = new QRadioButton(QString::fromLatin1(texts[i]), this);
    buttons_[i]->setChecked(option == i + 1);
    group->addButton(buttons_[i]);
    layout->addWidget(buttons_[i]);
  }
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(box, &QDialogButtonBox::accepted, this, [this] {
    if (Option() != 0) accept();
  });
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(box);
}

int CPrintOptionDialog::Option() const {
  for (int i = 0; i < 3; ++i) {
    if (buttons_[i]->isChecked()) return i + 1;
  }
  return 0;
}

QRadioButton* CPrintOptionDialog::Button(int option) const {
  return option >= 1 && option <= 3 ? buttons_[option - 1] : nullptr;
}

}  // namespace qv
