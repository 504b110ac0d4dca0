#include "gui/ui/tab_dialog.h"

#include <qdrawutil.h>

#include <QCursor>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

namespace qv {
namespace {

QPoint ToQt(TabPoint point) {
  return QPoint(point.x, point.y);
}

QRect ToQt(const TabRect& rect) {
  return QRect(rect.x, rect.y, rect.width, rect.height);
}

// Twice the signed area: positive when the outline runs clockwise on screen (y down).
long long OrientationOf(const QPolygon& polygon) {
  long long sum = 0;
  for (int i = 0; i + 1 < polygon.size(); ++i) {
    sum += static_cast<long long>(polygon[i].x()) * polygon[i + 1].y() -
           static_cast<long long>(polygon[i + 1].x()) * polygon[i].y();
  }
  return sum;
}

}  // namespace

CTabDialog::CTabDialog(const QString& title, TimerFactory& timers, QWidget* parent)
    : QWidget(parent),
      title_(title),
      scroll_(new QScrollArea(this)),
      body_(new QWidget),
      hover_timer_(timers.CreateTimer()),
      pointer_([] { return QCursor::pos(); }) {
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidget(body_);
  hover_timer_->SetCallback([this] { OnHoverTimer(); });
}

CTabDialog::~CTabDialog() = default;

void CTabDialog::SetIcon(const QPixmap& icon) {
  icon_ = icon;
  shape_.has_icon = !icon.isNull();
}

void CTabDialog::InitPage() {
  body_->adjustSize();
  shape_.panel_width = body_->width() + EdgeGutter(shape_);
  shape_.panel_height = body_->height();
  title_font_ = font();
  const int title_width = QFontMetrics(font()).horizontalAdvance(title_);
  shape_.tab_length = qv::TabLength(shape_, show_title_, title_width, shape_.tab_length);
  natural_tab_length_ = shape_.tab_length;
  const TabRect panel = PanelWithRoomForTab(shape_);
  designed_ = QSize(panel.width, panel.height);
  shape_.panel_width = panel.width;
  shape_.panel_height = panel.height;
  placement_.SetShape(shape_);
  placement_.ResetShownPosition();
  RenderTitle();
  BuildRegion();
  SetAutoHide(auto_hide_);
  if (topmost_) raise();
}

TabRun CTabDialog::NaturalTab() const {
  if (!show_title_) return TabRun{natural_tab_length_, 0};
  const int without_title = qv::TabLength(shape_, true, 0);
  return TabRun{natural_tab_length_, std::max(0, natural_tab_length_ - without_title)};
}

void CTabDialog::FitTab(double title_scale, int length) {
  QFont title_font = font();
  if (title_scale < 1) {
    const int pixels = QFontInfo(font()).pixelSize();
    title_font.setPixelSize(std::max(1, static_cast<int>(pixels * title_scale)));
  }
  const int fitted = std::min(length, natural_tab_length_);
  if (fitted == shape_.tab_length && title_font == title_font_) return;
  title_font_ = title_font;
  shape_.tab_length = fitted;
  RenderTitle();
  BuildRegion();
}

void CTabDialog::RenderTitle() {
  const QRect area = ToQt(TitleRect(shape_));
  shown_title_.clear();
  title_image_ = QPixmap();
  if (!show_title_ || area.width() <= 0 || area.height() <= 0) return;
  QFont title_font = title_font_;
  // A shrunk font may round a pixel wider than its share; one size smaller keeps the title
  // whole rather than cutting its end.
  if (title_font != font() && QFontMetrics(title_font).horizontalAdvance(title_) > area.width()) {
    title_font.setPixelSize(std::max(1, QFontInfo(title_font).pixelSize() - 1));
  }
  const QFontMetrics metrics(title_font);
  // The tab was sized from the rounded advance; eliding measures finer and would cut a title
  // that the tab was made for.
  shown_title_ = metrics.horizontalAdvance(title_) <= area.width()
                     ? title_
                     : metrics.elidedText(title_, Qt::ElideRight, area.width());
  title_image_ = QPixmap(area.size());
  title_image_.fill(palette().color(QPalette::Button));
  QPainter painter(&title_image_);
  painter.setFont(title_font);
  painter.setPen(palette().color(QPalette::ButtonText));
  painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown_title_);
}

void CTabDialog::BuildRegion() {
  placement_.SetShape(shape_);
  const TabRect window = WindowSize(shape_);
  setFixedSize(window.width, window.height);
  // The controls move with the panel when the tab strip changes sides.
  scroll_->setGeometry(ToQt(ControlsRect(shape_)));
  polygon_.clear();
  for (const TabPoint& point : TabPolygon(shape_)) polygon_ << ToQt(point);
  const QRegion region(polygon_, Qt::OddEvenFill);
  setMask(region);
  hit_region_ = region;
  update();
}

