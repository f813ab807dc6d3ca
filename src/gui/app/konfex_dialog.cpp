#include "gui/app/konfex_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "core/app/product.h"
#include "gui/app/qt_text.h"
#include "gui/app/style.h"

namespace konfex {

KonfexDialog::KonfexDialog(QWidget* parent, const char* objectName, const TextTable& texts)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), texts_(texts) {
  setObjectName(QString::fromLatin1(objectName));
  setModal(true);
  applyWindowLook(this);

  titlePanel_ = new QWidget(this);
  titlePanel_->setObjectName(QStringLiteral("P_Title"));
  codeLabel_ = new QLabel(toQ(kSoftwareCode), titlePanel_);
  codeLabel_->setObjectName(QStringLiteral("L_SW_Code"));
  styleCodeLabel(codeLabel_);
  codeLabel_->move(16, 6);
  titleLabel_ = new QLabel(titlePanel_);
  titleLabel_->setObjectName(QStringLiteral("L_SW_Desc"));
  styleTitleLabel(titleLabel_);
  titleLabel_->move(16, 44);

  buttonPanel_ = new QWidget(this);
  buttonPanel_->setObjectName(QStringLiteral("P_Button"));
  okButton_ = makeImageButton(buttonPanel_, "Btn_OK", Glyph::Ok);
  cancelButton_ = makeImageButton(buttonPanel_, "Btn_Cancel", Glyph::Cancel);
  auto* row = new QHBoxLayout(buttonPanel_);
  row->setContentsMargins(8, 4, 8, 4);
  row->addWidget(okButton_);
  row->addWidget(cancelButton_);
  row->addStretch(1);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void KonfexDialog::setFrameTexts(int caption, int title, int ok, int cancel, int okHint, int cancelHint) {
  setWindowTitle(toQ(texts_[caption]));
  titleLabel_->setText(toQ(texts_[title]));
  titleLabel_->adjustSize();
  okButton_->setText(toQ(texts_[ok]));
  cancelButton_->setText(toQ(texts_[cancel]));
  okButton_->setToolTip(okHint >= 0 ? toQ(texts_[okHint]) : QString());
  cancelButton_->setToolTip(cancelHint >= 0 ? toQ(texts_[cancelHint]) : QString());
}

void KonfexDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  titlePanel_->setGeometry(0, 0, width(), kTitleHeight);
  buttonPanel_->setGeometry(0, height() - kButtonPanelHeight, width(), kButtonPanelHeight);
  layoutContent();
}

}  // namespace konfex
