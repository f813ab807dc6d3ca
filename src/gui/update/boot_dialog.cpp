#include "gui/update/boot_dialog.h"

#include <algorithm>

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "core/editors/number_text.h"
#include "core/io/text.h"
#include "core/lang/messages.h"
#include "core/update/job_file.h"
#include "gui/app/qt_text.h"
#include "gui/app/style.h"

namespace konfex {

namespace {

constexpr int kWidth = 449;
constexpr int kAddressHeight = 49;
constexpr int kOptionsHeight = 72;
constexpr int kFieldWidth = 40;
constexpr int kFieldPitch = 56;

// Sets a flag for as long as it lives, also when what runs meanwhile throws.
struct Raised {
  explicit Raised(bool& f) : flag(f) { flag = true; }
  ~Raised() { flag = false; }
  Raised(const Raised&) = delete;
  Raised& operator=(const Raised&) = delete;
  bool& flag;
};

}  // namespace

BootDialog::BootDialog(QWidget* parent, AppState& state, const TextTable& texts, Services services)
    : KonfexDialog(parent, "TFBoot", texts), state_(state), services_(std::move(services)) {
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

  addressPanel_ = new QWidget(this);
  addressPanel_->setObjectName(QStringLiteral("P_IP_Address"));
  addressLabel_ = new QLabel(addressPanel_);
  addressLabel_->setObjectName(QStringLiteral("L_IP_Address"));
  addressLabel_->move(16, 4);
  for (size_t i = 0; i < fields_.size(); ++i) {
    QLineEdit* field = new QLineEdit(QStringLiteral("0"), addressPanel_);
    field->setObjectName(QStringLiteral("E_IP%1").arg(i + 1));
    field->setGeometry(16 + static_cast<int>(i) * kFieldPitch, 22, kFieldWidth, 21);
    field->installEventFilter(this);
    fields_[i] = field;
    if (i > 0) {
      auto* point = new QLabel(QStringLiteral("."), addressPanel_);
      point->setObjectName(QStringLiteral("L_Point%1").arg(i));
      point->setGeometry(16 + static_cast<int>(i) * kFieldPitch - 12, 22, 8, 21);
      point->setAlignment(Qt::AlignCenter);
    }
  }

  optionsPanel_ = new QWidget(this);
  optionsPanel_->setObjectName(QStringLiteral("P_Options"));
  optionLabel_ = new QLabel(optionsPanel_);
  optionLabel_->setObjectName(QStringLiteral("L_Update_Option"));
  optionLabel_->move(16, 4);
  options_ = new QComboBox(optionsPanel_);
  options_->setObjectName(QStringLiteral("CB_Update_Options"));
  options_->setEditable(false);
  options_->setGeometry(16, 22, 216, 22);
  readBack_ = new QCheckBox(optionsPanel_);
  readBack_->setObjectName(QStringLiteral("CB_Update_Option_Read_Back"));
  readBack_->setGeometry(16, 48, 216, 20);

  // The frame's OK button serves as the update button, placed after Cancel.
  updateButton_ = okButton_;
  updateButton_->setObjectName(QStringLiteral("Btn_Update"));
  updateButton_->setIcon(glyphIcon(Glyph::Update));
  if (auto* row = qobject_cast<QBoxLayout*>(buttonPanel_->layout())) {
    row->removeWidget(updateButton_);
    row->insertWidget(1, updateButton_);
  }
  connect(updateButton_, &QPushButton::clicked, this, &BootDialog::updateClicked);

  setTabOrder(fields_[0], fields_[1]);
  setTabOrder(fields_[1], fields_[2]);
  setTabOrder(fields_[2], fields_[3]);
  setTabOrder(fields_[3], options_);
  setTabOrder(options_, readBack_);
  setTabOrder(readBack_, cancelButton_);
  setTabOrder(cancelButton_, updateButton_);

  setFixedSize(kWidth, kTitleHeight + kAddressHeight + kOptionsHeight + kButtonPanelHeight);
  setLang();
}

void BootDialog::setLang() {
  setFrameTexts(1002, 1003, 1020, 1019, 1035, 1034);
  addressLabel_->setText(toQ(texts_[1006]));
  addressLabel_->adjustSize();
  optionLabel_->setText(toQ(texts_[1014]));
  optionLabel_->adjustSize();
  options_->clear();
  for (int entry = 1015; entry <= 1017; ++entry) options_->addItem(toQ(texts_[entry]));
  options_->setCurrentIndex(0);
  options_->setToolTip(toQ(texts_[1032]));
  readBack_->setText(toQ(texts_[1018]));
  readBack_->setToolTip(toQ(texts_[1033]));
  for (size_t i = 0; i < fields_.size(); ++i) fields_[i]->setToolTip(toQ(texts_[1021 + static_cast<int>(i)]));
}

void BootDialog::layoutContent() {
  addressPanel_->setGeometry(0, kTitleHeight, width(), kAddressHeight);
  optionsPanel_->setGeometry(0, kTitleHeight + kAddressHeight, width(), kOptionsHeight);
}

void BootDialog::showEvent(QShowEvent* event) {
  KonfexDialog::showEvent(event);
  // A window restored by the system is no new showing: what was typed stays.
  if (event->spontaneous()) return;
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  setLang();
  const std::string& last = state_.settings().lastDeviceIp;
  if (!last.empty()) {
    const IpTextParts split = splitIpText(last);
    if (split.valid)
      for (size_t i = 0; i < fields_.size(); ++i) fields_[i]->setText(toQ(split.parts[i]));
  }
  options_->setCurrentIndex(std::clamp(state_.updateOptionIndex, 0, 2));
  readBack_->setChecked(state_.readBack);
  fields_[0]->setFocus();
}

// "." moves on to the next field and is never typed into one.
bool BootDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->text() == QStringLiteral(".")) {
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (watched != fields_[i]) continue;
      if (i + 1 < fields_.size()) fields_[i + 1]->setFocus();
      return true;
    }
  }
  return KonfexDialog::eventFilter(watched, event);
}