int CTabDialog::Dock(int side, const QRect& container, int offset) {
  const TabContainer edge{container.left(), container.top(), container.width(), container.height()};
  const TabRect panel = FitPanel(designed_.width(), designed_.height(), shape_.tab_depth, edge,
                                 style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  TabShape shape = shape_;
  shape.side = side == kTabRight ? kTabRight : kTabLeft;
  shape.panel_width = panel.width;
  shape.panel_height = panel.height;
  shape.tab_length = std::min(shape.tab_length, TabEdgeLength(shape));
  if (shape.side != shape_.side || shape.panel_width != shape_.panel_width ||
      shape.panel_height != shape_.panel_height || shape.tab_length != shape_.tab_length) {
    const bool retitle = shape.tab_length != shape_.tab_length;
    shape_ = shape;
    if (retitle) RenderTitle();
    BuildRegion();
  }
  const int next = placement_.Dock(shape_.side, edge, offset);
  MoveToPlacement();
  return next;
}

void CTabDialog::MoveToPlacement() {
  move(ToQt(placement_.position()));
}

QPoint CTabDialog::ShownPosition() const {
  return ToQt(placement_.shown());
}

QRect CTabDialog::CloseBox() const {
  return shape_.close_box ? ToQt(CloseBoxRect(shape_)) : QRect();
}

bool CTabDialog::HoverTimerActive() const {
  return hover_timer_->IsActive();
}

void CTabDialog::HidePage() {
  if (placement_.hidden()) return;
  placement_.Hide();
  MoveToPlacement();
}

void CTabDialog::ShowPage() {
  if (!placement_.hidden()) return;
  placement_.Show();
  MoveToPlacement();
  if (topmost_) raise();
}

void CTabDialog::SetAutoHide(bool on) {
  auto_hide_ = on;
  if (on) {
    HidePage();
    StartHoverTimer();
  } else {
    ShowPage();
    hover_timer_->Stop();
  }
}

void CTabDialog::StartHoverTimer() {
  hover_timer_->Start(kAutoHidePeriodMs);
}

void CTabDialog::ClosePage() {
  closed_ = true;
  hover_timer_->Stop();
  hide();
}

void CTabDialog::ReopenPage() {
  show();
}

void CTabDialog::OnHoverTimer() {
  hover_timer_->Stop();
  const QPoint local = mapFromGlobal(pointer_());
  if (!CloseBox().contains(local)) {
    if (hit_region_.contains(local)) {
      ShowPage();
    } else {
      HidePage();
    }
  }
  StartHoverTimer();
}

void CTabDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  if (CloseBox().contains(event->position().toPoint())) {
    ClosePage();
    return;
  }
  // Holding the button keeps the page from sliding away under the finger.
  hover_timer_->Stop();
  dragging_ = true;
  drag_offset_ = event->position().toPoint();
}

void CTabDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(event);
  dragging_ = false;
  if (auto_hide_) StartHoverTimer();
}

void CTabDialog::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!closed_) return;
  closed_ = false;
  if (auto_hide_) StartHoverTimer();
}

QString CTabDialog::ToolTipAt(const QPoint& point) const {
  if (shown_title_ == title_ || !hit_region_.contains(point)) return QString();
  const QRect panel(ToQt(PanelOrigin(shape_)), QSize(shape_.panel_width, shape_.panel_height));
  return panel.contains(point) ? QString() : title_;
}

bool CTabDialog::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  if (const QString tip = ToolTipAt(help->pos()); !tip.isEmpty()) {
    QToolTip::showText(help->globalPos(), tip, this);
  } else {
    QToolTip::hideText();
  }
  return true;
}

void CTabDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  if (polygon_.size() < 2) return;

  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.drawPolyline(polygon_);
  // The light comes from the top left: edges facing right or down get the dark shadow.
  const bool clockwise = OrientationOf(polygon_) > 0;
  painter.setPen(QPen(palette().color(QPalette::Shadow), 2));
  for (int i = 0; i + 1 < polygon_.size(); ++i) {
    const QPoint d = polygon_[i + 1] - polygon_[i];
    const QPoint outward = clockwise ? QPoint(d.y(), -d.x()) : QPoint(-d.y(), d.x());
    if (outward.x() > 0 || outward.y() > 0) painter.drawLine(polygon_[i], polygon_[i + 1]);
  }

  if (!icon_.isNull()) painter.drawPixmap(ToQt(IconOrigin(shape_)), icon_);

  if (!title_image_.isNull()) {
    const QPoint origin = ToQt(TitleOrigin(shape_));
    if (shape_.side == kTabLeft || shape_.side == kTabRight) {
      // Upright tabs: the title runs upwards from its origin.
      painter.save();
      painter.translate(origin);
      painter.rotate(-90);
      painter.drawPixmap(0, 0, title_image_);
      painter.restore();
    } else {
      painter.drawPixmap(origin, title_image_);
    }
  }

  if (shape_.close_box) {
    const QRect box = CloseBox();
    const QBrush face = palette().brush(QPalette::Button);
    qDrawShadePanel(&painter, box, palette(), false, 1, &face);
    painter.setPen(QPen(palette().color(QPalette::ButtonText), 1));
    const QRect cross = box.adjusted(3, 3, -3, -3);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
  }
}

}  // namespace qv
