#include "gui/ui/side_panels.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/display/markers_page.h"
#include "gui/ui/tab_dialog.h"

namespace qv {

CSidePanels::CSidePanels(TraceData& trace, DisplayState& state, TimerFactory& timers,
                         QWidget* graph)
    : context_{trace, state, timers, graph} {
  // Pages still to be built keep their place and caption so the stacks are already right.
  right_.push_back(Placeholder(QStringLiteral("Freq Control"), timers, graph));
  // The trigger page carries no close box.
  right_.push_back(Placeholder(QStringLiteral("Trigger"), timers, graph, false));
  right_.push_back(Placeholder(QStringLiteral("Reference Level"), timers, graph));
  right_.push_back(Placeholder(QStringLiteral("Resolution"), timers, graph));
  markers_ = new CMarkers(trace, state, timers, graph);
  right_.push_back(markers_);
  right_.push_back(Placeholder(QStringLiteral("Peak Hold"), timers, graph));

  left_.push_back(Placeholder(QStringLiteral("Trace Colour"), timers, graph));
  left_.push_back(Placeholder(QStringLiteral("Scr Avg"), timers, graph));
  left_.push_back(Placeholder(QStringLiteral("Video Avg"), timers, graph));
}

CTabDialog* CSidePanels::Placeholder(const QString& title, TimerFactory& timers, QWidget* graph,
                                     bool close_box) {
  auto* page = new CTabDialog(title, timers, graph);
  page->SetCloseBox(close_box);
  auto* layout = new QVBoxLayout(page->Body());
  layout->addWidget(new QLabel(title, page->Body()));
  page->Body()->setFixedSize(180, 140);
  page->InitPage();
  return page;
}

void CSidePanels::Dock(const QRect& container) {
  int offset = 0;
  for (CTabDialog* page : right_) offset = page->Dock(kTabRight, container, offset);
  offset = 0;
  for (CTabDialog* page : left_) offset = page->Dock(kTabLeft, container, offset);
}

CTabDialog* CSidePanels::Page(const QString& title) const {
  for (const auto* stack : {&right_, &left_}) {
    for (CTabDialog* page : *stack) {
      if (page->Title() == title) return page;
    }
  }
  return nullptr;
}

}  // namespace qv
