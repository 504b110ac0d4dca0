#include "gui/app/main_frame.h"

#include <QActionGroup>
#include <QApplication>
#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QInputDevice>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QKeyEvent>
#include <QKeySequence>
#include <QStatusBar>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "gui/app/about_dialog.h"
#include "gui/app/app_settings.h"
#include "core/display/channel_utilisation.h"
#include "core/display/colour_map.h"
#include "core/display/density.h"
#include "core/display/peak_search.h"
#include "core/ui/command_keys.h"
#include "gui/app/form_view.h"
#include "gui/app/key_routing.h"
#include "gui/app/manual_window.h"
#include "gui/app/page_setup_dialog.h"
#include "gui/app/radio_alert_dialog.h"
#include "gui/app/toolbar_icons.h"
#include "gui/app/window_place.h"
#include "gui/display/display.h"
#include "gui/display/histogram_dialog.h"
#include "gui/display/spectrogram_dialog.h"
#include "gui/link/connection_sheet.h"
#include "gui/link/link_lost_bar.h"
#include "gui/record/time_marker_dialog.h"
#include "gui/ui/side_panels.h"
#include "gui/ui/tab_dialog.h"

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
const char* const kImageProperty = "toolbarImage";

}  // namespace

CMainFrame::CMainFrame(TimerFactory& timers, Alerts& alerts, bool tablet_mode, QWidget* parent)
    : CMainFrame(timers, alerts, tablet_mode, nullptr, parent, PrivateTag{}) {}

CMainFrame::CMainFrame(TimerFactory& timers, Alerts& alerts, bool tablet_mode,
                       AppSettings& settings, QWidget* parent)
    : CMainFrame(timers, alerts, tablet_mode, &settings, parent, PrivateTag{}) {}

CMainFrame::CMainFrame(TimerFactory& timers, Alerts& alerts, bool tablet_mode,
                       AppSettings* settings, QWidget* parent, PrivateTag)
    : QMainWindow(parent),
      tablet_mode_(tablet_mode),
      alerts_(alerts),
      settings_(settings),
      printer_(std::make_unique<QPrinter>()),
      view_(new CQuorvalinFormView(timers, alerts, this)),
      running_timer_(timers.CreateTimer()) {
  setWindowTitle(TitleFor(tablet_mode));
  setWindowIcon(ApplicationIcon());
  setCentralWidget(view_);
  view_->Outputs().SetPrinter(printer_.get());
  BuildToolbar();
  BuildStatusBar();
  BuildKeys();
  BuildMenus();
  // Dialogs open centred on their window, the graph's windows beside this one.
  auto* placement = new WindowPlacement(*this);
  placement->AddToolWindow(view_->Display().Spectrogram());
  placement->AddToolWindow(view_->Display().Histogram());
  placement->AddToolWindow(view_->Display().Recorder().TimeMarkers());
  for (QWidget* part : {static_cast<QWidget*>(statusBar()), static_cast<QWidget*>(toolbar_),
                        static_cast<QWidget*>(link_lost_bar_),
                        static_cast<QWidget*>(&view_->Timeline())}) {
    placement->AddKeepClear(*part);
  }

  running_timer_->SetCallback([this] {
    running_clock_.Tick();
    SetPaneText(kPaneRunningTime, QString::fromStdString(running_clock_.Text()));
  });
  connect(view_, &CQuorvalinFormView::StatusPaneTextChanged, this, &CMainFrame::SetPaneText);
  connect(view_, &CQuorvalinFormView::HandshakeCompleted, this, &CMainFrame::StartRunningClock);
  connect(view_, &CQuorvalinFormView::RunningClockStopped, this, &CMainFrame::StopRunningClock);
  connect(view_, &CQuorvalinFormView::ToolbarChanged, this,
          qOverload<>(&CMainFrame::RefreshToolbar));
  connect(&view_->Display().Recorder(), &CRecordingController::FileInUse, this,
          [this](const QString& path) {
            // Frames without settings of their own (tests) keep no list.
            if (recent_files_kept_ && settings_ != nullptr) AddRecentFile(path);
          });
  connect(this, &CMainFrame::RecentFileChosen, this, &CMainFrame::OpenRecentFile);
  RefreshToolbar();
  resize(1280, 800);
}

