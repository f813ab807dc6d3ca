#include "gui/editors/eds_dialog.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "gui/app/qt_text.h"

namespace konfex {

namespace {

constexpr int kClientWidth = 1150;
constexpr int kClientHeight = 337;
constexpr int kCloseDelayMs = 10;
constexpr int kNoConnectionEntry = 2315;

}  // namespace

EdsGridModel::EdsGridModel(QObject* parent, const TextTable& texts) : QAbstractTableModel(parent), texts_(texts) {
  rows_.resize(1);
}

void EdsGridModel::setConnections(const std::vector<ConnData>& list) {
  beginResetModel();
  rows_.clear();
  for (const ConnData& c : list) rows_.push_back(edsGridTexts(c));
  if (rows_.empty()) rows_.resize(1);
  endResetModel();
}

const std::array<std::string, kEdsGridColumns>& EdsGridModel::rowTexts(int row) const {
  return rows_.at(static_cast<size_t>(row));
}

void EdsGridModel::headersChanged() {
  emit headerDataChanged(Qt::Horizontal, 0, kEdsGridColumns - 1);
}

int EdsGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int EdsGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kEdsGridColumns;
}

QVariant EdsGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  const std::string& text = rows_[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
  if (role == Qt::ToolTipRole && text.empty()) return {};
  return toQ(text);
}

QVariant EdsGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};  // headers show no hint
  return toQ(texts_[kEdsFirstHeaderEntry + section]);
}

Qt::ItemFlags EdsGridModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

EdsDialog::EdsDialog(QWidget* parent, const TextTable& texts, MessageBoxes& messages)
    : KonfexDialog(parent, "TFEtherNEtIP_EDS", texts), messages_(messages) {
  model_ = new EdsGridModel(this, texts);
  grid_ = new QTableView(this);
  grid_->setObjectName(QStringLiteral("ACG"));
  grid_->setModel(model_);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();  // no fixed column
  grid_->horizontalHeader()->setStretchLastSection(true);

  closeTimer_ = new QTimer(this);
  closeTimer_->setObjectName(QStringLiteral("TClose"));
  closeTimer_->setSingleShot(true);
  closeTimer_->setInterval(kCloseDelayMs);
  connect(closeTimer_, &QTimer::timeout, this, &EdsDialog::closeTimerFired);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

  resize(kClientWidth, kClientHeight);
  setLang();
}

void EdsDialog::setLang() {
  setFrameTexts(2300, 2301, 2302, 2303, 2304, 2305);
  model_->headersChanged();
}

void EdsDialog::layoutContent() {
  grid_->setGeometry(0, kTitleHeight, width(), height() - kTitleHeight - kButtonPanelHeight);
}

void EdsDialog::showEvent(QShowEvent* event) {
  KonfexDialog::showEvent(event);
  // Every showing decodes the file anew; nothing of an earlier import survives.
  list_ = readEdsFile(fileName_);
  showDataInGrid();
}

void EdsDialog::done(int result) {
  closeTimer_->stop();  // closed by the user before the message came: no message for a hidden dialog
  KonfexDialog::done(result);
}

void EdsDialog::showDataInGrid() {
  model_->setConnections(list_);
  if (list_.empty()) {
    // The message comes once the dialog is on the screen, then the dialog closes with Cancel.
    closeTimer_->start();
    return;
  }
  grid_->selectRow(0);
}

void EdsDialog::closeTimerFired() {
  closeTimer_->stop();
  messages_.error(texts_[kNoConnectionEntry]);
  reject();
}

std::array<std::string, kEdsGridColumns> EdsDialog::selectedTexts() const {
  if (list_.empty()) return {};
  int row = grid_->currentIndex().row();
  const QModelIndexList selected = grid_->selectionModel()->selectedRows();
  if (!selected.isEmpty()) row = selected.front().row();
  return model_->rowTexts(row < 0 ? 0 : row);
}

}  // namespace konfex
