#include "gui/app/options_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>

#include "core/app/options.h"
#include "core/app/version_check.h"
#include "core/io/text.h"
#include "gui/app/qt_text.h"
#include "gui/app/style.h"
#include "gui/app/version_checker.h"

namespace konfex {

namespace {

constexpr int kWidth = 470;
constexpr int kHeight = 400;
constexpr int kFlagSize = 48;
constexpr int kSlotPitch = 58;

QCheckBox* makeCheckBox(QWidget* parent, const char* name, int left, int top) {
  auto* box = new QCheckBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->move(left, top);
  return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QRect& geometry) {
  auto* button = new QPushButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

SoftOptionsDialog::SoftOptionsDialog(QWidget* parent, AppState& state, TextTable& texts, Services services,
                                     std::string makerUrl)
    : KonfexDialog(parent, "TFSoftOptions", texts),
      state_(state),
      table_(texts),
      services_(std::move(services)),
      makerUrl_(std::move(makerUrl)) {
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PC_Options"));
  languagePage_ = new QWidget;
  languagePage_->setObjectName(QStringLiteral("TS_Language"));
  connectionPage_ = new QWidget;
  connectionPage_->setObjectName(QStringLiteral("TS_Con_Options"));
  settingsPage_ = new QWidget;
  settingsPage_->setObjectName(QStringLiteral("TS_Soft_Settings"));
  for (QWidget* page : {languagePage_, connectionPage_, settingsPage_}) {
    // The window's own background, on which the flags' margins disappear.
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, kBackground);
    page->setPalette(palette);
    page->setAutoFillBackground(true);
    pages_->addTab(page, QString());
  }

  selectedLanguage_ = new QLabel(languagePage_);
  selectedLanguage_->setObjectName(QStringLiteral("L_Sel_Lang"));
  selectedLanguage_->move(12, 12);
  // Slots 1 to 3 down the left column, 4 to 6 down the right one.
  for (int k = 0; k < 6; ++k) {
    const int left = k < 3 ? 12 : 224;
    const int top = 40 + kSlotPitch * (k % 3);
    const std::string n = std::to_string(k + 1);
    flags_[k] = new QLabel(languagePage_);
    flags_[k]->setObjectName(toQ("I_L" + n));
    flags_[k]->setGeometry(left, top, kFlagSize, kFlagSize);
    flags_[k]->setAlignment(Qt::AlignCenter);
    names_[k] = new QLabel(languagePage_);
    names_[k]->setObjectName(toQ("L_L" + n));
    names_[k]->move(left + kFlagSize + 10, top + 16);
    for (QLabel* clickable : {flags_[k], names_[k]}) {
      clickable->setCursor(Qt::PointingHandCursor);
      clickable->installEventFilter(this);
    }
  }
  pageLabel_ = new QLabel(languagePage_);
  pageLabel_->setObjectName(QStringLiteral("L_Page_Lang"));
  pageLabel_->move(12, 40 + kSlotPitch * 3 + 12);
  previous_ = makeButton(languagePage_, "Btn_Prev", QRect(224, 40 + kSlotPitch * 3 + 6, 100, 26));
  next_ = makeButton(languagePage_, "Btn_Next", QRect(332, 40 + kSlotPitch * 3 + 6, 100, 26));
  connect(previous_, &QPushButton::clicked, this, [this] { pageClicked(false); });
  connect(next_, &QPushButton::clicked, this, [this] { pageClicked(true); });

  enableInternet_ = makeCheckBox(connectionPage_, "CB_En_Con", 12, 14);
  enableUpdate_ = makeCheckBox(connectionPage_, "CB_Update", 32, 40);
  checkUpdate_ = makeButton(connectionPage_, "Btn_Check_Update", QRect(12, 76, 220, 28));
  checkResult_ = new QLabel(connectionPage_);
  checkResult_->setObjectName(QStringLiteral("LL_Check_Update"));
  checkResult_->move(12, 116);
  checkResult_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  checkResult_->hide();
  connect(checkUpdate_, &QPushButton::clicked, this, &SoftOptionsDialog::checkUpdateClicked);
  connect(checkResult_, &QLabel::linkActivated, this,
          [this](const QString& link) { services_.browser.open(fromQ(link)); });

  jumpTable_ = makeCheckBox(settingsPage_, "CB_Soft_Set_Jump_Table", 12, 14);
  autoSize_ = makeCheckBox(settingsPage_, "CB_DoubleClick_Auto_Size", 12, 40);
  for (QCheckBox* box : {enableInternet_, enableUpdate_, jumpTable_, autoSize_})
    connect(box, &QCheckBox::toggled, this, &SoftOptionsDialog::updateCheckBox);

  connect(okButton_, &QPushButton::clicked, this, &SoftOptionsDialog::okClicked);
  resize(kWidth, kHeight);
  setFixedSize(size());
  setLang();
}

void SoftOptionsDialog::setLang() {
  setFrameTexts(300, 301, 312, 313, -1, -1);
  pages_->setTabText(0, toQ(texts_[302]));
  pages_->setTabText(1, toQ(texts_[303]));
  pages_->setTabText(2, toQ(texts_[319]));
  // The page texts are filled properly when the dialog is shown.
  setLabel(selectedLanguage_, texts_[304]);
  setLabel(pageLabel_, texts_[305] + "1" + texts_[306] + "1");
  previous_->setText(toQ(texts_[307]));
  next_->setText(toQ(texts_[308]));
  for (const auto& [box, text] : {std::pair{enableInternet_, 309}, std::pair{enableUpdate_, 310},
                                  std::pair{jumpTable_, 320}, std::pair{autoSize_, 321}}) {
    box->setText(toQ(texts_[text]));
    box->adjustSize();
  }
  checkUpdate_->setText(toQ(texts_[311]));
}

void SoftOptionsDialog::layoutContent() {
  pages_->setGeometry(8, kTitleHeight + 4, width() - 16, height() - kTitleHeight - kButtonPanelHeight - 8);
}

void SoftOptionsDialog::showEvent(QShowEvent* event) {
  ++opening_;
  checking_ = false;
  languageInUse_ = state_.settings().language;
  createLangList();
  checkResult_->hide();
  pages_->setCurrentWidget(languagePage_);
  const Settings& s = state_.settings();
  enableInternet_->setChecked(s.enableInternet);
  enableUpdate_->setChecked(s.enableUpdate);
  jumpTable_->setChecked(s.enableJumpFieldTables);
  autoSize_->setChecked(s.doubleClickAutoSize);
  updateCheckBox();
  KonfexDialog::showEvent(event);
}

void SoftOptionsDialog::createLangList() {
  languages_ = listLanguageFiles(state_.folders().language);
  showPage_ = 1;
  updateLangPage(showPage_);
}

void SoftOptionsDialog::updateLangPage(int page) {
  const LanguagePage p = languagePage(languages_.size(), page);
  setLabel(selectedLanguage_, texts_[304] + languageInUse_);
  setLabel(pageLabel_, texts_[305] + std::to_string(page) + texts_[306] + std::to_string(p.pages));
  previous_->setVisible(p.previousVisible);
  next_->setVisible(p.nextVisible);
  for (int k = 0; k < 6; ++k) {
    if (k >= p.shown) {
      flags_[k]->hide();
      names_[k]->hide();
      continue;
    }
    const std::string language = languageOfFile(languages_[static_cast<size_t>(p.first + k)]);
    setLabel(names_[k], language);
    names_[k]->show();
    QPixmap flag;
    if (const auto file = flagFile(state_.folders().language, language)) flag.load(toQ(utf8String(*file)));
    // A picture that is missing or cannot be read leaves the slot with its name alone.
    if (flag.isNull()) {
      flags_[k]->clear();
      flags_[k]->hide();
      continue;
    }
    if (flag.width() > kFlagSize || flag.height() > kFlagSize)
      flag = flag.scaled(kFlagSize, kFlagSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    flags_[k]->setPixmap(flag);
    flags_[k]->show();
  }
}

void SoftOptionsDialog::pageClicked(bool next) {
  showPage_ = next ? nextPage(languages_.size(), showPage_) : previousPage(showPage_);
  updateLangPage(showPage_);
}

void SoftOptionsDialog::languageClicked(int slot) {
  const size_t index = static_cast<size_t>(kLanguagesPerPage * (showPage_ - 1) + slot);
  if (index >= languages_.size()) return;
  const std::string language = languageOfFile(languages_[index]);
  // Asked also when the language is the current one.
  if (!services_.messages.question(texts_[316] + languageInUse_ + texts_[317] + language + texts_[318])) return;
  languageInUse_ = language;
  // The stored language name changes only on OK: the table is loaded for the new one meanwhile.
  loadLanguage(table_, state_.folders().language, language);
  services_.changeLanguage();
  updateLangPage(showPage_);
}

void SoftOptionsDialog::updateCheckBox() {
  enableUpdate_->setEnabled(enableInternet_->isChecked());
  checkUpdate_->setEnabled(enableInternet_->isChecked() && enableUpdate_->isChecked() && !checking_);
}

void SoftOptionsDialog::checkUpdateClicked() {
  checking_ = true;
  updateCheckBox();
  const int opening = opening_;
  services_.versionChecker.check(this, [this, opening](bool newer) {
    if (opening != opening_) return;  // the dialog was closed and opened again meanwhile
    checking_ = false;
    updateCheckBox();
    if (newer) {
      checkResult_->setTextFormat(Qt::RichText);
      checkResult_->setText(toQ(updateLinkHtml(downloadPageUrl(makerUrl_), texts_[314])));
    } else {
      checkResult_->setTextFormat(Qt::PlainText);
      checkResult_->setText(toQ(texts_[315]));
    }
    checkResult_->adjustSize();
    checkResult_->show();
  });
}

void SoftOptionsDialog::okClicked() {
  Settings& s = state_.settings();
  s.language = languageInUse_;
  s.enableInternet = enableInternet_->isChecked();
  s.enableUpdate = enableUpdate_->isChecked();  // also while the box is disabled
  s.enableJumpFieldTables = jumpTable_->isChecked();
  s.doubleClickAutoSize = autoSize_->isChecked();
  accept();
}

bool SoftOptionsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    for (int k = 0; k < 6; ++k) {
      if (watched == flags_[k] || watched == names_[k]) {
        languageClicked(k);
        return true;
      }
    }
  }
  return KonfexDialog::eventFilter(watched, event);
}

}  // namespace konfex
