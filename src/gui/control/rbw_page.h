#pragma once

#include <cstdint>

#include "core/control/rbw_reference.h"
#include "gui/ui/button_column_page.h"
#include "gui/ui/page_context.h"

namespace qv {

// The "Resolution" side panel: one button per resolution bandwidth, each sending the sweep on
// screen again with that bandwidth's code.
class CRBWDialog : public CButtonColumnPage {
  Q_OBJECT

 public:
  explicit CRBWDialog(PageContext& context, QWidget* parent = nullptr);

  uint16_t Code() const { return code_; }

 private:
  void Choose(uint16_t code);

  PageContext& context_;
  uint16_t code_ = kDefaultRbwCode;
};

}  // namespace qv
