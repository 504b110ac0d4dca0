#include "gui/control/preset_pages.h"

#include <QGridLayout>
#include <QLabel>

#include "core/app/connection_ops.h"
#include "core/link/command.h"
#include "gui/ui/page_buttons.h"

namespace qv {
namespace {

QStringList Entries(const std::vector<std::string>& list) {
  QStringList entries;
  for (const std::string& entry : list) entries << QString::fromStdString(entry);
  return entries;
}

}  // namespace

CChannelPresetPage::CChannelPresetPage(PresetPage kind, PageContext& context, QWidget* parent)
    : CTabDialog(PageText(PresetTabCaption(kind)), context.timers,
                 parent != nullptr ? parent : context.graph),
      context_(context),
      presets_(kind) {
  setObjectName(PageText(PresetClassName(kind)));
  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setSpacing(3);
  int row = 0;

  if (kind == PresetPage::kUnii) {
    for (int sub_band = 1; sub_band <= 3; ++sub_band) {
      auto* radio = new QRadioButton(PageText(kUniiSubBandCaptions[sub_band - 1]), Body());
      radio->setFocusPolicy(Qt::NoFocus);
      grid->addWidget(radio, row++, 0, 1, 2);
      connect(radio, &QRadioButton::clicked, this, [this, sub_band] { OnSubBand(sub_band); });
      sub_bands_[sub_band - 1] = radio;
    }
  }

  grid->addWidget(new QLabel(QStringLiteral("Channel"), Body()), row, 0);
  channel_box_ = new QComboBox(Body());
  channel_box_->addItems(Entries(ChannelList(kind)));
  channel_box_->setCurrentIndex(-1);  // no channel until the user picks one
  // The UNII list stays disabled until a sub-band gives it entries.
  channel_box_->setEnabled(kind != PresetPage::kUnii);
  // Only the user's picks count: refilling the list must not choose a channel.
  connect(channel_box_, &QComboBox::activated, this, &CChannelPresetPage::OnChannel);
  grid->addWidget(channel_box_, row++, 1);

  centre_ = AddField(QStringLiteral("Centre (MHz)"), row++);
  start_ = AddField(QStringLiteral("Start (MHz)"), row++);
  stop_ = AddField(QStringLiteral("Stop (MHz)"), row++);
  span_ = AddField(QStringLiteral("Span (MHz)"), row++);

  set_ = NewPageButton(QStringLiteral("Set"), Body());
  connect(set_, &QPushButton::clicked, this, &CChannelPresetPage::OnSet);
  grid->addWidget(set_, row++, 0, 1, 2);

  if (std::optional<qv::WholeBandButton> band = WholeBandButtonOf(kind)) {
    whole_band_ = NewPageButton(PageText(band->caption), Body());
    const FrequencyWindow window = band->window;
    connect(whole_band_, &QPushButton::clicked, this, [this, window] { SendWindow(window); });
    grid->addWidget(whole_band_, row++, 0, 1, 2);
  }
  InitPage();
}

QLineEdit* CChannelPresetPage::AddField(const QString& label, int row) {
  auto* grid = static_cast<QGridLayout*>(Body()->layout());
  grid->addWidget(new QLabel(label, Body()), row, 0);
  auto* field = new QLineEdit(Body());
  field->setReadOnly(true);
  field->setFocusPolicy(Qt::NoFocus);
  grid->addWidget(field, row, 1);
  return field;
}

QRadioButton* CChannelPresetPage::SubBandRadio(int sub_band) const {
  if (sub_band < 1 || sub_band > 3) return nullptr;
  return sub_bands_[sub_band - 1];
}

void CChannelPresetPage::OnSubBand(int sub_band) {
  const std::vector<std::string> list = presets_.ChooseSubBand(sub_band);
  // The fields keep the last channel's figures until another channel is picked.
  channel_box_->clear();
  channel_box_->addItems(Entries(list));
  channel_box_->setCurrentIndex(-1);
  channel_box_->setEnabled(true);
}

void CChannelPresetPage::OnChannel(int index) {
  if (index < 0) return;
  const std::optional<ChannelFigures> figures =
      presets_.ChooseChannel(channel_box_->itemText(index).toStdString());
  if (!figures) return;
  centre_->setText(QString::fromStdString(figures->centre));
  start_->setText(QString::fromStdString(figures->start));
  stop_->setText(QString::fromStdString(figures->stop));
  if (figures->span) span_->setText(QString::fromStdString(*figures->span));
}

void CChannelPresetPage::OnSet() {
  // Before any channel there is no window worth sending (it would sit around 0 MHz).
  if (std::optional<FrequencyWindow> window = presets_.SetWindow()) SendWindow(*window);
}

void CChannelPresetPage::SendWindow(const FrequencyWindow& window) {
  CConnectionOps* ops = context_.ops;
  if (ops == nullptr) return;
  // A refused mode command ends the preset quietly; the Receiver keeps what it had.
  if (!ops->SendCommand(BuildSetMode(kSpectrumMode))) return;
  SpectrumSettings& working = ops->State().working;
  working.start = window.start;
  working.span = window.span;
  ops->SendSpectrumSettings(working);
}

std::vector<CTabDialog*> CreatePresetPages(uint32_t band_start, PageContext& context) {
  std::vector<CTabDialog*> pages;
  for (PresetPage kind : PresetPagesForBand(band_start)) {
    switch (kind) {
      case PresetPage::k900Mhz:
        pages.push_back(new CZigBeePresetDialog(context));
        break;
      case PresetPage::k80211BG:
        pages.push_back(new C80211BPresetDialog(context));
        break;
      case PresetPage::kPublicSafety:
        pages.push_back(new CPublicSafetyPresets(context));
        break;
      case PresetPage::k80211A:
        pages.push_back(new C80211APresetDialog(context));
        break;
      case PresetPage::kUnii:
        pages.push_back(new CUNIIPresets(context));
        break;
    }
  }
  return pages;
}

}  // namespace qv
