#include "gui/store/open_conf_dialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "core/store/configurations.h"
#include "gui/app/qt_text.h"

namespace konfex {

OpenConfDialog::OpenConfDialog(QWidget* parent, const AppState& state, const TextTable& texts)
    : KonfexDialog(parent, "TFOpenConf", texts), state_(state) {
  label_ = new QLabel(this);
  label_->setObjectName(QStringLiteral("Label1"));
  label_->move(16, 70);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("ListBox1"));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(list_, &QListWidget::currentTextChanged, this, [this](const QString& name) { chosen_ = fromQ(name); });
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  resize(377, 351);
  setLang();
}

void OpenConfDialog::setLang() {
  setFrameTexts(200, 201, 203, 204, 206, 207);
  label_->setText(toQ(texts_[202]));
  label_->adjustSize();
  list_->setToolTip(toQ(texts_[205]));
}

void OpenConfDialog::layoutContent() {
  list_->setGeometry(16, 94, width() - 32, height() - 94 - kButtonPanelHeight - 8);
}

void OpenConfDialog::showEvent(QShowEvent* event) {
  KonfexDialog::showEvent(event);
  const std::vector<std::string> names = listConfigurations(state_.folders().projects);
  list_->clear();
  for (const std::string& name : names) list_->addItem(toQ(name));
  const int found = findConfiguration(names, state_.activeName());
  chosen_.clear();
  if (!names.empty()) list_->setCurrentRow(found >= 0 ? found : 0);
}

}  // namespace konfex
