// The frame every dialog shares: a title panel across the top with the software code and the
// dialog's title, a button panel across the bottom with OK and Cancel, the content in between.
#pragma once

#include <QDialog>

#include "core/lang/text_table.h"

class QLabel;
class QPushButton;
class QWidget;

namespace konfex {

class KonfexDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTitleHeight = 69;
  static constexpr int kButtonPanelHeight = 40;

  // Puts its texts into every caption, label and hint; runs at creation and after a language change.
  virtual void setLang() = 0;

 protected:
  KonfexDialog(QWidget* parent, const char* objectName, const TextTable& texts);

  // The common texts: window caption, title, OK and Cancel captions and hints (-1: no hint).
  void setFrameTexts(int caption, int title, int ok, int cancel, int okHint, int cancelHint);
  void resizeEvent(QResizeEvent* event) override;
  // Places the content between the panels after a resize.
  virtual void layoutContent() {}

  const TextTable& texts_;
  QWidget* titlePanel_;
  QLabel* codeLabel_;
  QLabel* titleLabel_;
  QWidget* buttonPanel_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
};

}  // namespace konfex
