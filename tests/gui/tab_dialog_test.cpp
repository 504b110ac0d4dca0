#include "gui/ui/tab_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMap>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/app/manual_clock.h"
#include "core/display/receiver_identity.h"
#include "core/display/display_state.h"
#include "core/display/trace_data.h"
#include "gui/app/app_settings.h"
#include "gui/app/form_view.h"
#include "gui/app/main_frame.h"
#include "gui/display/display.h"
#include "gui/display/markers_page.h"
#include "gui/ui/side_panels.h"
#include "support/recording_alerts.h"

namespace qv {
namespace {

// A graph window with pages on it and a pointer the test moves by hand.
class TabDialogTest : public ::testing::Test {
 protected:
  TabDialogTest() {
    graph_.resize(800, 600);
    graph_.show();
  }

  CTabDialog* Page(const QString& title, int width = 150, int height = 120) {
    auto* page = new CTabDialog(title, clock_, &graph_);
    page->SetPointerSource([this] { return graph_.mapToGlobal(pointer_); });
    page->Body()->setFixedSize(width, height);
    page->InitPage();
    page->show();
    return page;
  }

  // A point on the page's tab, in graph coordinates.
  static QPoint OnTab(const CTabDialog* page) {
    const int across = page->Side() == kTabRight ? 5 : page->width() - 5;
    return page->pos() + QPoint(across, page->height() - 4);
  }

