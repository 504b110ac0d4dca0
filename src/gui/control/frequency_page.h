#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "core/control/frequency_entry.h"
#include "gui/ui/page_context.h"
#include "gui/ui/tab_dialog.h"

class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qv {

// The "Freq Control" side panel: span or centre entry in kHz or MHz with its keypad, "Set" and
// "Set Default". The entry logic lives in FrequencyEntry; the page only routes and shows.
class CFrqSettingsDialog : public CTabDialog {
  Q_OBJECT

 public:
  explicit CFrqSettingsDialog(PageContext& context, QWidget* parent = nullptr);

  // The button with this caption (radio or push button), or null.
  QAbstractButton* Button(const QString& caption) const;
  QLineEdit* Entry() const { return entry_; }
  const FrequencyEntry& Logic() const { return logic_; }

 private:
  // A click on `button` runs one step of the entry logic, then shows the controls it left.
  void Step(QAbstractButton* button, std::function<void(FrequencyEntry&)> step);
  void ShowSpan();
  void ShowCentre();
  void OnSet();
  void OnSetDefault();
  // Copies the entry's control states onto the widgets.
  void Apply();

  PageContext& context_;
  FrequencyEntry logic_;
  QButtonGroup* modes_ = nullptr;
  QRadioButton* centre_ = nullptr;
  QRadioButton* span_ = nullptr;
  QRadioButton* khz_ = nullptr;
  QRadioButton* mhz_ = nullptr;
  QLineEdit* entry_ = nullptr;
  QPushButton* up_ = nullptr;
  QPushButton* down_ = nullptr;
  QPushButton* set_ = nullptr;
};

}  // namespace qv
