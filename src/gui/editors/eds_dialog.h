// The EDS selection dialog (TFEtherNEtIP_EDS): lists the connections decoded from the EDS file the caller
// names and lets the user choose one; Import EDS then copies six cells of the chosen row.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include <QAbstractTableModel>

#include "core/app/seams.h"
#include "core/editors/eds.h"
#include "gui/app/konfex_dialog.h"

class QTableView;
class QTimer;

namespace konfex {

// The selection grid's rows, read only: each cell's hint is its own text, the headers have none.
class EdsGridModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  EdsGridModel(QObject* parent, const TextTable& texts);
  // One row per connection; an empty list shows one empty row.
  void setConnections(const std::vector<ConnData>& list);
  const std::array<std::string, kEdsGridColumns>& rowTexts(int row) const;
  void headersChanged();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const TextTable& texts_;
  std::vector<std::array<std::string, kEdsGridColumns>> rows_;
};

class EdsDialog final : public KonfexDialog {
  Q_OBJECT

 public:
  EdsDialog(QWidget* parent, const TextTable& texts, MessageBoxes& messages);
  void setLang() override;

  // EDS_FileName: the file the next showing decodes.
  void setFileName(const std::filesystem::path& file) { fileName_ = file; }
  const std::filesystem::path& fileName() const { return fileName_; }
  // The nine cell texts of the selected row, as the grid shows them (empty texts when nothing is listed).
  std::array<std::string, kEdsGridColumns> selectedTexts() const;
  // List_Conn: the connections of the last showing.
  const std::vector<ConnData>& connections() const { return list_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;
  void layoutContent() override;

 private:
  void showDataInGrid();
  void closeTimerFired();

  MessageBoxes& messages_;
  EdsGridModel* model_;
  QTableView* grid_;
  QTimer* closeTimer_;
  std::filesystem::path fileName_;
  std::vector<ConnData> list_;
};

}  // namespace konfex
