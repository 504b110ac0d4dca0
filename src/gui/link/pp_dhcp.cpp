#include "gui/link/pp_dhcp.h"

#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qv {

CPPDHCP::CPPDHCP(QWidget* parent) : QWidget(parent), list_(new QTreeWidget(this)) {
  list_->setObjectName(QStringLiteral("dhcpModules"));
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setHeaderLabels({QStringLiteral("IP Address"), QStringLiteral("MAC Address")});
  list_->setColumnWidth(0, 135);
  list_->setColumnWidth(1, 135);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Click on the IP Address you wish to connect from "
                                              "the \nlist below and click OK to connect and "
                                              "continue."),
                               this));
  layout->addWidget(list_);
}

void CPPDHCP::Clear() {
  list_->clear();
}

void CPPDHCP::AddReply(const QString& address, const QString& mac) {
  list_->addTopLevelItem(new QTreeWidgetItem({address, mac}));
}

void CPPDHCP::SelectAddress(const QString& address) {
  const QList<QTreeWidgetItem*> rows = list_->findItems(address, Qt::MatchExactly, 0);
  if (!rows.isEmpty()) list_->setCurrentItem(rows.first());
}

QString CPPDHCP::SelectedAddress() const {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text(0);
}

}  // namespace qv
