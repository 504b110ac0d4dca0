#include "gui/record/time_marker_dialog.h"

#include <QGridLayout>
#include <functional>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/record/capture_log.h"
#include "core/ui/keyboard.h"
#include "gui/ui/page_buttons.h"

namespace qv {
namespace {

constexpr char kMore[] = "More>>";
constexpr char kLess[] = "<<Less";

QPushButton* NewButton(const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  return button;
}

// The characters of the keypad's keys, as the keyboard text maps them.
QString KeyText(int key) {
  return QString(QLatin1Char(CKeyBoard::Character(key)));
}

}  // namespace

CTimeMarkerDialog::CTimeMarkerDialog(CaptureLog& captures, QWidget* parent)
    : QDialog(parent),
      captures_(captures),
      list_(new QTreeWidget(this)),
      label_(new QLabel(this)),
      comment_(new QLineEdit(this)),
      expander_(NewButton(QString::fromLatin1(kMore), this)),
      entry_panel_(new QWidget(this)) {
  setWindowTitle(QStringLiteral("Time Marker Properties"));
  setModal(false);
  list_->setColumnCount(3);
  list_->setHeaderLabels({QStringLiteral("#"), QStringLiteral("Date/Time"), QStringLiteral("Comment")});
  list_->setRootIsDecorated(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setColumnWidth(0, 30);
  list_->setColumnWidth(1, 150);
  list_->header()->setStretchLastSection(true);
  connect(list_, &QTreeWidget::itemSelectionChanged, this, &CTimeMarkerDialog::OnSelectionChanged);

  auto* previous = NewButton(QStringLiteral("<"), this);
  auto* next = NewButton(QStringLiteral(">"), this);
  previous->setObjectName(QStringLiteral("previousMarker"));
  next->setObjectName(QStringLiteral("nextMarker"));
  connect(previous, &QPushButton::clicked, this, &CTimeMarkerDialog::PreviousMarker);
  connect(next, &QPushButton::clicked, this, &CTimeMarkerDialog::NextMarker);
  auto* hide_window = NewButton(QStringLiteral("Hide Window"), this);
  connect(hide_window, &QPushButton::clicked, this, &QWidget::hide);
  auto* remove = NewButton(QStringLiteral("Delete"), this);
  remove->setEnabled(false);  // deleting a capture is not offered
  connect(expander_, &QPushButton::clicked, this, &CTimeMarkerDialog::ToggleExpanded);

  auto* top = new QHBoxLayout;
  top->addWidget(previous);
  top->addWidget(label_, 1);
  top->addWidget(next);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(expander_);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  buttons->addWidget(hide_window);

  // The comment entry with its keypad: digits, ".", "-", "+", space, a to z, backspace.
  auto* entry = new QVBoxLayout(entry_panel_);
  entry->setContentsMargins(0, 0, 0, 0);
  auto* comment_row = new QHBoxLayout;
  comment_row->addWidget(new QLabel(QStringLiteral("Comment"), entry_panel_));
  comment_row->addWidget(comment_, 1);
  comment_->setParent(entry_panel_);
  auto* add = NewButton(QStringLiteral("Add "), entry_panel_);
  auto* clear = NewButton(QStringLiteral("Clear"), entry_panel_);
  connect(add, &QPushButton::clicked, this, &CTimeMarkerDialog::AddComment);
  connect(clear, &QPushButton::clicked, comment_, &QLineEdit::clear);
  ApplyOnEnter(comment_, add);
  comment_row->addWidget(add);
  comment_row->addWidget(clear);
  entry->addLayout(comment_row);
  auto* keys = new QGridLayout;
  keys->setSpacing(2);
  // Thirteen narrow keys a row: digits and signs, a to m, n to z, then space and backspace.
  const auto add_key = [&](const QString& text, int row, int column, int span,
                           std::function<void()> press) {
    QPushButton* key = NewButton(text, entry_panel_);
    key->setFocusPolicy(Qt::NoFocus);
    key->setMinimumWidth(30);
    key->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    connect(key, &QPushButton::clicked, this, std::move(press));
    keys->addWidget(key, row, column, 1, span);
  };
  const int first_row[13] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10, 11, 12};
  for (int i = 0; i < 13; ++i) {
    const int key = first_row[i];
    add_key(KeyText(key), 0, i, 1, [this, key] { comment_->insert(KeyText(key)); });
  }
  for (int letter = 0; letter < 26; ++letter) {
    const int key = 14 + letter;
    add_key(KeyText(key), 1 + letter / 13, letter % 13, 1,
            [this, key] { comment_->insert(KeyText(key)); });
  }
  add_key(QStringLiteral("Space Bar"), 3, 0, 10, [this] { comment_->insert(KeyText(13)); });
  add_key(QStringLiteral("<--"), 3, 10, 3, [this] { comment_->backspace(); });
  entry->addLayout(keys);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  layout->addWidget(entry_panel_);
  entry_panel_->hide();  // starts collapsed
  setMinimumWidth(460);
  Refresh();
}

QPushButton* CTimeMarkerDialog::Button(const QString& text) const {
  for (QPushButton* button : findChildren<QPushButton*>()) {
    if (button->text() == text || button->objectName() == text) return button;
  }
  return nullptr;
}

bool CTimeMarkerDialog::Expanded() const {
  return !entry_panel_->isHidden();
}

void CTimeMarkerDialog::ToggleExpanded() {
  const bool expand = entry_panel_->isHidden();
  entry_panel_->setVisible(expand);
  expander_->setText(QString::fromLatin1(expand ? kLess : kMore));
  adjustSize();
}

void CTimeMarkerDialog::Refresh() {
  const QSignalBlocker block(list_);
  list_->clear();
  for (const TimeMarkerItem& item : captures_.Items()) {
    list_->addTopLevelItem(new QTreeWidgetItem(
        {QString::fromStdString(item.number), QString::fromStdString(item.date_time),
         QString::fromStdString(item.comment)}));
  }
  if (captures_.Count() > 0) {
    list_->setCurrentItem(list_->topLevelItem(captures_.Index()));
  }
  ShowMarkerNumber(captures_.Index());
}

int CTimeMarkerDialog::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.front());
}

void CTimeMarkerDialog::ShowMarkerNumber(int index) {
  label_->setText(QStringLiteral("Current Marker # %1").arg(index + 1));
}

void CTimeMarkerDialog::OnSelectionChanged() {
  const int row = SelectedRow();
  if (row < 0) return;
  captures_.LoadCapture(row);
  ShowMarkerNumber(row);
}

void CTimeMarkerDialog::NextMarker() {
  if (SelectedRow() < 0) return;
  captures_.Next();
  list_->setCurrentItem(list_->topLevelItem(captures_.Index()));
  ShowMarkerNumber(captures_.Index());
}

void CTimeMarkerDialog::PreviousMarker() {
  if (SelectedRow() < 0) return;
  captures_.Previous();
  list_->setCurrentItem(list_->topLevelItem(captures_.Index()));
  ShowMarkerNumber(captures_.Index());
}

void CTimeMarkerDialog::AddComment() {
  const int row = SelectedRow();
  if (row < 0) return;
  if (!captures_.WriteCaptureComment(row, comment_->text().toStdString())) return;
  list_->topLevelItem(row)->setText(
      2, QString::fromStdString(captures_.Items()[static_cast<size_t>(row)].comment));
  comment_->clear();
}

}  // namespace qv
