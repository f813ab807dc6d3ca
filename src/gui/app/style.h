// The look every window shares: background, fonts, the grey title labels and the image buttons.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>
#include <string>

class QLabel;
class QPushButton;
class QWidget;

namespace konfex {

inline const QColor kBackground(248, 245, 237);
inline const QColor kTitleGrey(96, 96, 96);

enum class Glyph { New, Open, Parameters, Network, Receive, Send, Update, Info, Options, Close, Ok, Cancel };

// Icons drawn in code, so the program needs no image files beside it.
QIcon glyphIcon(Glyph glyph);

QFont baseFont();  // 8-point Verdana where installed
void applyWindowLook(QWidget* window);
void styleCodeLabel(QLabel* label);   // large grey
void styleTitleLabel(QLabel* label);  // bold grey
QPushButton* makeImageButton(QWidget* parent, const char* objectName, Glyph glyph);
// A label with the product's control name, placed at a fixed position.
QLabel* makeLabel(QWidget* parent, const QString& objectName, int left, int top);
QLabel* makeLabel(QWidget* parent, const char* objectName, int left, int top);
// Sets the label's text and fits the label to it.
void setLabel(QLabel* label, const std::string& text);

}  // namespace konfex
