#include "gui/editors/collapsible_panel.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/app/style.h"

namespace konfex {

// The header bar: caption at the left, the fold mark at the right; a click or Space folds the panel.
class PanelHeader final : public QWidget {
 public:
  explicit PanelHeader(CollapsiblePanel* panel) : QWidget(panel), panel_(panel) {
    setObjectName(QStringLiteral("Header"));
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
  }
  QString caption;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, QColor(250, 250, 250));
    fill.setColorAt(1, QColor(220, 220, 220));
    p.fillRect(rect(), fill);
    p.setPen(QColor(170, 170, 170));
    p.drawLine(0, height() - 1, width(), height() - 1);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(kTitleGrey);
    p.drawText(rect().adjusted(8, 0, -28, 0), Qt::AlignVCenter | Qt::AlignLeft, caption);

    // A chevron pointing up folds the panel, pointing down unfolds it.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kTitleGrey, 2));
    const double cx = width() - 14, cy = height() / 2.0, d = panel_->isExpanded() ? -1 : 1;
    QPainterPath mark;
    mark.moveTo(cx - 4, cy - 2 * d);
    mark.lineTo(cx, cy + 2 * d);
    mark.lineTo(cx + 4, cy - 2 * d);
    p.drawPath(mark);
    if (hasFocus()) {
      p.setPen(QPen(kTitleGrey, 1, Qt::DotLine));
      p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
      panel_->setExpanded(!panel_->isExpanded());
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Space) {
      panel_->setExpanded(!panel_->isExpanded());
      return;
    }
    QWidget::keyPressEvent(event);
  }

 private:
  CollapsiblePanel* panel_;
};

CollapsiblePanel::CollapsiblePanel(QWidget* parent, const char* objectName) : QWidget(parent) {
  setObjectName(QString::fromLatin1(objectName));
  header_ = new PanelHeader(this);
  content_ = new QWidget(this);
  content_->setObjectName(QStringLiteral("Content"));
  applyHeight();
}

void CollapsiblePanel::setCaption(const QString& caption) {
  header_->caption = caption;
  header_->update();
}

QString CollapsiblePanel::caption() const {
  return header_->caption;
}

void CollapsiblePanel::setExpanded(bool expanded) {
  if (expanded == expanded_) return;
  expanded_ = expanded;
  content_->setVisible(expanded);
  applyHeight();
  header_->update();
  emit expandedChanged(expanded);
}

void CollapsiblePanel::fitTo(const QWidget* lowest, int margin) {
  contentHeight_ = lowest->y() + lowest->height() + margin;
  applyHeight();
}

void CollapsiblePanel::applyHeight() {
  setFixedHeight(kHeaderHeight + (expanded_ ? contentHeight_ : 0));
}

void CollapsiblePanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  header_->setGeometry(0, 0, width(), kHeaderHeight);
  content_->setGeometry(0, kHeaderHeight, width(), contentHeight_);
}

PanelGroup::PanelGroup(QWidget* parent, const char* objectName) : QScrollArea(parent) {
  setObjectName(QString::fromLatin1(objectName));
  setFrameShape(QFrame::StyledPanel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setWidgetResizable(true);
  stack_ = new QWidget;
  stack_->setObjectName(QStringLiteral("Stack"));
  layout_ = new QVBoxLayout(stack_);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  layout_->addStretch(1);
  setWidget(stack_);
  verticalScrollBar()->setSingleStep(CollapsiblePanel::kHeaderHeight / 2);
}

CollapsiblePanel* PanelGroup::addPanel(const char* objectName) {
  auto* panel = new CollapsiblePanel(stack_, objectName);
  layout_->insertWidget(layout_->count() - 1, panel);
  return panel;
}

}  // namespace konfex
