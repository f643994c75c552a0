#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/ChangeNotice.h"
#include "inventory/DVDRecord.h"

class Collection;

namespace InventoryFunctions {
class DVDQuery;
}

// A column of a DVD list: key is the Inventory column it shows, caption its header text.
struct DVDListColumn {
  QString key;
  QString caption;
};

// A sort of a DVD list by the texts of one column.
struct DVDListSort {
  int column = 0;
  Qt::SortOrder order = Qt::AscendingOrder;
  bool operator==(const DVDListSort&) const = default;
};

// The rows of a DVD list. It keeps only which DVD stands in which row; a row's cells are read when
// the view asks for them, a block of rows at a time, so that a collection of any size shows at
// once and costs little memory. A sort of the whole list by a column whose keys the file keeps
// reads their index; any other sort happens here, on collation keys of the column's texts.
class DVDListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Roles {
    TitleRole = Qt::UserRole + 1,
    IconIndexRole,  // 1 lent, 2 in stock, 3 overdue
    OverdueRole,
  };

  explicit DVDListModel(Collection& collection, QObject* parent = nullptr);
  ~DVDListModel() override;

  // Column 0 always shows the title, whatever its key.
  void SetColumns(std::vector<DVDListColumn> columns);
  const std::vector<DVDListColumn>& Columns() const;

  void Clear();
  // The main list shows "Overdue" in place of a late DVD's status; search results keep the status
  // and add a suffix.
  void SetStatusCellStyle(InventoryFunctions::StatusCellStyle style);

  // Reloads the rows of a query (the list's own or a search's), in the query's order, as one
  // model reset. Throws DatabaseError; the old rows stay on failure.
  void LoadFromQuery(const InventoryFunctions::DVDQuery& query);
  // The same followed by a sort (none: the query's order). When the rows are the whole list and
  // since they were read the file was written only through this collection's connection and in a
  // few rows, only those rows are placed again (in a sort by kept keys the rows hold too; any
  // other sort is made again, from the ranks held for its column when it has them); true then.
  bool Refresh(const InventoryFunctions::DVDQuery& query, std::optional<DVDListSort> sort);

  QString TitleAt(int row) const;
  // The rowids of the DVDs in the order the rows are shown, for reading them whole (an export).
  std::vector<qint64> ShownIds() const;
  // First row, in the displayed order, whose title equals `title` with letter case ignored; -1
  // when there is none.
  int FindTitle(const QString& title) const;

  // Sorts the rows by the texts of one column in dictionary order, ignoring letter case and
  // sorting accented letters with their base letters, whatever the process locale. Stable: equal
  // texts keep their load order. A column out of range changes nothing.
  void SortBy(int column, Qt::SortOrder order);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
  // Type-ahead on the titles asks the list's title index instead of reading every row.
  QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
                        Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith |
                                                              Qt::MatchWrap)) const override;

 private:
  Collection& collection_;
  struct Row {
    QString title;               // as stored: selection and look-ups go by it
    std::vector<QString> cells;  // as shown, column 0 first
    quint8 icon = 2;
    bool overdue = false;
  };
  using Block = std::vector<Row>;
  // Per loaded row, the rank of its text in a column; fromKeys when taken from the column's kept
  // keys. When ranked from the cells' texts, one text per rank and what those texts depended on,
  // so that a few written rows can be ranked among them without reading every cell again.
  struct SortRanks {
    int column = 0;
    std::vector<int> ranks;
    bool fromKeys = false;
    std::vector<QString> texts;
    QDate today;
    InventoryFunctions::StatusCellStyle style = InventoryFunctions::StatusCellStyle::MainList;
  };

  const Row& RowAt(int row) const;
  void Forget();
  // The field each column shows, in column order (the title for column 0).
  std::vector<InventoryFunctions::DVDField> ShownFields() const;
  // Per loaded row, the rank of its text in the given column in collation order.
  SortRanks Ranks(int column) const;
  // The same from the list's kept sort keys, when the rows are the whole list in its own order
  // and the column has them; empty otherwise.
  SortRanks KeptRanks(int column) const;
  // The same for the status or due date column, from the runs of equal loan values in the list's
  // own order; no ranks when the file has changed since the rows were read.
  SortRanks LoanRanks(int column) const;
  // The held ranks carried over to `ids`, the load order with the `written` rows placed again,
  // those rows' cells read again; nothing when they do not fit.
  std::optional<SortRanks> RankedAgain(const std::vector<qint64>& ids,
                                       const std::vector<qint64>& written) const;
  // Refresh's step that places only the written rows; false, having changed nothing, when it
  // cannot.
  bool PlaceWritten(const InventoryFunctions::DVDQuery& query,
                    const std::optional<DVDListSort>& sort);

  std::vector<DVDListColumn> columns_;
  std::vector<qint64> ids_;       // the DVDs' rowids in load order
  std::vector<int> order_;        // shown row -> loaded row
  bool wholeList_ = false;        // ids_ are every DVD in the list's own order
  Changes::TableMark loadMark_;   // where table Inventory stood when they were read
  std::optional<qint64> readAt_;  // the point the list's places were read at (see PlacedSince)
  // Blocks of shown rows read lately, the most recent first.
  mutable std::list<std::pair<int, Block>> blocks_;
  mutable std::unordered_map<int, std::list<std::pair<int, Block>>::iterator> blockOf_;
  // The ranks of the column sorted last, kept until the rows change.
  std::optional<SortRanks> sortRanks_;
  std::optional<DVDListSort> sortedBy_;  // what order_ holds beyond the load order
  InventoryFunctions::StatusCellStyle statusStyle_ = InventoryFunctions::StatusCellStyle::MainList;
  QIcon icons_[3];
  QFont bold_;
};