CMainFrame::~CMainFrame() = default;

QString CMainFrame::TitleFor(bool tablet_mode) {
  return tablet_mode ? QStringLiteral("Quorvalin Tablet PC Edition")
                     : QStringLiteral("Tolvex PC based Spectrum Analyzer");
}

bool CMainFrame::DetectTabletMode(bool requested) {
  if (requested) return true;
  const auto devices = QInputDevice::devices();
  return std::any_of(devices.begin(), devices.end(), [](const QInputDevice* device) {
    return device->type() == QInputDevice::DeviceType::TouchScreen;
  });
}

AppSettings& CMainFrame::Settings() {
  if (settings_ == nullptr) {
    own_settings_ = std::make_unique<AppSettings>();
    settings_ = own_settings_.get();
  }
  return *settings_;
}

void CMainFrame::BuildToolbar() {
  toolbar_ = addToolBar(QStringLiteral("Main"));
  toolbar_->setObjectName(QStringLiteral("mainToolbar"));
  toolbar_->setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
  const auto& buttons = view_->Toolbar().Buttons();
  for (int i = 0; i < kToolbarButtons; ++i) {
    auto* action = new QAction(this);
    actions_[i] = action;
    // The command runs as the button shows it now, swaps included.
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
  file_menu_ = menuBar()->addMenu(QStringLiteral("&File"));
  file_menu_->setObjectName(QStringLiteral("fileMenu"));
  recent_anchor_ = file_menu_->addSeparator();
  file_menu_->addAction(QStringLiteral("&Print...\tCtrl+P"), this,
                        [this] { view_->OnCommand(kCmdFilePrint); });
  file_menu_->addAction(QStringLiteral("Print Pre&view"), this,
                        [this] { view_->OnCommand(kCmdFilePrintPreview); });
  file_menu_->addAction(QStringLiteral("Print Set&up..."), this, &CMainFrame::PrintSetup);
  file_menu_->addAction(QStringLiteral("Print Color Options"), this,
                        [this] { view_->OnCommand(kCmdPrintColourOptions); });
  file_menu_->addAction(QStringLiteral("Warnings"), this, [this] { OpenRadioAlert(); });
  file_menu_->addAction(QStringLiteral("Show Time Marker Dialog"), this,
                        [this] { view_->OnCommand(kCmdShowTimeMarkers); });
  file_menu_->addAction(QStringLiteral("Export &Traces..."), this,
                        [this] { view_->Outputs().ExportTraces(); })
      ->setObjectName(QStringLiteral("exportTraces"));
  file_menu_->addSeparator();
  file_menu_->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
  RebuildRecentFiles();
  BuildReconnect();

  CDisplay& display = view_->Display();
  frequency_axis_action_ = new QAction(QStringLiteral("Frequency Axis"), this);
  frequency_axis_action_->setObjectName(QStringLiteral("frequencyAxis"));
  frequency_axis_action_->setCheckable(true);
  // Without settings of its own (tests) the frame starts with the axis shown.
  const bool axis_shown = settings_ == nullptr || settings_->ViewOption(QStringLiteral("FrequencyAxis"));
  frequency_axis_action_->setChecked(axis_shown);
  display.SetFrequencyAxisShown(axis_shown);
  connect(frequency_axis_action_, &QAction::toggled, this, [this](bool on) {
    view_->Display().SetFrequencyAxisShown(on);
    Settings().SetViewOption(QStringLiteral("FrequencyAxis"), on);
  });
  BuildColourMapMenu();
  BuildDensityMenu();
  BuildChannelsMenu();
  const struct {
    const char* text;
    const char* name;
    int command;
  } peak_commands[] = {
      {"Marker to &Peak", "markerToPeak", kCmdMarkerToPeak},
      {"&Next Peak", "nextPeak", kCmdNextPeak},
      {"Marker to &Frequency...", "markerToFrequency", kCmdMarkerToFrequency},
  };
  for (const auto& command : peak_commands) {
    auto* action = new QAction(QString::fromLatin1(command.text), this);
    action->setObjectName(QString::fromLatin1(command.name));
    const std::string_view keys = KeysOf(command.command);
    action->setShortcuts(QKeySequence::listFromString(
        QString::fromLatin1(keys.data(), static_cast<qsizetype>(keys.size()))));
    action->setShortcutContext(Qt::ApplicationShortcut);
    // The display runs them as it runs its context menu's entries.
    connect(action, &QAction::triggered, this,
            [this, id = command.command] { view_->Display().OnMenuCommand(id); });
    peak_actions_.append(action);
  }
  addActions(peak_actions_);  // the keys work while the View menu is closed

  view_menu_ = menuBar()->addMenu(QStringLiteral("&View"));
  view_menu_->setObjectName(QStringLiteral("viewMenu"));
  // Preset pages arrive with the Receiver's bands, so the list is made afresh each time it opens.
  connect(view_menu_, &QMenu::aboutToShow, this, &CMainFrame::RebuildViewMenu);
  RebuildViewMenu();

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  QAction* manual = KeyAction(kCmdManual);
  manual->setText(QStringLiteral("&Manual"));
  help->addAction(manual);
  help->addAction(QStringLiteral("&About"), this, [this] { OpenAbout(); });
}

namespace {

// A menu of exclusive choices, the one at `chosen` checked; `picked` hears the index and text of
// each choice made.
QMenu* ChoiceMenu(const QString& title, const QString& object_name,
                  const std::vector<std::string_view>& names, size_t chosen, QWidget* parent,
                  std::function<void(size_t, const QString&)> picked) {
  auto* menu = new QMenu(title, parent);
  menu->setObjectName(object_name);
  auto* group = new QActionGroup(menu);
  for (size_t i = 0; i < names.size(); ++i) {
    QAction* action = menu->addAction(
        QString::fromLatin1(names[i].data(), static_cast<qsizetype>(names[i].size())));
    action->setCheckable(true);
    action->setChecked(i == chosen);
    group->addAction(action);
    QObject::connect(action, &QAction::triggered, menu,
                     [picked, i, text = action->text()] { picked(i, text); });
  }
  return menu;
}

}  // namespace

void CMainFrame::BuildColourMapMenu() {
  const QString key = QStringLiteral("ColourMap");
  // Without settings of its own (tests) the frame starts with the Receiver's map.
  const ColourMap chosen =
      settings_ == nullptr
          ? ColourMap::kReceiver
          : ColourMapNamed(settings_->ViewChoice(key).toStdString()).value_or(ColourMap::kReceiver);
  view_->Display().Spectrogram().SetColourMap(chosen);
  std::vector<std::string_view> names;
  for (const ColourMap map : kColourMaps) names.push_back(ColourMapName(map));
  const auto chosen_at = static_cast<size_t>(
      std::find(kColourMaps.begin(), kColourMaps.end(), chosen) - kColourMaps.begin());
  colour_map_menu_ = ChoiceMenu(QStringLiteral("Colour Map"), QStringLiteral("colourMapMenu"),
                                names, chosen_at, this, [this, key](size_t i, const QString& text) {
                                  view_->Display().Spectrogram().SetColourMap(kColourMaps[i]);
                                  Settings().SetViewChoice(key, text);
                                });
}

void CMainFrame::BuildDensityMenu() {
  DensityRecord& density = view_->Display().Density();
  // Without settings of its own (tests) the frame starts with the view off at its default.
  const QString on_key = QStringLiteral("Density");
  const QString persistence_key = QStringLiteral("DensityPersistence");
  const bool on = settings_ != nullptr && settings_->ViewOption(on_key, false);
  const int32_t persistence =
      settings_ == nullptr
          ? kDefaultDensityPersistence
          : DensityPersistenceNamed(settings_->ViewChoice(persistence_key).toStdString())
                .value_or(kDefaultDensityPersistence);
  density.SetPersistence(persistence);
  density.SetOn(on);
  density_action_ = new QAction(QStringLiteral("Density"), this);
  density_action_->setObjectName(QStringLiteral("density"));
  density_action_->setCheckable(true);
  density_action_->setChecked(on);
  connect(density_action_, &QAction::toggled, this, [this, on_key](bool shown) {
    view_->Display().Density().SetOn(shown);
    view_->Display().update();
    Settings().SetViewOption(on_key, shown);
  });
  std::vector<std::string_view> names;
  for (const int32_t seconds : kDensityPersistences) {
    names.push_back(DensityPersistenceName(seconds));
  }
  const auto chosen_at = static_cast<size_t>(
      std::find(kDensityPersistences.begin(), kDensityPersistences.end(), persistence) -
      kDensityPersistences.begin());
  density_menu_ =
      ChoiceMenu(QStringLiteral("Density Persistence"), QStringLiteral("densityPersistenceMenu"),
                 names, chosen_at, this, [this, persistence_key](size_t i, const QString& text) {
                   view_->Display().Density().SetPersistence(kDensityPersistences[i]);
                   view_->Display().update();
                   Settings().SetViewChoice(persistence_key, text);
                 });
}

void CMainFrame::BuildChannelsMenu() {
  // The channel plan's bands over the plot: off until chosen.
  channels_action_ = new QAction(QStringLiteral("Channels"), this);
  channels_action_->setObjectName(QStringLiteral("channels"));
  channels_action_->setCheckable(true);
  const bool channels_shown =
      settings_ != nullptr && settings_->ViewOption(QStringLiteral("Channels"), false);
  channels_action_->setChecked(channels_shown);
  view_->ChannelPlans().SetShown(channels_shown);
  connect(channels_action_, &QAction::toggled, this, [this](bool on) {
    view_->ChannelPlans().SetShown(on);
    view_->Display().Repaint();
    Settings().SetViewOption(QStringLiteral("Channels"), on);
  });
  // The busy level and the live span, remembered by their names; a name no longer offered
  // falls back to the default.
  const auto choice_menu = [this](const QString& title, const QString& object_name,
                                  const QString& key, std::span<const ChannelUseChoice> choices,
                                  int32_t fallback, const std::function<void(int32_t)>& apply) {
    const std::string stored =
        settings_ != nullptr ? settings_->ViewChoice(key).toStdString() : std::string();
    std::vector<std::string_view> names;
    std::optional<size_t> named;
    size_t chosen = 0;
    for (size_t i = 0; i < choices.size(); ++i) {
      names.push_back(choices[i].name);
      if (choices[i].name == stored) named = i;
      if (choices[i].value == fallback) chosen = i;
    }
    chosen = named.value_or(chosen);
    apply(choices[chosen].value);
    return ChoiceMenu(title, object_name, names, chosen, this,
                      [this, key, choices, apply](size_t i, const QString& text) {
                        apply(choices[i].value);
                        Settings().SetViewChoice(key, text);
                      });
  };
  channel_threshold_menu_ = choice_menu(
      QStringLiteral("Channel Threshold"), QStringLiteral("channelThresholdMenu"),
      QStringLiteral("ChannelThreshold"), kUseThresholdChoices, kDefaultUseThreshold / 16,
      [this](int32_t dbm) { view_->SetChannelThreshold(dbm); });
  channel_span_menu_ = choice_menu(
      QStringLiteral("Channel Span"), QStringLiteral("channelSpanMenu"),
      QStringLiteral("ChannelSpan"), kUseSpanChoices,
      static_cast<int32_t>(kDefaultUseWindowMs / 1000), [this](int32_t seconds) {
        view_->ChannelPlans().SetSpan(seconds);
        view_->Display().Repaint();
      });
}

// --- Keys -------------------------------------------------------------------------------------

void CMainFrame::BuildKeys() {
  for (const CommandKey& key : CommandKeys()) {
    // The View menu's peak commands carry their own keys.
    if (key.command == kCmdMarkerToPeak || key.command == kCmdNextPeak ||
        key.command == kCmdMarkerToFrequency) {
      continue;
    }
    auto* action = new QAction(this);
    action->setObjectName(QStringLiteral("key%1").arg(key.command));
    // From the graph's other windows as well; a modal dialog still keeps them away.
    action->setShortcutContext(Qt::ApplicationShortcut);
    action->setShortcuts(QKeySequence::listFromString(
        QString::fromLatin1(key.keys.data(), static_cast<qsizetype>(key.keys.size()))));
    connect(action, &QAction::triggered, this,
            [this, command = key.command] { RunKeyCommand(command); });
    addAction(action);
    key_actions_.insert(key.command, action);
  }
  qApp->installEventFilter(this);
}

void CMainFrame::RunKeyCommand(int command) {
  CDisplay& display = view_->Display();
  if (const int steps = MarkerStepOf(command)) {
    display.StepMarker(steps);
    return;
  }
  switch (command) {
    case kCmdLeaveSelection:
      // Also drops a selection shown outside selection mode (after zooming out).
      display.SetSelectionMode(false);
      display.ClearAreaSelected();
      view_->Timeline().ClearWindow();
      return;
    case kCmdManual:
      OpenManual();
      return;
    case kCmdPause:
      if (const std::optional<int> space = SpaceCommand(view_->Flags())) view_->OnCommand(*space);
      return;
    default:
      // The view checks the command's enable rule, as for its button.
      view_->OnCommand(command);
  }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride &&
      KeyStaysWithWidget(watched, *static_cast<QKeyEvent*>(event), *this)) {
    event->accept();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

CManualWindow* CMainFrame::OpenManual() {
  if (manual_ == nullptr) {
    manual_ = new CManualWindow(this);
    manual_->setAttribute(Qt::WA_DeleteOnClose);
  }
  manual_->show();
  manual_->raise();
  manual_->activateWindow();
  return manual_;
}

// -----------------------------------------------------------------------------------------------

void CMainFrame::BuildReconnect() {
  // A lost link is reported in a row under the toolbar, which shows only while it has news.
  link_lost_bar_ = new CLinkLostBar(view_->Connection(), statusBar(), this);
  addToolBarBreak();
  addToolBar(link_lost_bar_);
  connection_menu_ = menuBar()->addMenu(QStringLiteral("&Connection"));
  connection_menu_->setObjectName(QStringLiteral("connectionMenu"));
  connection_menu_->addAction(link_lost_bar_->ReconnectAction());
  connection_menu_->addAction(link_lost_bar_->AutomaticAction());
  // Frames without settings of their own (tests) start with it off.
  link_lost_bar_->AutomaticAction()->setChecked(settings_ != nullptr &&
                                                settings_->ReconnectAutomatically());
  connect(link_lost_bar_->AutomaticAction(), &QAction::toggled, this,
          [this](bool on) { Settings().SetReconnectAutomatically(on); });
}

void CMainFrame::RebuildRecentFiles() {
  for (QAction* action : recent_actions_) {
    file_menu_->removeAction(action);
    action->deleteLater();
  }
  recent_actions_.clear();
  const QStringList files = RecentFiles();
  if (files.isEmpty()) {
    auto* placeholder = new QAction(QStringLiteral("Recent File"), this);
    placeholder->setEnabled(false);
    recent_actions_.append(placeholder);
  }
  for (int i = 0; i < files.size(); ++i) {
    const QString path = files[i];
    auto* action = new QAction(
        QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this);
    action->setData(path);
    connect(action, &QAction::triggered, this, [this, path] { emit RecentFileChosen(path); });
    recent_actions_.append(action);
  }
  file_menu_->insertActions(recent_anchor_, recent_actions_);
}

void CMainFrame::RebuildViewMenu() {
  view_menu_->clear();
  CSidePanels& panels = view_->Display().Panels();
  for (const auto* stack : {&panels.RightStack(), &panels.LeftStack()}) {
    if (!view_menu_->isEmpty()) view_menu_->addSeparator();
    for (CTabDialog* page : *stack) {
      QAction* action = view_menu_->addAction(page->Title());
      action->setCheckable(true);
      // Ticked while the page is on its edge; the menu closes even a page whose tab has no
      // close box (Trigger), so every item can be toggled.
      action->setChecked(!page->IsClosed());
      connect(action, &QAction::toggled, page, [page](bool open) {
        if (open) {
          page->ReopenPage();
        } else {
          page->ClosePage();
        }
      });
    }
  }
  view_menu_->addSeparator();
  view_menu_->addAction(frequency_axis_action_);
  view_menu_->addMenu(colour_map_menu_);
  view_menu_->addAction(density_action_);
  view_menu_->addMenu(density_menu_);
  view_menu_->addAction(channels_action_);
  view_menu_->addMenu(channel_threshold_menu_);
  view_menu_->addMenu(channel_span_menu_);
  view_menu_->addSeparator();
  view_menu_->addActions(peak_actions_);
}

QStringList CMainFrame::RecentFiles() const {
  return settings_ != nullptr ? settings_->RecentFiles() : QStringList();
}

void CMainFrame::AddRecentFile(const QString& path) {
  Settings().AddRecentFile(QFileInfo(path).absoluteFilePath());
  RebuildRecentFiles();
}

void CMainFrame::OpenRecentFile(const QString& path) {
  if (!QFileInfo::exists(path)) {
    Settings().RemoveRecentFile(path);
    RebuildRecentFiles();
    alerts_.Show(path.toStdString() + " is no longer there; it is taken off the recent files.",
                 "Recent Files");
    return;
  }
  view_->OpenChosenFile(path.toStdString());
}

QDialog* CMainFrame::PrintSetup() {
  // Qt's page set-up serves only a system printer and complains on the console otherwise.
  QDialog* dialog = printer_->outputFormat() == QPrinter::NativeFormat
                        ? static_cast<QDialog*>(new QPageSetupDialog(printer_.get(), this))
                        : new CPageSetupDialog(*printer_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->show();
  return dialog;
}

CDisableRadioAlertDialog* CMainFrame::OpenRadioAlert() {
  auto* dialog = new CDisableRadioAlertDialog(Settings(), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->show();
  return dialog;
}

CDisableRadioAlertDialog* CMainFrame::OpenRadioAlertAtStartup() {
  if (!Settings().ShowRadioAlertAtStartup()) return nullptr;
  return OpenRadioAlert();
}

CAboutDialog* CMainFrame::OpenAbout() {
  auto* dialog = new CAboutDialog(tablet_mode_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->show();
  return dialog;
}

void CMainFrame::RefreshToolbar() {
  RefreshToolbar(view_->Flags(), view_->Toolbar());
}

void CMainFrame::RefreshToolbar(const ViewFlags& flags, const ToolbarState& toolbar) {
  const auto& buttons = toolbar.Buttons();
  for (int i = 0; i < kToolbarButtons; ++i) {
    const std::string prompt = CommandPrompt(buttons[i].command);
    const auto split = prompt.find('\n');
    const QString status = QString::fromStdString(prompt.substr(0, split)).trimmed();
    QAction* action = actions_[i];
    action->setData(buttons[i].command);
    action->setText(status);
    action->setStatusTip(status);
    const std::string tip = split == std::string::npos ? prompt : prompt.substr(split + 1);
    action->setToolTip(
        QString::fromStdString(TipWithKey(QString::fromStdString(tip).trimmed().toStdString(),
                                          buttons[i].command)));
    if (action->property(kImageProperty).toInt() != buttons[i].image ||
        action->icon().isNull()) {
      action->setIcon(ToolbarIcon(buttons[i].image));
      action->setProperty(kImageProperty, buttons[i].image);
    }
    action->setEnabled(CommandEnabled(buttons[i].command, flags));
  }
}

int CMainFrame::ActionImage(int toolbar_position) const {
  return actions_[toolbar_position]->property(kImageProperty).toInt();
}

QString CMainFrame::PaneText(int pane_id) const {
  const QLabel* label = panes_.value(pane_id, nullptr);
  return label != nullptr ? label->text() : QString();
}

void CMainFrame::SetPaneText(int pane_id, const QString& text) {
  if (pane_id == kPaneMessage) {
    statusBar()->showMessage(text);
    return;
  }
  if (QLabel* label = panes_.value(pane_id, nullptr)) label->setText(text);
}

void CMainFrame::StartRunningClock() {
  if (running_timer_->IsActive()) return;
  SetPaneText(kPaneRunningTime, QString::fromStdString(running_clock_.Text()));
  running_timer_->Start(kRunningClockMs);
}

void CMainFrame::StopRunningClock() {
  running_timer_->Stop();
}

}  // namespace qv
