// The About dialog: the product's identity and the way to the maker's web page. Its texts are fixed,
// so it has no Set_Lang and takes no part in a language change.
#pragma once

#include <string>

#include <QDialog>

#include "core/app/seams.h"

class QLabel;

namespace konfex {

class AboutDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 425;
  static constexpr int kHeight = 148;

  AboutDialog(QWidget* parent, Browser& browser, std::string makerUrl);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Browser& browser_;
  std::string makerUrl_;
  QLabel* logo_;
  QLabel* description_;
  QLabel* code_;
  QLabel* version_;
  QLabel* manual_;
  QLabel* address_;
};

}  // namespace konfex