std::string BootDialog::addressText() const {
  std::string text;
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (i > 0) text += '.';
    text += fromQ(fields_[i]->text());
  }
  return text;
}

void BootDialog::reject() {
  if (!running_) KonfexDialog::reject();
}

void BootDialog::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    return;
  }
  KonfexDialog::closeEvent(event);
}

void BootDialog::updateClicked() {
  // A second press while the check runs (the window is pumped meanwhile) starts nothing.
  if (running_) return;
  const Raised running(running_);
  updateButton_->setEnabled(false);
  cancelButton_->setEnabled(false);
  const struct Enable {
    QPushButton* a;
    QPushButton* b;
    ~Enable() {
      a->setEnabled(true);
      b->setEnabled(true);
    }
  } enableAgain{updateButton_, cancelButton_};

  const std::string address = addressText();
  ReachabilityOutcome check;
  if (services_.icmp == nullptr) {
    check.error = "no ICMP client";
  } else {
    const Raised busy(services_.busy);
    check = checkReachable(*services_.icmp, services_.clock, address,
                           [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  }
  if (!check.reachable) {
    if (check.last == PingResult::NotAnswered) {
      services_.messages.warning(texts_[1036]);
    } else {
      std::string text = texts_[1037];
      if (!check.error.empty()) {
        text += '\n';
        text += texts_.message(msg::kEchoNotSent, {check.error});
      }
      services_.messages.error(text);
    }
    return;
  }

  state_.settings().lastDeviceIp = address;
  state_.updateOptionIndex = options_->currentIndex();
  state_.readBack = readBack_->isChecked();
  const WorkingFolders& folders = state_.folders();
  const JobRequest job{address, static_cast<UpdateOption>(state_.updateOptionIndex), state_.readBack,
                       folders.master / kFirmwareFileName, state_.projectPaths().bankImage};
  try {
    writeJobFile(folders.updaterJob, job);
  } catch (const FileError& e) {
    services_.messages.error(texts_.message(msg::kJobNotWritten, {e.what()}));
    return;
  }
  if (services_.startProgram(folders.updater, std::string(), false) == StartOutcome::NotStarted)
    services_.messages.error(texts_.message(msg::kUpdaterNotStarted, {utf8String(folders.updater)}));
}

}  // namespace konfex
