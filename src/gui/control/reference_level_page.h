#pragma once

#include <cstdint>

#include "core/control/rbw_reference.h"
#include "gui/ui/button_column_page.h"
#include "gui/ui/page_context.h"

namespace qv {

// The "Reference Level" side panel: six levels from -20 to -70 dBm. A choice re-scales the
// histogram and spectrogram windows first, then tells the Receiver.
class CRefLvlDialog : public CButtonColumnPage {
  Q_OBJECT

 public:
  explicit CRefLvlDialog(PageContext& context, QWidget* parent = nullptr);

  int32_t Index() const { return index_; }
  // Re-scales the windows for a level the Receiver was given without this page (the level
  // restored after a handshake).
  void ShowLevel(int32_t index);

 private:
  void Choose(int32_t index);

  PageContext& context_;
  int32_t index_ = kFirstReferenceIndex;
};

}  // namespace qv
