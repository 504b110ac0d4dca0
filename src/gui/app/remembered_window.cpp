#include "gui/app/remembered_window.h"

#include <algorithm>

#include "gui/app/form_view.h"
#include "gui/app/main_frame.h"
#include "gui/app/window_place.h"
#include "gui/display/display.h"
#include "gui/link/connection_sheet.h"
#include "gui/ui/side_panels.h"
#include "gui/ui/tab_dialog.h"

namespace qv {
namespace {

template <typename Visit>
void ForEachPanel(CMainFrame& frame, Visit visit) {
  CSidePanels& panels = frame.View().Display().Panels();
  for (const auto* stack : {&panels.RightStack(), &panels.LeftStack()}) {
    for (CTabDialog* page : *stack) visit(*page);
  }
}

}  // namespace

void RestoreRemembered(CMainFrame& frame, const RememberedSettings& remembered) {
  CConnectionEx& sheet = frame.View().Connection();
  sheet.SetPreselection(remembered.link);
  sheet.Ops().SetRemembered(remembered.spectrum);
  frame.View().SetReplayChoice(remembered.replay_choice);
  const auto& closed = remembered.window.closed_panels;
  ForEachPanel(frame, [&closed](CTabDialog& page) {
    const bool was_closed =
        std::find(closed.begin(), closed.end(), page.Title().toStdString()) != closed.end();
    if (was_closed) page.ClosePage();
  });
}

void ShowMainWindow(CMainFrame& frame, const RememberedWindow& window) {
  if (window.place && PlaceOnSomeScreen(*window.place, AvailableScreens())) {
    frame.setGeometry(window.place->x, window.place->y, window.place->width,
                      window.place->height);
    if (!window.maximised) {
      frame.show();
      return;
    }
  }
  frame.showMaximized();
}

RememberedSettings CollectRemembered(CMainFrame& frame, const RememberedSettings& restored) {
  RememberedSettings now;
  CConnectionEx& sheet = frame.View().Connection();
  now.link = sheet.LastLink();
  now.spectrum = sheet.Ops().Remembered();
  now.replay_choice = frame.View().ReplayChoice();
  const QRect place = frame.isMaximized() || frame.isFullScreen() ? frame.normalGeometry()
                                                                  : frame.geometry();
  if (place.isValid()) {
    now.window.place = ScreenRect{place.x(), place.y(), place.width(), place.height()};
  }
  now.window.maximised = frame.isMaximized();
  std::vector<std::string> present;
  ForEachPanel(frame, [&](CTabDialog& page) {
    present.push_back(page.Title().toStdString());
    if (page.IsClosed()) now.window.closed_panels.push_back(present.back());
  });
  for (const std::string& title : restored.window.closed_panels) {
    if (std::find(present.begin(), present.end(), title) == present.end()) {
      now.window.closed_panels.push_back(title);
    }
  }
  return now;
}

}  // namespace qv
