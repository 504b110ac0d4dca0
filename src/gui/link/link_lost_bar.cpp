#include "gui/link/link_lost_bar.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

#include "gui/link/connection_sheet.h"

namespace qv {

CLinkLostBar::CLinkLostBar(CConnectionEx& connection, QStatusBar* status_bar, QWidget* parent)
    : QToolBar(QStringLiteral("Connection Lost"), parent),
      connection_(connection),
      status_bar_(status_bar),
      label_(new QLabel(this)),
      reconnect_(new QAction(QStringLiteral("&Reconnect"), this)),
      stop_(new QAction(QStringLiteral("Stop"), this)),
      automatic_(new QAction(QStringLiteral("Reconnect &Automatically"), this)) {
  setObjectName(QStringLiteral("linkLostBar"));
  setMovable(false);
  setFloatable(false);
  // It shows itself when there is something to say; the toolbar menu must not offer it.
  toggleViewAction()->setVisible(false);
  reconnect_->setObjectName(QStringLiteral("reconnect"));
  stop_->setToolTip(QStringLiteral("Stop waiting for the Receiver"));
  automatic_->setObjectName(QStringLiteral("reconnectAutomatically"));
  automatic_->setCheckable(true);
  label_->setContentsMargins(6, 0, 12, 0);
  addWidget(label_);
  addAction(reconnect_);
  addAction(stop_);

  connect(reconnect_, &QAction::triggered, this, [this] { connection_.ReconnectNow(); });
  connect(stop_, &QAction::triggered, this, [this] { connection_.StopReconnecting(); });
  connect(automatic_, &QAction::toggled, this,
          [this](bool on) { connection_.SetReconnectAutomatically(on); });
  connect(&connection_, &CConnectionEx::ReconnectStateChanged, this, &CLinkLostBar::Follow);
  Follow();
}

QString CLinkLostBar::Text() const {
  return QString::fromStdString(connection_.Reconnect().Text());
}

void CLinkLostBar::Follow() {
  const QString text = Text();
  label_->setText(text);
  reconnect_->setEnabled(connection_.Reconnect().CanReconnect());
  stop_->setEnabled(!text.isEmpty());
  setVisible(!text.isEmpty());
  if (status_bar_ == nullptr) return;
  if (!text.isEmpty()) {
    status_bar_->showMessage(text);
  } else if (status_bar_->currentMessage() == shown_) {
    status_bar_->clearMessage();  // only our own
  }
  shown_ = text;
}

}  // namespace qv
