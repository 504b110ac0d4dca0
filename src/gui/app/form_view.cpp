#include "gui/app/form_view.h"

#include <QResizeEvent>

#include "gui/link/connection_sheet.h"
#include "link/serial/serial_device_monitor.h"

namespace qv {

CQuorvalinFormView::CQuorvalinFormView(TimerFactory& timers, Alerts& alerts, QWidget* parent)
    : QWidget(parent),
      alerts_(alerts),
      progress_(std::make_unique<CIntroDialog>()),
      sequencer_(timers, *progress_,
                 [this] {
                   connection_->Ops().SetDefaultSpectrum();
                   emit HandshakeCompleted();
                   emit ToolbarChanged();
                 }),
      display_(timers, sequencer_, this) {
  display_.setObjectName(QStringLiteral("Graph Window"));
  connection_ = std::make_unique<CConnectionEx>(timers, alerts, display_, sequencer_, this);
  connect(&display_, &CDisplay::StatusPaneTextChanged, this,
          &CQuorvalinFormView::StatusPaneTextChanged);
  connect(&display_, &CDisplay::FlagsChanged, this, &CQuorvalinFormView::ToolbarChanged);
  connect(&display_, &CDisplay::QuitRequested, this, &CQuorvalinFormView::QuitRequested);
  connect(connection_.get(), &CConnectionEx::LinkOpened, this, [this] {
    UpdateStatusPanes();
    emit ToolbarChanged();
  });
  connect(connection_.get(), &CConnectionEx::LinkLost, this, [this] {
    connection_->Ops().CloseLink();
    UpdateStatusPanes();
    emit ToolbarChanged();
  });
}

CQuorvalinFormView::~CQuorvalinFormView() {
  // Nothing queued may run against objects that are going away.
  sequencer_.Cancel();
}

ViewFlags CQuorvalinFormView::Flags() const {
  ViewFlags flags;
  flags.connected = connection_->State().connected != 0;
  flags.playing_back = playing_back_;
  flags.sweeps_arriving = display_.SpectrumMode() || display_.PowerTriggerMode();
  flags.area_selected = display_.AreaSelected();
  return flags;
}

void CQuorvalinFormView::OnCommand(int command) {
  if (!CommandEnabled(command, Flags())) return;
  switch (command) {
    case kCmdEstablishConnection:
      EstablishConnection();
      break;
    default:
      // The other commands arrive with their features.
      break;
  }
  emit ToolbarChanged();
}

void CQuorvalinFormView::EstablishConnection() {
  if (connection_->ShowSheet() && connection_->State().connected) UpdateStatusPanes();
}

void CQuorvalinFormView::UpdateStatusPanes() {
  const ReceiverState& state = connection_->State();
  const bool connected = state.connected != 0;
  const QString text = QString::fromStdString(
      InterfaceText(connected, state.interface_index,
                    connection_->AddressText(state.interface_index).toStdString()));
  if (!connected && !playing_back_) {
    emit StatusPaneTextChanged(kPaneFirmware, QStringLiteral("F/w Ver: NA"));
    emit StatusPaneTextChanged(kPaneSerial, QStringLiteral("Receiver Serial # NA"));
  }
  if (!playing_back_) emit StatusPaneTextChanged(kPaneLogFile, text);
}

void CQuorvalinFormView::OnDeviceChange(DeviceChange change, bool is_port,
                                        const QString& port_name) {
  const DeviceChangeOutcome outcome =
      qv::OnDeviceChange(change, is_port, port_name.toStdString(), connection_->isVisible(),
                         connection_->SerialPageVisible());
  if (outcome.serial_page_status) {
    connection_->SetSerialPageStatus(QString::fromStdString(*outcome.serial_page_status));
  }
  for (const AlertText& alert : outcome.alerts) alerts_.Show(alert.text, alert.caption);
}

void CQuorvalinFormView::SetDeviceMonitor(SerialDeviceMonitor* monitor) {
  if (monitor == nullptr) return;
  connect(monitor, &SerialDeviceMonitor::DeviceArrived, this,
          [this](const QString& path) { OnDeviceChange(DeviceChange::kArrival, true, path); });
  connect(monitor, &SerialDeviceMonitor::DeviceRemoved, this, [this](const QString& path) {
    OnDeviceChange(DeviceChange::kRemovalComplete, true, path);
  });
}

void CQuorvalinFormView::resizeEvent(QResizeEvent* event) {
  display_.setGeometry(QRect(QPoint(0, 0), event->size()));
}

}  // namespace qv
