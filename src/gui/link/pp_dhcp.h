#pragma once

#include <QString>
#include <QWidget>

class QTreeWidget;

namespace qv {

// The DHCP page: the network modules that answered the discovery query.
class CPPDHCP : public QWidget {
  Q_OBJECT

 public:
  explicit CPPDHCP(QWidget* parent = nullptr);

  void Clear();
  void AddReply(const QString& address, const QString& mac);

  // The selected row's "IP Address" text; empty when no row is selected.
  QString SelectedAddress() const;
  // Selects the first row with this address, if any.
  void SelectAddress(const QString& address);

  QTreeWidget* List() const { return list_; }

 private:
  QTreeWidget* list_;
};

}  // namespace qv
