#include "gui/app/style.h"

#include <cmath>
#include <numbers>

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

#include "gui/app/qt_text.h"

namespace konfex {

namespace {

constexpr int kIconSize = 32;

void drawArrow(QPainter& p, QPointF from, QPointF to) {
  p.drawLine(from, to);
  const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
  const QPointF n(-d.y(), d.x());
  QPolygonF head;
  head << to << to - d * 6 + n * 4 << to - d * 6 - n * 4;
  p.drawPolygon(head);
}

void drawGear(QPainter& p, QPointF c, double r) {
  QPainterPath path;
  for (int i = 0; i < 16; ++i) {
    const double a = i * std::numbers::pi / 8;
    const double rr = (i % 2 == 0) ? r : r * 0.72;
    const QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
    i == 0 ? path.moveTo(pt) : path.lineTo(pt);
  }
  path.closeSubpath();
  p.drawPath(path);
  p.setBrush(Qt::white);
  p.drawEllipse(c, r * 0.3, r * 0.3);
}

}  // namespace

QIcon glyphIcon(Glyph glyph) {
  QPixmap pm(kIconSize, kIconSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor blue(38, 104, 170), green(46, 139, 87), orange(214, 120, 30), red(190, 50, 50), grey(90, 90, 90);
  QPen pen(grey, 2);
  p.setPen(pen);
  switch (glyph) {
    case Glyph::New:
      p.setBrush(Qt::white);
      p.drawRect(7, 4, 16, 22);
      p.setPen(QPen(green, 3));
      p.drawLine(QPointF(22, 16), QPointF(22, 28));
      p.drawLine(QPointF(16, 22), QPointF(28, 22));
      break;
    case Glyph::Open:
      p.setBrush(QColor(240, 200, 90));
      p.drawRect(4, 10, 24, 16);
      p.drawRect(4, 7, 10, 4);
      break;
    case Glyph::Parameters:
      p.setBrush(blue);
      for (int i = 0; i < 3; ++i) {
        p.drawLine(6, 8 + 8 * i, 26, 8 + 8 * i);
        p.drawEllipse(QPointF(10 + 6 * i, 8 + 8 * i), 3, 3);
      }
      break;
    case Glyph::Network:
      p.setBrush(blue);
      p.drawLine(16, 9, 16, 16);
      p.drawLine(7, 16, 25, 16);
      p.drawLine(7, 16, 7, 22);
      p.drawLine(25, 16, 25, 22);
      p.drawRect(11, 3, 10, 7);
      p.drawRect(3, 22, 8, 7);
      p.drawRect(21, 22, 8, 7);
      break;
    case Glyph::Receive:
      p.drawRect(4, 16, 24, 12);
      p.setPen(QPen(green, 3));
      p.setBrush(green);
      drawArrow(p, QPointF(16, 2), QPointF(16, 22));
      break;
    case Glyph::Send:
      p.drawRect(4, 16, 24, 12);
      p.setPen(QPen(orange, 3));
      p.setBrush(orange);
      drawArrow(p, QPointF(16, 24), QPointF(16, 4));
      break;
    case Glyph::Update:
      p.setBrush(QColor(60, 60, 60));
      p.drawRect(8, 8, 16, 16);
      for (int i = 0; i < 3; ++i) {
        p.drawLine(4, 11 + 5 * i, 8, 11 + 5 * i);
        p.drawLine(24, 11 + 5 * i, 28, 11 + 5 * i);
      }
      p.setPen(QPen(green, 2));
      p.setBrush(green);
      drawArrow(p, QPointF(16, 22), QPointF(16, 11));
      break;
    case Glyph::Info:
      p.setBrush(blue);
      p.setPen(Qt::NoPen);
      p.drawEllipse(3, 3, 26, 26);
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(16, 10), 2.2, 2.2);
      p.drawRect(14, 14, 4, 10);
      break;
    case Glyph::Options:
      p.setBrush(grey);
      drawGear(p, QPointF(16, 16), 12);
      break;
    case Glyph::Close:
    case Glyph::Cancel:
      p.setPen(QPen(red, 4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(8, 8, 24, 24);
      p.drawLine(24, 8, 8, 24);
      break;
    case Glyph::Ok:
      p.setPen(QPen(green, 4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(6, 17, 13, 24);
      p.drawLine(13, 24, 26, 8);
      break;
  }
  return QIcon(pm);
}

QFont baseFont() {
  QFont font(QStringLiteral("Verdana"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

void applyWindowLook(QWidget* window) {
  window->setFont(baseFont());
  QPalette pal = window->palette();
  pal.setColor(QPalette::Window, kBackground);
  window->setPalette(pal);
  window->setAutoFillBackground(true);
}

namespace {

void styleGreyBold(QLabel* label, int pointSize) {
  QFont f = baseFont();
  f.setPointSize(pointSize);
  f.setBold(true);
  label->setFont(f);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, kTitleGrey);
  label->setPalette(pal);
}

}  // namespace

void styleCodeLabel(QLabel* label) {
  styleGreyBold(label, 20);
}

void styleTitleLabel(QLabel* label) {
  styleGreyBold(label, baseFont().pointSize());
}

QPushButton* makeImageButton(QWidget* parent, const char* objectName, Glyph glyph) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(objectName));
  b->setIcon(glyphIcon(glyph));
  b->setIconSize(QSize(24, 24));
  b->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding-left: 6px; }"));
  b->setAutoDefault(false);
  return b;
}

QLabel* makeLabel(QWidget* parent, const QString& objectName, int left, int top) {
  auto* label = new QLabel(parent);
  label->setObjectName(objectName);
  label->move(left, top);
  return label;
}

QLabel* makeLabel(QWidget* parent, const char* objectName, int left, int top) {
  return makeLabel(parent, QString::fromLatin1(objectName), left, top);
}

void setLabel(QLabel* label, const std::string& text) {
  label->setText(toQ(text));
  label->adjustSize();
}

}  // namespace konfex
