#include "gui/app/main_window.h"

#include <algorithm>
#include <utility>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "core/app/product.h"
#include "core/app/version_check.h"
#include "core/image/bank_image.h"
#include "core/io/files.h"
#include "core/io/text.h"
#include "core/lang/messages.h"
#include "gui/app/about_dialog.h"
#include "gui/app/options_dialog.h"
#include "gui/app/qt_seams.h"
#include "gui/app/qt_text.h"
#include "gui/app/style.h"
#include "gui/app/version_checker.h"
#include "gui/editors/can_frames_dialog.h"
#include "gui/editors/connections_dialog.h"
#include "gui/editors/eds_dialog.h"
#include "gui/editors/grid_view.h"
#include "gui/editors/par_gen_dialog.h"
#include "gui/store/new_project_dialog.h"
#include "gui/store/open_conf_dialog.h"
#include "gui/update/boot_dialog.h"

namespace konfex {

namespace {

constexpr int kClientWidth = 694;
constexpr int kStepTop = 128;  // L_Step_1; the rows are 44 pixels apart
constexpr int kStepPitch = 44;
constexpr int kButtonLeft = 80;
constexpr int kStepButtonWidth = 170;
constexpr int kStepButtonHeight = 36;
constexpr int kBusyRetryMs = 250;

int stepTop(int step) {
  return kStepTop + kStepPitch * (step - 1);
}

}  // namespace

MainWindow::MainWindow(AppState& state, TextTable& texts, const Services& services, std::string makerUrl)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      state_(state),
      texts_(texts),
      services_(services),
      makerUrl_(std::move(makerUrl)) {
  setObjectName(QStringLiteral("TFKonfexeFirmWare"));
  buildControls();
  updateTimer_ = new QTimer(this);
  updateTimer_->setObjectName(QStringLiteral("Timer_Update"));
  updateTimer_->setInterval(kFirstUpdateCheck);
  connect(updateTimer_, &QTimer::timeout, this, &MainWindow::updateTimerFired);
  versionChecker_ = new VersionChecker(services_.http, makerUrl_, this);
  state_.startUp(texts_);
  setUpdateTimer();
  setWindowTitle(toQ(kWindowTitle));
  setLang();

  createDialogs();
  if (const auto& damage = state_.settingsDamage())
    services_.messages.error(
        texts_.message(msg::kSettingsMalformed, {utf8String(state_.folders().settingsFile), *damage}));
}

void MainWindow::createDialogs() {
  // Creation order: TFNew_Project, TFOpenConf, TFAbout, TFSoftOptions, TFParGen, TFEtherNetIP_Master_Access,
  // TFBoot, TFReceiveCAN, TFTransmitCAN, TFEtherNEtIP_EDS. Each dialog applies its texts when created.
  newProject_ = new NewProjectDialog(this, state_, texts_, services_.messages);
  openConf_ = new OpenConfDialog(this, state_, texts_);
  about_ = new AboutDialog(this, services_.browser, makerUrl_);
  softOptions_ = new SoftOptionsDialog(
      this, state_, texts_, {services_.messages, services_.browser, *versionChecker_, [this] { changeLanguage(); }},
      makerUrl_);
  itemLists_ = new ItemLists(this);
  parGen_ = new ParGenDialog(this, state_, texts_, services_.messages);
  connections_ = new ConnectionsDialog(this, state_, texts_, services_.messages, *itemLists_, services_.filePicker,
                                       [this]() -> EdsDialog& { return *eds_; });
  boot_ = new BootDialog(this, state_, texts_,
                         {services_.messages, services_.icmp, services_.clock,
                          [this](const std::filesystem::path& program, const std::string& parameters, bool hidden) {
                            return startProgram(program, parameters, hidden);
                          },
                          busy_});
  receiveFrames_ =
      new CanFramesDialog(this, CanFramesDialog::Direction::Receive, state_, texts_, services_.messages, *itemLists_);
  sendFrames_ =
      new CanFramesDialog(this, CanFramesDialog::Direction::Send, state_, texts_, services_.messages, *itemLists_);
  eds_ = new EdsDialog(this, texts_, services_.messages);

  // Change_Language order: the main window, then TFNew_Project, TFOpenConf, TFSoftOptions, TFBoot, TFParGen,
  // TFEtherNetIP_Master_Access, TFEtherNEtIP_EDS, TFReceiveCAN, TFTransmitCAN (TFAbout has no texts).
  languageOrder_ = {newProject_,  openConf_, softOptions_,   boot_,      parGen_,
                    connections_, eds_,      receiveFrames_, sendFrames_};
}

void MainWindow::buildControls() {
  applyWindowLook(this);
  setFixedSize(kClientWidth, stepTop(6) - 16 + 152);  // the Update step's button top plus 152: 484

  auto* code = makeLabel(this, "L_SW_Code", 16, 8);
  styleCodeLabel(code);
  setLabel(code, std::string(kSoftwareCode));
  auto* desc = makeLabel(this, "L_SW_Desc", 16, 42);
  styleTitleLabel(desc);
  setLabel(desc, std::string(kDescription));

  updateLink_ = makeLabel(this, "LL_Update", 208, 19);
  updateLink_->setTextFormat(Qt::RichText);
  updateLink_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  updateLink_->hide();
  connect(updateLink_, &QLabel::linkActivated, this,
          [this](const QString& link) { services_.browser.open(fromQ(link)); });

  const auto iconButton = [this](const char* name, Glyph glyph, int left) {
    QPushButton* b = makeImageButton(this, name, glyph);
    b->setGeometry(left, 8, 50, 50);
    b->setIconSize(QSize(32, 32));
    b->setStyleSheet(QString());
    return b;
  };
  btnInfo_ = iconButton("Btn_Info", Glyph::Info, 516);
  btnOptions_ = iconButton("Btn_Opz", Glyph::Options, 574);
  btnClose_ = iconButton("Btn_Close", Glyph::Close, 632);

  auto* frame = new QFrame(this);
  frame->setObjectName(QStringLiteral("Shape2"));
  frame->setGeometry(80, 70, 348, 36);
  frame->setStyleSheet(QStringLiteral("QFrame#Shape2 { border: 1px solid silver; }"));
  configTitle_ = makeLabel(this, "L_Name_Conf", 87, 75);
  configName_ = makeLabel(this, "L_Name_Conf_L2", 87, 88);

  beginLabel_ = makeLabel(this, "L_Begin", 16, 84);
  styleTitleLabel(beginLabel_);
  for (int n = 1; n <= 6; ++n) {
    const std::string name = "L_Step_" + std::to_string(n);
    QLabel* label = makeLabel(this, name.c_str(), 16, stepTop(n));
    styleTitleLabel(label);
    stepLabels_.push_back(label);
  }

  const auto stepButton = [this](const char* name, Glyph glyph, int left, int step) {
    QPushButton* b = makeImageButton(this, name, glyph);
    b->setGeometry(left, stepTop(step) - 16, kStepButtonWidth, kStepButtonHeight);
    return b;
  };
  btnNew_ = stepButton("Btn_New", Glyph::New, kButtonLeft, 1);
  btnOpen_ = stepButton("Btn_Open", Glyph::Open, 258, 1);
  btnParameters_ = stepButton("Btn_Prm_Gen", Glyph::Parameters, kButtonLeft, 2);
  btnConnections_ = stepButton("Btn_EtherNetIP_Access", Glyph::Network, kButtonLeft, 3);
  btnReceive_ = stepButton("Btn_CAN_Rec_Frame", Glyph::Receive, kButtonLeft, 4);
  btnSend_ = stepButton("Btn_CAN_Send_Frame", Glyph::Send, kButtonLeft, 5);
  btnCreateBin_ = stepButton("Btn_CreateBin", Glyph::Update, kButtonLeft, 6);

  makerLabel_ = makeLabel(this, "L_Veltrona", 565, stepTop(6));
  styleTitleLabel(makerLabel_);
  makerLabel_->setCursor(Qt::PointingHandCursor);
  setLabel(makerLabel_, makerDisplayAddress(makerUrl_));
  // A long address (or a wide fallback font) moves left rather than being cut at the window's edge.
  if (makerLabel_->x() + makerLabel_->width() > kClientWidth - 8)
    makerLabel_->move(std::max(kButtonLeft + kStepButtonWidth + 8, kClientWidth - 8 - makerLabel_->width()),
                      makerLabel_->y());
  makerLabel_->installEventFilter(this);

  auto* line = new QFrame(this);
  line->setObjectName(QStringLiteral("Shape1"));
  line->setGeometry(10, stepTop(6) - 16 + 51, 674, 1);
  line->setStyleSheet(QStringLiteral("QFrame#Shape1 { background: silver; }"));

  for (QPushButton* b : {btnNew_, btnOpen_, btnClose_, btnInfo_, btnOptions_, btnParameters_, btnConnections_,
                         btnReceive_, btnSend_, btnCreateBin_})
    connect(b, &QPushButton::clicked, this, [this, b] { buttonClicked(b); });
}

void MainWindow::setLang() {
  setLabel(beginLabel_, texts_[0]);
  for (int n = 1; n <= 6; ++n) setLabel(stepLabels_[static_cast<size_t>(n - 1)], texts_[n]);
  btnInfo_->setToolTip(toQ(texts_[12]));
  btnOptions_->setToolTip(toQ(texts_[13]));
  btnClose_->setToolTip(toQ(texts_[14]));
  const auto caption = [this](QPushButton* b, int text, int hint) {
    b->setText(toQ(texts_[text]));
    b->setToolTip(toQ(texts_[hint]));
  };
  caption(btnNew_, 15, 22);
  caption(btnOpen_, 16, 23);
  caption(btnCreateBin_, 17, 26);
  caption(btnParameters_, 20, 24);
  caption(btnConnections_, 21, 25);
  caption(btnReceive_, 35, 36);
  caption(btnSend_, 37, 38);
  showConfigurationLabels();
}

void MainWindow::showConfigurationLabels() {
  if (state_.hasActiveConfiguration()) {
    setLabel(configTitle_, texts_[11]);
    setLabel(configName_, state_.activeName());
  } else {
    setLabel(configTitle_, texts_[9]);
    setLabel(configName_, texts_[10]);
  }
}

void MainWindow::changeLanguage() {
  setLang();
  for (KonfexDialog* dialog : languageOrder_) dialog->setLang();
}

void MainWindow::buttonClicked(QPushButton* button) {
  if (button == btnNew_) return createNewProject();
  if (button == btnOpen_) return openProject();
  if (button == btnClose_) {
    close();
    return;
  }
  if (button == btnInfo_) {
    about_->exec();
    return;
  }
  if (button == btnOptions_) return showSoftOptions();
  if (!state_.hasActiveConfiguration()) {
    services_.messages.error(texts_[18]);
    return;
  }
  if (button == btnCreateBin_) updateDevice();
  if (button == btnParameters_) parGen_->exec();
  if (button == btnConnections_) connections_->exec();
  if (button == btnReceive_) receiveFrames_->exec();
  if (button == btnSend_) sendFrames_->exec();
}

void MainWindow::showSoftOptions() {
  if (softOptions_->exec() != QDialog::Accepted) return;
  try {
    state_.saveSettings();
  } catch (const FileError& e) {
    services_.messages.error(texts_.message(msg::kSettingsNotSaved, {e.what()}));
  }
  setUpdateTimer();
}

void MainWindow::setUpdateTimer() {
  // Enabling a running timer leaves its count alone; enabling a stopped one starts it with its interval.
  if (!state_.updateTimerWanted())
    updateTimer_->stop();
  else if (!updateTimer_->isActive())
    updateTimer_->start();
}

void MainWindow::updateTimerFired() {
  updateTimer_->stop();
  if (busy()) {
    // Inside a wait that pumps events: try again shortly, so the check runs once the wait is over.
    QTimer::singleShot(kBusyRetryMs, this, &MainWindow::updateTimerFired);
    return;
  }
  versionChecker_->check(this, [this](bool newer) {
    if (newer) {
      updateLink_->setText(toQ(updateLinkHtml(downloadPageUrl(makerUrl_), texts_[19])));
      updateLink_->adjustSize();
      updateLink_->show();
    } else {
      updateLink_->hide();
    }
    updateTimer_->setInterval(kUpdateCheckInterval);
    // The options may have switched the check off while it ran.
    if (state_.updateTimerWanted()) updateTimer_->start();
  });
}

void MainWindow::createNewProject() {
  if (newProject_->exec() == QDialog::Accepted) showConfigurationLabels();
}

void MainWindow::openProject() {
  if (openConf_->exec() != QDialog::Accepted) return;
  state_.setActiveConfiguration(openConf_->chosenName());
  showConfigurationLabels();
}

bool MainWindow::updateDevice() {
  try {
    const CompileResult compiled = compileImage(state_.projectPaths());
    writeImage(state_.projectPaths().bankImage, compiled.image);
  } catch (const FileError& e) {
    // Without a fresh image no update may start: report and stop here.
    services_.messages.error(texts_.message(msg::kImageNotWritten, {e.what()}));
    return false;
  }
  boot_->setFormType(1);  // the network form, the only one this product has
  boot_->exec();
  return true;
}

StartOutcome MainWindow::startProgram(const std::filesystem::path& program, const std::string& parameters,
                                      bool hidden) {
  const InputBlocker blocker;
  const struct Busy {
    bool& flag;
    bool was;
    ~Busy() { flag = was; }
  } busy{busy_, std::exchange(busy_, true)};
  return konfex::startProgram(services_.launcher, services_.clock, program, parameters, hidden,
                              [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  try {
    state_.saveSettings();
  } catch (const FileError& e) {
    services_.messages.error(texts_.message(msg::kSettingsNotSaved, {e.what()}));
  }
  event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == makerLabel_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    services_.browser.open(makerPageUrl(makerUrl_));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace konfex
