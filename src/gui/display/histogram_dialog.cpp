#include "gui/display/histogram_dialog.h"

namespace qv {

CHistogramDlg::CHistogramDlg(const TraceData& trace, QWidget* parent)
    : QDialog(parent), trace_(trace) {
  setWindowTitle(QStringLiteral("Histogram Display"));
}

CHistogramDlg::~CHistogramDlg() = default;

void CHistogramDlg::Update(int32_t, int16_t, const int16_t*) {}

void CHistogramDlg::SetReferenceLevel(int16_t) {}

}  // namespace qv
