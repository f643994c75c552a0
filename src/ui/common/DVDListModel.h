#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QFont>
#include <QIcon>
#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// A column of a DVD list: key is the Inventory column it shows, caption its header text.
struct DVDListColumn {
  QString key;
  QString caption;
};

// One DVD as a list row is made from it.
struct DVDRowData {
  QString title, category, rated, starring;
  qint32 status = 0;
  QString name;
  QDateTime outDate, dueDate;
  QString description, barCode;
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
  // One row by the list's rules: cells by column key, icon, bold when overdue (today from the
  // Clock seam). Appended at the end, whatever the sort.
  void AddDVD(const DVDRowData& row);
  // Reloads all rows from an SQL text over Inventory (the list's own query or a search's), in the
  // query's order, as one model reset. Throws DatabaseError; the old rows stay on failure.
  void LoadFromQuery(const QString& sql);

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

  // The text a date gets in a list cell: the user's short date format with a four-digit year.
  static QString DateText(const QDate& date);

 private:
  struct Storage;
  class DateTexts;

  const QString& Cell(int row, int column) const;
  void Append(Storage& storage, const DVDRowData& data, const QDate& today, DateTexts& dates) const;
  // Per loaded row, the rank of its text in the given column in collation order.
  std::vector<int> Ranks(int column) const;

  std::vector<DVDListColumn> columns_;
  std::unique_ptr<Storage> rows_;
  // The ranks of the column sorted last, kept until the rows change.
  std::optional<std::pair<int, std::vector<int>>> sortRanks_;
  QIcon icons_[3];
  QFont bold_;
};
