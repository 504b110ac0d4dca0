#include "gui/app/main_frame.h"

#include <QApplication>
#include <QMenuBar>
#include <QStatusBar>

#include "gui/app/form_view.h"

namespace qv {
namespace {

// The status bar's panes in order with their starting texts; the trailing spaces size them.
struct PaneSpec {
  int id;
  const char* text;
};
constexpr PaneSpec kPanes[] = {
    {kPaneRunningTime, "Running Time: 0 mins, 0 secs"},
    {kPaneSerial, "Receiver Serial #                    "},
    {kPaneFirmware, "F/w Ver:              "},
    {kPaneLogFile, "Log File: NA                                        "},
};

constexpr int kRunningClockMs = 1000;

}  // namespace

CMainFrame::CMainFrame(TimerFactory& timers, Alerts& alerts, bool tablet_mode, QWidget* parent)
    : QMainWindow(parent),
      view_(new CQuorvalinFormView(timers, alerts, this)),
      running_timer_(timers.CreateTimer()) {
  setWindowTitle(TitleFor(tablet_mode));
  setCentralWidget(view_);
  BuildToolbar();
  BuildStatusBar();
  BuildMenus();

  running_timer_->SetCallback([this] {
    running_clock_.Tick();
    SetPaneText(kPaneRunningTime, QString::fromStdString(running_clock_.Text()));
  });
  connect(view_, &CQuorvalinFormView::StatusPaneTextChanged, this, &CMainFrame::SetPaneText);
  connect(view_, &CQuorvalinFormView::HandshakeCompleted, this, &CMainFrame::StartRunningClock);
  connect(view_, &CQuorvalinFormView::ToolbarChanged, this, &CMainFrame::RefreshToolbar);
  RefreshToolbar();
  resize(1280, 800);
}

CMainFrame::~CMainFrame() = default;

QString CMainFrame::TitleFor(bool tablet_mode) {
  return tablet_mode ? QStringLiteral("Quorvalin Tablet PC Edition")
                     : QStringLiteral("Tolvex PC based Spectrum Analyzer");
}

void CMainFrame::BuildToolbar() {
  toolbar_ = addToolBar(QStringLiteral("Main"));
  toolbar_->setObjectName(QStringLiteral("mainToolbar"));
  const auto& buttons = view_->Toolbar().Buttons();
  for (int i = 0; i < kToolbarButtons; ++i) {
    auto* action = new QAction(this);
    actions_[i] = action;
    connect(action, &QAction::triggered, this,
            [this, i] { view_->OnCommand(view_->Toolbar().Buttons()[i].command); });
    toolbar_->addAction(action);
    if (i + 1 < kToolbarButtons) toolbar_->addSeparator();
    action->setData(buttons[i].command);
  }
}

void CMainFrame::BuildStatusBar() {
  for (const PaneSpec& pane : kPanes) {
    auto* label = new QLabel(QString::fromLatin1(pane.text), this);
    panes_.insert(pane.id, label);
    statusBar()->addPermanentWidget(label);
  }
}

void CMainFrame::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
}

void CMainFrame::RefreshToolbar() {
  const ViewFlags flags = view_->Flags();
  const auto& buttons = view_->Toolbar().Buttons();
  for (int i = 0; i < kToolbarButtons; ++i) {
    const std::string prompt = CommandPrompt(buttons[i].command);
    const auto split = prompt.find('\n');
    QAction* action = actions_[i];
    action->setData(buttons[i].command);
    action->setText(QString::fromStdString(prompt.substr(0, split)).trimmed());
    action->setToolTip(
        QString::fromStdString(split == std::string::npos ? prompt : prompt.substr(split + 1))
            .trimmed());
    action->setEnabled(CommandEnabled(buttons[i].command, flags));
  }
}

QString CMainFrame::PaneText(int pane_id) const {
  const QLabel* label = panes_.value(pane_id, nullptr);
  return label != nullptr ? label->text() : QString();
}

void CMainFrame::SetPaneText(int pane_id, const QString& text) {
  if (QLabel* label = panes_.value(pane_id, nullptr)) label->setText(text);
}

void CMainFrame::StartRunningClock() {
  if (!running_timer_->IsActive()) running_timer_->Start(kRunningClockMs);
}

void CMainFrame::StopRunningClock() {
  running_timer_->Stop();
}

}  // namespace qv
