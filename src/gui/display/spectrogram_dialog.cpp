#include "gui/display/spectrogram_dialog.h"

namespace qv {

CSpectrogramDialog::CSpectrogramDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Spectrogram Display"));
}

CSpectrogramDialog::~CSpectrogramDialog() = default;

void CSpectrogramDialog::Update(const SpectrogramHistory&, int32_t) {}

void CSpectrogramDialog::SetRange(int16_t, int16_t) {
  if (clear_history_) clear_history_();
}

}  // namespace qv
