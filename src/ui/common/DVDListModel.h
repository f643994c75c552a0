#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "inventory/DVDRecord.h"

namespace InventoryFunctions {
class DVDQuery;
}

// A column of a DVD list: key is the Inventory column it shows, caption its header text.
struct DVDListColumn {
  QString key;
  QString caption;
};

// The rows of a DVD list, holding only what the list shows: one text per cell, the icon and
// the overdue mark. Sorting happens here, on collation keys computed once per sort, so that a
// list of 100,000 DVDs sorts without a pause.
class DVDListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Roles {
    TitleRole = Qt::UserRole + 1,
    IconIndexRole,  // 1 lent, 2 in stock, 3 overdue
    OverdueRole,
  };

  explicit DVDListModel(QObject* parent = nullptr);
  ~DVDListModel() override;

  // Column 0 always shows the title, whatever its key. Rows already loaded keep the cells of the
  // keys that stay; a new key's cells are empty until the next reload.
  void SetColumns(std::vector<DVDListColumn> columns);
  const std::vector<DVDListColumn>& Columns() const;

  void Clear();
  // The main list shows "Overdue" in place of a late DVD's status; search results keep the status
  // and add a suffix. Applies to rows loaded afterwards.
  void SetStatusCellStyle(InventoryFunctions::StatusCellStyle style);

  // Reloads all rows of a query (the list's own or a search's), in the query's order, as one
  // model reset. Throws DatabaseError; the old rows stay on failure.
  void LoadFromQuery(const InventoryFunctions::DVDQuery& query);

  // Takes in a change to the DVDs of these titles (letter case ignored) without reading the whole
  // collection again: their rows are replaced by the DVDs now stored under them, each where the
  // main list's query puts it, and when `sortColumn` is given the shown order is that column's
  // sort, as after a reload and SortBy. Only for a model filled from the main list's query and
  // showing the table as it was before the change. Throws DatabaseError; the old rows stay on
  // failure.
  void ReplaceTitles(const QStringList& titles, std::optional<int> sortColumn, Qt::SortOrder order);

  QString TitleAt(int row) const;
  // First row, in the displayed order, whose title equals `title` with letter case ignored; -1
  // when there is none.
  int FindTitle(const QString& title) const;

  // Sorts the rows by the texts of one column in dictionary order, ignoring letter case and
  // sorting accented letters with their base letters, whatever the process locale. Stable: equal
  // texts keep their relative order. A column out of range changes nothing.
  void SortBy(int column, Qt::SortOrder order);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

 private:
  struct Storage;

  const QString& Cell(int row, int column) const;
  void Append(Storage& storage, const InventoryFunctions::DVDRecord& dvd,
              const std::vector<InventoryFunctions::DVDField>& fields, const QDate& today,
              InventoryFunctions::ShortDateTexts& dates) const;
  // The field each column after the first shows, in column order.
  std::vector<InventoryFunctions::DVDField> ShownFields() const;
  // Per loaded row, the rank of its text in the given column in collation order.
  std::vector<int> Ranks(int column) const;

  std::vector<DVDListColumn> columns_;
  std::unique_ptr<Storage> rows_;
  // The ranks of the column sorted last, kept until the rows change.
  std::optional<std::pair<int, std::vector<int>>> sortRanks_;
  InventoryFunctions::StatusCellStyle statusStyle_ = InventoryFunctions::StatusCellStyle::MainList;
  QIcon icons_[3];
  QFont bold_;
};