  ManualClock clock_;
  QWidget graph_;
  QPoint pointer_{400, 300};  // over the plot, away from every page
};

TEST_F(TabDialogTest, LongTitleMakesThePageLongerAndIsCutWithATipOnlyWhereTheGraphIsShort) {
  const QString title = QStringLiteral("Resolution bandwidth and reference level settings");
  CTabDialog* page = Page(title, 60, 60);
  const int natural = QFontMetrics(page->font()).horizontalAdvance(title) + 19 + 6;
  EXPECT_EQ(page->TabLength(), natural);
  // The panel holds the controls and, towards the edge, the strip the edge's tabs lie on.
  EXPECT_EQ(page->PanelSize(), QSize(60 + kTabDepth, natural));
  EXPECT_EQ(page->ShownTitle(), title);
  const QPoint on_tab(page->width() - 5, page->height() - 4);
  EXPECT_EQ(page->ToolTipAt(on_tab), QString());

  // A graph shorter than the title: the tab is cut to it, and the tip on the tab names it whole.
  page->Dock(kTabLeft, QRect(0, 0, 800, natural / 2), 0);
  EXPECT_EQ(page->TabLength(), natural / 2);
  EXPECT_TRUE(page->ShownTitle().endsWith(QChar(0x2026)));
  EXPECT_EQ(page->ToolTipAt(QPoint(page->width() - 5, page->height() - 4)), title);
  EXPECT_EQ(page->ToolTipAt(QPoint(5, 5)), QString());  // the page itself has none

  // A short title fits whole: the tab grows by the close box and borders around it.
  CTabDialog* fits = Page(QStringLiteral("Trace"), 200, 60);
  EXPECT_EQ(fits->ShownTitle(), QStringLiteral("Trace"));
  EXPECT_EQ(fits->TabLength(),
            QFontMetrics(fits->font()).horizontalAdvance(QStringLiteral("Trace")) + 19 + 6);
  EXPECT_EQ(fits->PanelSize(), QSize(200 + kTabDepth, 60));
}

TEST_F(TabDialogTest, DockingOnTheRightMovesTheTabStripAndTheControls) {
  CTabDialog* page = Page(QStringLiteral("Markers"), 150, 120);
  // Controls, the strip where the edge's other tabs lie, and the tab.
  EXPECT_EQ(page->size(), QSize(190, 120));
  EXPECT_EQ(page->Body()->mapTo(page, QPoint(0, 0)), QPoint(20, 0));

  page->Dock(kTabRight, graph_.rect(), 0);
  EXPECT_EQ(page->Body()->mapTo(page, QPoint(0, 0)), QPoint(20, 0));
  // The strip is 170 ... 189 now, under the right edge's other tabs.
  EXPECT_EQ(page->Body()->mapTo(page, QPoint(page->Body()->width() - 1, 0)).x(), 169);
  const int b = 120 - page->TabLength();
  EXPECT_EQ(page->Outline().first(), QPoint(2, b));
  // The mask follows the outline: the tab is in, the strip above the tab is out.
  EXPECT_TRUE(page->mask().contains(QPoint(10, 118)));
  EXPECT_FALSE(page->mask().contains(QPoint(5, 5)));
  EXPECT_TRUE(page->mask().contains(QPoint(100, 5)));
  EXPECT_EQ(page->CloseBox(), QRect(2, b + 2, 15, 15));
}

TEST_F(TabDialogTest, DockedPagesHideBehindTheirTabsAndShowInFull) {
  CTabDialog* lower = Page(QStringLiteral("Freq Control"));
  CTabDialog* upper = Page(QStringLiteral("Trigger"));
  const int offset = lower->Dock(kTabRight, graph_.rect(), 0);
  EXPECT_EQ(offset, lower->TabLength());
  upper->Dock(kTabRight, graph_.rect(), offset);

  EXPECT_TRUE(lower->IsHidden());
  EXPECT_EQ(lower->pos(), QPoint(780, 480));
  EXPECT_EQ(upper->pos(), QPoint(780, 480 - offset));
  lower->ShowPage();
  EXPECT_EQ(lower->pos(), QPoint(610, 480));
  lower->HidePage();
  EXPECT_EQ(lower->pos(), QPoint(780, 480));

  // Hiding a hidden page leaves it where it is.
  lower->move(700, 10);
  lower->HidePage();
  EXPECT_EQ(lower->pos(), QPoint(700, 10));

  CTabDialog* left = Page(QStringLiteral("Scr Avg"));
  left->Dock(kTabLeft, graph_.rect(), 0);
  EXPECT_EQ(left->pos(), QPoint(20 - 190, 480));
  left->ShowPage();
  EXPECT_EQ(left->pos(), QPoint(0, 480));
}

TEST_F(TabDialogTest, HoverShowsOnePageAndHidesTheOtherWithinOnePeriod) {
  CTabDialog* lower = Page(QStringLiteral("Freq Control"));
  CTabDialog* upper = Page(QStringLiteral("Trigger"));
  CTabDialog* left = Page(QStringLiteral("Video Avg"));
  upper->Dock(kTabRight, graph_.rect(), lower->Dock(kTabRight, graph_.rect(), 0));
  left->Dock(kTabLeft, graph_.rect(), 0);

  clock_.Advance(1000);
  EXPECT_TRUE(lower->IsHidden() && upper->IsHidden() && left->IsHidden());

  pointer_ = OnTab(upper);
  clock_.Advance(500);
  EXPECT_FALSE(upper->IsHidden());
  EXPECT_TRUE(lower->IsHidden());

  pointer_ = OnTab(lower);
  clock_.Advance(500);
  EXPECT_FALSE(lower->IsHidden());
  EXPECT_TRUE(upper->IsHidden());

  // Anywhere on the shown panel keeps it out; across the graph to the other edge swaps them.
  pointer_ = lower->pos() + QPoint(60, 30);
  clock_.Advance(1500);
  EXPECT_FALSE(lower->IsHidden());
  pointer_ = OnTab(left);
  clock_.Advance(500);
  EXPECT_FALSE(left->IsHidden());
  EXPECT_TRUE(lower->IsHidden());
}

TEST_F(TabDialogTest, HoldingTheButtonKeepsThePageOutUntilRelease) {
  CTabDialog* page = Page(QStringLiteral("Peak Hold"));
  page->Dock(kTabRight, graph_.rect(), 0);
  pointer_ = OnTab(page);
  clock_.Advance(500);
  ASSERT_FALSE(page->IsHidden());

  const QPoint on_tab(10, page->height() - 4);
  QTest::mousePress(page, Qt::LeftButton, Qt::NoModifier, on_tab);
  EXPECT_TRUE(page->IsDragging());
  pointer_ = QPoint(400, 300);
  clock_.Advance(3000);
  EXPECT_FALSE(page->IsHidden());
  EXPECT_EQ(page->pos(), page->ShownPosition());  // holding does not move it either

  QTest::mouseRelease(page, Qt::LeftButton, Qt::NoModifier, on_tab);
  EXPECT_FALSE(page->IsDragging());
  clock_.Advance(500);
  EXPECT_TRUE(page->IsHidden());
}

TEST_F(TabDialogTest, CloseBoxClosesUntilShownAgain) {
  CTabDialog* page = Page(QStringLiteral("Resolution"));
  page->Dock(kTabRight, graph_.rect(), 0);
  QTest::mousePress(page, Qt::LeftButton, Qt::NoModifier, page->CloseBox().center());
  EXPECT_FALSE(page->isVisible());
  EXPECT_FALSE(page->HoverTimerActive());

  page->show();
  pointer_ = OnTab(page);
  clock_.Advance(500);
  EXPECT_FALSE(page->IsHidden());
}

TEST_F(TabDialogTest, AutoHideOffKeepsThePageShown) {
  CTabDialog* page = Page(QStringLiteral("Trace Colour"));
  page->Dock(kTabLeft, graph_.rect(), 0);
  page->SetAutoHide(false);
  EXPECT_FALSE(page->IsHidden());
  EXPECT_FALSE(page->HoverTimerActive());
  // Letting go of a drag must not bring the sliding back.
  QTest::mousePress(page, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
  QTest::mouseRelease(page, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
  clock_.Advance(2000);
  EXPECT_FALSE(page->IsHidden());
}

// Every page of both edges, preset pages and Limits included, shown in turn in a graph the
// size of a 1280 x 800 screen's: no tab of another page on that edge lies over any of its
// controls, where it would hide them and take their clicks.
TEST(SidePanelsTest, NoTabOfAnEdgeLiesOverTheControlsOfAShownPage) {
  ManualClock clock;
  RecordingAlerts alerts;
  CQuorvalinFormView view(clock, alerts);
  view.resize(1280, 690);
  view.show();
  CDisplay& graph = view.Display();
  CSidePanels& panels = graph.Panels();
  for (const uint32_t band : {kBand2400Start, kBandPublicSafetyStart, kBand5000Start, kBand902Start}) {
    panels.AddPresetPages(band);
  }
  panels.Dock(graph.rect());
  ASSERT_NE(panels.Page("Public Safety"), nullptr);
  ASSERT_NE(panels.Page("Limits"), nullptr);
  const auto tab_of = [&graph](const CTabDialog* page) {
    const int x = page->Side() == kTabRight ? 0 : page->width() - kTabDepth;
    return QRect(page->mapTo(&graph, QPoint(x, page->height() - page->TabLength())),
                 QSize(kTabDepth, page->TabLength()));
  };
  for (const auto* stack : {&panels.LeftStack(), &panels.RightStack()}) {
    for (CTabDialog* shown : *stack) {
      shown->ShowPage();
      const auto* scroll = shown->findChild<QScrollArea*>();
      const QRect viewport(scroll->viewport()->mapTo(&graph, QPoint(0, 0)),
                           scroll->viewport()->size());
      for (const QWidget* control : shown->Body()->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(shown)) continue;
        const QRect place =
            QRect(control->mapTo(&graph, QPoint(0, 0)), control->size()) & viewport;
        for (const CTabDialog* other : *stack) {
          if (other == shown || other->IsClosed()) continue;
          EXPECT_FALSE(place.intersects(tab_of(other)))
              << other->Title().toStdString() << " over " << shown->Title().toStdString() << " "
              << control->metaObject()->className();
        }
      }
      shown->HidePage();
    }
  }
}

TEST(SidePanelsTest, StacksInOrderFromTheBottomAndRedockOnResize) {
  ManualClock clock;
  auto trace = std::make_unique<TraceData>();
  DisplayState state;
  QWidget graph;
  graph.resize(1000, 800);
  CSidePanels panels(*trace, state, clock, &graph);
  panels.Dock(graph.rect());

  QStringList right;
  for (const CTabDialog* page : panels.RightStack()) right << page->Title();
  EXPECT_EQ(right, (QStringList{"Freq Control", "Trigger", "Reference Level", "Resolution",
                                "Markers", "Peak Hold"}));
  QStringList left;
  for (const CTabDialog* page : panels.LeftStack()) left << page->Title();
  EXPECT_EQ(left, (QStringList{"Trace Colour", "Scr Avg", "Video Avg"}));
  EXPECT_EQ(panels.Page("Markers"), panels.Markers());
  EXPECT_TRUE(panels.Page("Trigger")->CloseBox().isNull());

  // Each page's bottom sits where the tabs below it end.
  int bottom = 800;
  for (const CTabDialog* page : panels.RightStack()) {
    EXPECT_EQ(page->pos().y() + page->height(), bottom) << page->Title().toStdString();
    EXPECT_EQ(page->pos().x(), 1000 - 20);
    bottom -= page->TabLength();
  }
  bottom = 800;
  for (const CTabDialog* page : panels.LeftStack()) {
    EXPECT_EQ(page->pos().y() + page->height(), bottom);
    EXPECT_EQ(page->pos().x(), 20 - page->width());
    bottom -= page->TabLength();
  }

  graph.resize(1200, 900);
  panels.Dock(graph.rect());
  const CTabDialog* first = panels.RightStack().front();
  EXPECT_EQ(first->pos(), QPoint(1200 - 20, 900 - first->height()));
}

// The tab of a page slid behind it, in its parent's coordinates.
QRect TabOf(const CTabDialog* page) {
  const int x = page->Side() == kTabRight ? page->x() : page->x() + page->width() - kTabDepth;
  return QRect(x, page->y() + page->height() - page->TabLength(), kTabDepth, page->TabLength());
}

// Leaf widgets: what a user reads or works.
QList<QWidget*> ControlsOf(const CTabDialog* page) {
  QList<QWidget*> controls;
  for (QWidget* widget : page->Body()->findChildren<QWidget*>()) {
    if (widget->isWindow() || !widget->isVisibleTo(page->Body())) continue;
    const auto children = widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    const bool leaf = std::none_of(children.begin(), children.end(), [widget](QWidget* child) {
      return !child->isWindow() && child->isVisibleTo(widget);
    });
    if (leaf) controls << widget;
  }
  return controls;
}

// In the real window, from 800 x 600 up, with the pages of every band: each tab lies whole on the
// graph's edge, clear of the others, and shows its whole title from 1280 x 800 up (elsewhere a
// cut title is whole in the tab's tool tip); every control of every page can be brought into
// view inside the graph, on the page or by
// scrolling it.
TEST(SidePanelsTest, EveryTabAndControlIsReachableAtEveryWindowSize) {
  ManualClock clock;
  RecordingAlerts alerts;
  QTemporaryDir dir;
  AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
  CMainFrame frame(clock, alerts, false, settings);
  CDisplay& graph = frame.View().Display();
  CSidePanels& panels = graph.Panels();
  // In the order the simulated Receiver reports them, which puts UNII at the top.
  for (const uint32_t band : {18048u, 48000u, 98000u, 103000u}) panels.AddPresetPages(band);
  ASSERT_EQ(panels.LeftStack().size(), 9u);
  frame.show();

  const QSize sizes[] = {{1600, 1000}, {800, 600},  {1024, 768},
                         {1280, 800},  {800, 1000}, {1600, 600}};
  for (const QSize size : sizes) {
    frame.resize(size);
    QApplication::processEvents();
    ASSERT_EQ(frame.size(), size);
    const QRect area = graph.rect();
    const std::string at = std::to_string(size.width()) + " x " + std::to_string(size.height());
    for (const auto* stack : {&panels.LeftStack(), &panels.RightStack()}) {
      QRect below;
      for (CTabDialog* page : *stack) {
        const std::string name = page->Title().toStdString() + " at " + at;
        ASSERT_TRUE(page->IsHidden()) << name;
        const QRect tab = TabOf(page);
        EXPECT_TRUE(area.contains(tab)) << name;
        EXPECT_FALSE(tab.intersects(below)) << name;
        if (size.width() >= 1280 && size.height() >= 800) {
          EXPECT_EQ(page->ShownTitle(), page->Title()) << name;
        } else if (page->ShownTitle() != page->Title()) {
          EXPECT_EQ(page->ToolTipAt(tab.center() - page->pos()), page->Title()) << name;
        }
        below = tab;

        page->ShowPage();
        EXPECT_TRUE(area.contains(page->geometry())) << name;
        QScrollArea* scroller = page->Scroller();
        for (QWidget* control : ControlsOf(page)) {
          scroller->ensureWidgetVisible(control, 0, 0);
          const QRect shown(control->mapTo(&graph, QPoint(0, 0)), control->size());
          const QRect view(scroller->viewport()->mapTo(&graph, QPoint(0, 0)),
                           scroller->viewport()->size());
          EXPECT_TRUE(view.contains(shown) && area.contains(shown))
              << name << ": " << control->metaObject()->className() << " "
              << control->objectName().toStdString();
        }
        page->HidePage();
      }
    }
  }
}

}  // namespace
}  // namespace qv
