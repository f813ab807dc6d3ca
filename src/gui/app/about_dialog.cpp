#include "gui/app/about_dialog.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

#include "core/app/product.h"
#include "gui/app/qt_text.h"
#include "gui/app/style.h"

namespace konfex {

namespace {

constexpr int kLogoSize = 81;

// The maker's mark, drawn here so that no image file has to travel with the program: a blue tile with
// a white V whose arms end in two nodes joined by a line, the two sides the gateway links.
QPixmap makerLogo() {
  QPixmap pm(kLogoSize, kLogoSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, 0, kLogoSize);
  fill.setColorAt(0, QColor(46, 120, 190));
  fill.setColorAt(1, QColor(22, 62, 108));
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(1, 1, kLogoSize - 2, kLogoSize - 2), 14, 14);

  const QPointF left(19, 20), bottom(40.5, 62), right(62, 20);
  p.setPen(QPen(QColor(255, 255, 255, 110), 2, Qt::DashLine, Qt::RoundCap));
  p.drawLine(left, right);
  p.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath v;
  v.moveTo(left);
  v.lineTo(bottom);
  v.lineTo(right);
  p.setBrush(Qt::NoBrush);
  p.drawPath(v);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(240, 150, 40));
  p.drawEllipse(left, 6, 6);
  p.drawEllipse(right, 6, 6);
  return pm;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(left, top);
  label->adjustSize();
  return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent, Browser& browser, std::string makerUrl)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      browser_(browser),
      makerUrl_(std::move(makerUrl)) {
  setObjectName(QStringLiteral("TFAbout"));
  setModal(true);
  applyWindowLook(this);
  setWindowTitle(QStringLiteral("Konfex"));

  logo_ = new QLabel(this);
  logo_->setObjectName(QStringLiteral("Image2"));
  logo_->setGeometry(12, 12, kLogoSize, kLogoSize);
  logo_->setPixmap(makerLogo());
  logo_->setCursor(Qt::PointingHandCursor);
  logo_->installEventFilter(this);

  constexpr int kNames = 108, kValues = 220;
  QLabel* title = makeLabel(this, "Label1", QStringLiteral("Software Konfex "), kNames, 12);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  title->adjustSize();
  description_ = makeLabel(this, "Label2", QString(), kNames, 32);
  makeLabel(this, "Label6", QStringLiteral("Software Code : "), kNames, 54);
  code_ = makeLabel(this, "Label9", QString(), kValues, 54);
  makeLabel(this, "Label3", QStringLiteral("Version :"), kNames, 72);
  version_ = makeLabel(this, "Label10", QString(), kValues, 72);
  makeLabel(this, "Label8", QStringLiteral("Document Code :"), kNames, 90);
  manual_ = makeLabel(this, "Label12", QString(), kValues, 90);

  address_ = makeLabel(this, "Label4", toQ(makerDisplayAddress(makerUrl_)), 0, 0);
  address_->setStyleSheet(QStringLiteral("QLabel#Label4 { color: blue; text-decoration: underline; }"));
  address_->adjustSize();
  address_->move(kWidth - 12 - address_->width(), kHeight - 12 - address_->height());
  address_->setCursor(Qt::PointingHandCursor);
  address_->installEventFilter(this);

  QPushButton* ok = makeImageButton(this, "LbButton1", Glyph::Ok);
  ok->setText(QStringLiteral("OK"));
  ok->setIconSize(QSize(18, 18));
  ok->setGeometry(12, kHeight - 12 - 30, kLogoSize, 30);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  setFixedSize(kWidth, kHeight);
}

void AboutDialog::showEvent(QShowEvent* event) {
  const auto fill = [](QLabel* label, std::string_view text) {
    label->setText(toQ(text));
    label->adjustSize();
  };
  fill(description_, kDescription);
  fill(code_, kSoftwareCode);
  fill(version_, kProgramVersion);
  fill(manual_, kManualCode);
  setFixedSize(kWidth, kHeight);
  QDialog::showEvent(event);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == logo_ || watched == address_) && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    browser_.open(makerPageUrl(makerUrl_));
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace konfex
