#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdint>
#include <vector>

#include "core/control/channel_presets.h"
#include "gui/ui/page_context.h"
#include "gui/ui/tab_dialog.h"

namespace qv {

// A channel preset side panel: a channel list, the chosen channel's figures and "Set", plus a
// whole-band button on the pages that have one. The channel arithmetic lives in
// ChannelPresetPage; this page shows its figures and sends its windows.
class CChannelPresetPage : public CTabDialog {
  Q_OBJECT

 public:
  // The parent defaults to the context's graph window.
  CChannelPresetPage(PresetPage kind, PageContext& context, QWidget* parent = nullptr);

  PresetPage Kind() const { return presets_.page(); }

  QComboBox* ChannelBox() const { return channel_box_; }
  QLineEdit* CentreField() const { return centre_; }
  QLineEdit* StartField() const { return start_; }
  QLineEdit* StopField() const { return stop_; }
  QLineEdit* SpanField() const { return span_; }
  QPushButton* SetButton() const { return set_; }
  // Null on the pages without one.
  QPushButton* WholeBandButton() const { return whole_band_; }
  // Sub-band 1..3 on the UNII page; null elsewhere.
  QRadioButton* SubBandRadio(int sub_band) const;

 private:
  QLineEdit* AddField(const QString& label, int row);
  void OnSubBand(int sub_band);
  void OnChannel(int index);
  void OnSet();
  // Spectrum mode, then the window as the working record's start and span.
  void SendWindow(const FrequencyWindow& window);

  PageContext& context_;
  ChannelPresetPage presets_;
  QComboBox* channel_box_ = nullptr;
  QLineEdit* centre_ = nullptr;
  QLineEdit* start_ = nullptr;
  QLineEdit* stop_ = nullptr;
  QLineEdit* span_ = nullptr;
  QPushButton* set_ = nullptr;
  QPushButton* whole_band_ = nullptr;
  QRadioButton* sub_bands_[3] = {};
};

// The named pages, one per wireless standard.
class CZigBeePresetDialog : public CChannelPresetPage {
  Q_OBJECT
 public:
  explicit CZigBeePresetDialog(PageContext& context, QWidget* parent = nullptr)
      : CChannelPresetPage(PresetPage::k900Mhz, context, parent) {}
};

class C80211BPresetDialog : public CChannelPresetPage {
  Q_OBJECT
 public:
  explicit C80211BPresetDialog(PageContext& context, QWidget* parent = nullptr)
      : CChannelPresetPage(PresetPage::k80211BG, context, parent) {}
};

class CPublicSafetyPresets : public CChannelPresetPage {
  Q_OBJECT
 public:
  explicit CPublicSafetyPresets(PageContext& context, QWidget* parent = nullptr)
      : CChannelPresetPage(PresetPage::kPublicSafety, context, parent) {}
};

class C80211APresetDialog : public CChannelPresetPage {
  Q_OBJECT
 public:
  explicit C80211APresetDialog(PageContext& context, QWidget* parent = nullptr)
      : CChannelPresetPage(PresetPage::k80211A, context, parent) {}
};

class CUNIIPresets : public CChannelPresetPage {
  Q_OBJECT
 public:
  explicit CUNIIPresets(PageContext& context, QWidget* parent = nullptr)
      : CChannelPresetPage(PresetPage::kUnii, context, parent) {}
};

// The pages a reported band brings, in docking order, as children of the context's graph
// window (the caller owns them when there is none). None for a band start no page belongs to.
std::vector<CTabDialog*> CreatePresetPages(uint32_t band_start, PageContext& context);

}  // namespace qv
