#include "gui/store/new_project_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/store/configurations.h"
#include "gui/app/qt_text.h"

namespace konfex {

NewProjectDialog::NewProjectDialog(QWidget* parent, AppState& state, const TextTable& texts, MessageBoxes& messages)
    : KonfexDialog(parent, "TFNew_Project", texts), state_(state), messages_(messages) {
  label_ = new QLabel(this);
  label_->setObjectName(QStringLiteral("Label1"));
  label_->move(16, 70);
  nameEdit_ = new QLineEdit(this);
  nameEdit_->setObjectName(QStringLiteral("E_New_Proj"));
  nameEdit_->setGeometry(16, 94, 297, nameEdit_->sizeHint().height());
  nameEdit_->installEventFilter(this);
  connect(okButton_, &QPushButton::clicked, this, &NewProjectDialog::okClicked);
  resize(331, 162);
  setFixedSize(size());
  setLang();
}

void NewProjectDialog::setLang() {
  setFrameTexts(100, 101, 103, 104, 109, 110);
  label_->setText(toQ(texts_[102]));
  label_->adjustSize();
  nameEdit_->setToolTip(toQ(texts_[108]));
}

void NewProjectDialog::showEvent(QShowEvent* event) {
  KonfexDialog::showEvent(event);
  nameEdit_->clear();
  nameEdit_->setFocus();
}

// Enter in the name field runs OK, whatever button has the default role.
bool NewProjectDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == nameEdit_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      okClicked();
      return true;
    }
  }
  return KonfexDialog::eventFilter(watched, event);
}

void NewProjectDialog::okClicked() {
  const std::string name = fromQ(nameEdit_->text());
  const CreateOutcome outcome = createConfiguration(state_.folders().projects, name);
  if (outcome != CreateOutcome::Created) {
    messages_.error(texts_[messageTextFor(outcome)]);
    return;
  }
  state_.setActiveConfiguration(name);
  accept();
}

}  // namespace konfex
