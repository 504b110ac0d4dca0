#pragma once

#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/app/timer.h"
#include "core/ui/tab_geometry.h"

class QScrollArea;

namespace qv {

// Base of the graph's side-panel pages: a captionless child that docks to an edge of the graph
// and slides behind a labelled tab while the pointer is elsewhere. Pages put their controls on
// Body() and call InitPage() once they are laid out. A page larger than the graph scrolls.
class CTabDialog : public QWidget {
  Q_OBJECT

 public:
  CTabDialog(const QString& title, TimerFactory& timers, QWidget* parent = nullptr);
  ~CTabDialog() override;

  // Global pointer position; QCursor::pos unless a test scripts it.
  using PointerSource = std::function<QPoint()>;
  void SetPointerSource(PointerSource source) { pointer_ = std::move(source); }

  QWidget* Body() const { return body_; }
  QString Title() const { return title_; }

  // Settings a page makes before InitPage.
  void SetCloseBox(bool on) { shape_.close_box = on; }
  void SetShowTitle(bool on) { show_title_ = on; }
  void SetIcon(const QPixmap& icon);
  void SetTopmost(bool on) { topmost_ = on; }

  // Measures the panel as laid out, builds the tab and the outline and applies auto-hide.
  void InitPage();

  // Docks to the left (0) or right (1) edge of `container`, `offset` pixels up from its bottom,
  // cut to the container when larger, and returns the offset for the page above.
  int Dock(int side, const QRect& container, int offset);

  // The tab as the title alone would make it, for sharing an edge with other tabs.
  TabRun NaturalTab() const;
  // Draws the title `title_scale` times smaller in a tab `length` pixels long (no longer than
  // the natural one), so that a stack of tabs fits its edge.
  void FitTab(double title_scale, int length);

  void SetAutoHide(bool on);
  void HidePage();
  void ShowPage();
  // Hides the page for good, as the close box does; ReopenPage (or show()) brings it back at
  // its place on the edge.
  void ClosePage();
  void ReopenPage();
  bool IsClosed() const { return closed_; }

  bool IsHidden() const { return placement_.hidden(); }
  bool IsDragging() const { return dragging_; }
  bool HoverTimerActive() const;
  int Side() const { return shape_.side; }
  int TabLength() const { return shape_.tab_length; }
  QSize PanelSize() const { return {shape_.panel_width, shape_.panel_height}; }
  // Holds Body(); it shows scroll bars when the page is cut to the graph.
  QScrollArea* Scroller() const { return scroll_; }
  QPoint ShownPosition() const;
  QPolygon Outline() const { return polygon_; }
  QRect CloseBox() const;
  // The title as drawn in the tab, cut with an ellipsis when it does not fit.
  QString ShownTitle() const { return shown_title_; }
  // The tool tip at a point of the page: the whole title on a tab that shows it cut.
  QString ToolTipAt(const QPoint& point) const;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildRegion();
  void RenderTitle();
  void MoveToPlacement();
  void OnHoverTimer();
  void StartHoverTimer();

  QString title_;
  QScrollArea* scroll_;
  QWidget* body_;
  QSize designed_;    // the body as laid out; the panel is cut from it
  QFont title_font_;  // the window's font, smaller when the stack's tabs are pressed for room
  int natural_tab_length_ = kTabInitialLength;
  std::unique_ptr<Timer> hover_timer_;
  PointerSource pointer_;
  TabShape shape_;
  TabPlacement placement_;
  QPolygon polygon_;
  QRegion hit_region_;
  QPixmap title_image_;
  QString shown_title_;
  QPixmap icon_;
  bool show_title_ = true;
  bool topmost_ = true;
  bool auto_hide_ = true;
  bool dragging_ = false;
  bool closed_ = false;
  QPoint drag_offset_;
};

}  // namespace qv
