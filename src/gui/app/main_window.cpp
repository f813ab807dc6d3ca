#include "gui/app/main_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "core/app/product.h"
#include "core/image/bank_image.h"
#include "core/io/files.h"
#include "gui/app/qt_seams.h"
#include "gui/app/qt_text.h"
#include "gui/app/style.h"
#include "gui/store/new_project_dialog.h"
#include "gui/store/open_conf_dialog.h"

namespace konfex {

namespace {

constexpr int kClientWidth = 694;
constexpr int kStepTop = 128;  // L_Step_1; the rows are 44 pixels apart
constexpr int kStepPitch = 44;
constexpr int kButtonLeft = 80;
constexpr int kStepButtonWidth = 170;
constexpr int kStepButtonHeight = 36;

int stepTop(int step) {
  return kStepTop + kStepPitch * (step - 1);
}

QLabel* makeLabel(QWidget* parent, const char* name, int left, int top) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(left, top);
  return label;
}

void setLabel(QLabel* label, const std::string& text) {
  label->setText(toQ(text));
  label->adjustSize();
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
  state_.startUp(texts_);
  setWindowTitle(toQ(kWindowTitle));
  setLang();

  createDialogs();
}

void MainWindow::createDialogs() {
  // Creation order: TFNew_Project, TFOpenConf, TFAbout, TFSoftOptions, TFParGen, TFEtherNetIP_Master_Access,
  // TFBoot, TFReceiveCAN, TFTransmitCAN, TFEtherNEtIP_EDS. Each dialog applies its texts when created.
  newProject_ = new NewProjectDialog(this, state_, texts_, services_.messages);
  openConf_ = new OpenConfDialog(this, state_, texts_);

  // Change_Language order: the main window, then TFNew_Project, TFOpenConf, TFSoftOptions, TFBoot, TFParGen,
  // TFEtherNetIP_Master_Access, TFEtherNEtIP_EDS, TFReceiveCAN, TFTransmitCAN (TFAbout has no texts).
  languageOrder_ = {newProject_, openConf_};
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
  if (button == btnInfo_ || button == btnOptions_) return;  // their dialogs come with the options step
  if (!state_.hasActiveConfiguration()) {
    services_.messages.error(texts_[18]);
    return;
  }
  if (button == btnCreateBin_) updateDevice();
  // The editing steps open their dialogs once those exist.
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
    services_.messages.error(std::string("The configuration image was not written.\n") + e.what());
    return false;
  }
  return true;
}

StartOutcome MainWindow::startProgram(const std::filesystem::path& program, const std::string& parameters,
                                      bool hidden) {
  const InputBlocker blocker;
  return konfex::startProgram(services_.launcher, services_.clock, program, parameters, hidden,
                              [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  try {
    state_.saveSettings();
  } catch (const FileError& e) {
    services_.messages.error(std::string("The settings could not be saved.\n") + e.what());
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
