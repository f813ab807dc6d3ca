// A captioned panel whose content folds away under its header bar, and the scrolling stack that holds
// such panels one below the other.
#pragma once

#include <QScrollArea>
#include <QWidget>

class QVBoxLayout;

namespace konfex {

class PanelHeader;

class CollapsiblePanel final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeaderHeight = 24;

  CollapsiblePanel(QWidget* parent, const char* objectName);

  // The controls of the panel are placed on this widget at fixed positions, below the header bar.
  QWidget* content() const { return content_; }

  void setCaption(const QString& caption);
  QString caption() const;

  bool isExpanded() const { return expanded_; }
  void setExpanded(bool expanded);

  // The expanded height: the bottom of the lowest control of the content, plus `margin`, below the header.
  void fitTo(const QWidget* lowest, int margin);

 signals:
  void expandedChanged(bool expanded);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void applyHeight();

  PanelHeader* header_;
  QWidget* content_;
  bool expanded_ = true;
  int contentHeight_ = 0;
};

// The vertical stack of panels; it scrolls when the panels are taller than its viewport.
class PanelGroup final : public QScrollArea {
  Q_OBJECT

 public:
  PanelGroup(QWidget* parent, const char* objectName);

  int headerHeight() const { return CollapsiblePanel::kHeaderHeight; }
  // Appends a panel at the bottom of the stack and gives it to the group.
  CollapsiblePanel* addPanel(const char* objectName);

 private:
  QWidget* stack_;
  QVBoxLayout* layout_;
};

}  // namespace konfex
