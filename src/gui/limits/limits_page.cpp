#include "gui/limits/limits_page.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

#include "core/app/file_chooser.h"
#include "gui/limits/limits_controller.h"
#include "gui/ui/page_buttons.h"

namespace qv {

namespace {

constexpr char kLimitFilter[] = "Limit lines (*.csv);;All files (*)";

QString FileText(const std::string& path) {
  return path.empty() ? QStringLiteral("none") : QFileInfo(QString::fromStdString(path)).fileName();
}

}  // namespace

CLimitsPage::CLimitsPage(PageContext& context, CLimitsController& limits, QWidget* parent)
    : CTabDialog(QStringLiteral("Limits"), context.timers, parent),
      context_(context),
      limits_(limits) {
  auto* grid = new QGridLayout(Body());
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setSpacing(3);
  const auto add_line = [&](int row, const QString& name, bool lower) {
    grid->addWidget(new QLabel(name, Body()), row, 0);
    auto* file = new QLabel(Body());
    grid->addWidget(file, row, 1);
    QPushButton* load = NewPageButton(QStringLiteral("Load %1...").arg(name), Body());
    connect(load, &QPushButton::clicked, this, [this, lower] { Choose(lower); });
    grid->addWidget(load, row, 2);
    QPushButton* clear = NewPageButton(QStringLiteral("Clear %1").arg(name), Body());
    connect(clear, &QPushButton::clicked, this, [this, lower] {
      limits_.Clear(lower ? LimitKind::kLower : LimitKind::kUpper);
    });
    grid->addWidget(clear, row, 3);
    return file;
  };
  upper_ = add_line(0, QStringLiteral("Upper"), false);
  lower_ = add_line(1, QStringLiteral("Lower"), true);
  beep_ = new QCheckBox(QStringLiteral("Beep on violation"), Body());
  capture_ = new QCheckBox(QStringLiteral("Capture on violation"), Body());
  beep_->setFocusPolicy(Qt::NoFocus);
  capture_->setFocusPolicy(Qt::NoFocus);
  capture_->setToolTip(QStringLiteral("An instant capture into the capture file, when one is set"));
  grid->addWidget(beep_, 2, 0, 1, 2);
  grid->addWidget(capture_, 2, 2, 1, 2);
  for (QCheckBox* box : {beep_, capture_}) {
    connect(box, &QCheckBox::clicked, this, [this] {
      limits_.SetOptions({beep_->isChecked(), capture_->isChecked()});
    });
  }
  events_ = new QTreeWidget(Body());
  events_->setRootIsDecorated(false);
  events_->setFocusPolicy(Qt::NoFocus);
  // Numbered as the captures' comments name the violations.
  events_->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Start"), QStringLiteral("End"),
                            QStringLiteral("Worst Frequency"), QStringLiteral("Worst Level"),
                            QStringLiteral("Excess")});
  events_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  events_->setMinimumSize(620, 160);
  grid->addWidget(events_, 3, 0, 1, 4);
  QPushButton* clear_list = NewPageButton(QStringLiteral("Clear List"), Body());
  connect(clear_list, &QPushButton::clicked, this, [this] { limits_.Monitor().ClearEvents(); });
  grid->addWidget(clear_list, 4, 3);
  connect(&limits_, &CLimitsController::Changed, this, &CLimitsPage::Refresh);
  Refresh();
  InitPage();
}

QPushButton* CLimitsPage::Button(const QString& caption) const {
  return FindButton(Body(), caption);
}

QCheckBox* CLimitsPage::Option(const QString& caption) const {
  return FindButton<QCheckBox>(Body(), caption);
}

void CLimitsPage::Choose(bool lower) {
  if (context_.chooser == nullptr) return;
  const std::optional<std::string> path = context_.chooser->OpenFileName(
      lower ? "Load Lower Limit Line" : "Load Upper Limit Line", kLimitFilter);
  if (path) limits_.Load(lower ? LimitKind::kLower : LimitKind::kUpper, *path);
}

void CLimitsPage::Refresh() {
  const LimitMonitor& monitor = limits_.Monitor();
  upper_->setText(FileText(monitor.Path(LimitKind::kUpper)));
  lower_->setText(FileText(monitor.Path(LimitKind::kLower)));
  beep_->setChecked(monitor.Options().beep);
  capture_->setChecked(monitor.Options().capture);
  // Every sweep tells: only the rows that can have changed are written again, the open one last.
  const std::vector<LimitEvent>& events = monitor.Events();
  const int count = static_cast<int>(events.size());
  if (dropped_ != monitor.EventsDropped()) {
    // The oldest rows left the list: it is written afresh.
    dropped_ = monitor.EventsDropped();
    events_->clear();
  }
  while (events_->topLevelItemCount() > count) delete events_->takeTopLevelItem(count);
  const int listed = events_->topLevelItemCount();
  const int first = listed > 0 ? listed - 1 : 0;
  for (int k = first; k < count; ++k) {
    QTreeWidgetItem* item = events_->topLevelItem(k);
    if (item == nullptr) item = new QTreeWidgetItem(events_);
    const std::vector<std::string> texts = LimitEventTexts(events[static_cast<size_t>(k)]);
    for (size_t column = 0; column < texts.size(); ++column) {
      item->setText(static_cast<int>(column), QString::fromStdString(texts[column]));
    }
  }
  if (count > listed) events_->scrollToBottom();
}

}  // namespace qv
