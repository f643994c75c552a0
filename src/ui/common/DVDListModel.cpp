#include "ui/common/DVDListModel.h"

#include <QCollator>
#include <QFont>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <climits>
#include <numeric>
#include <optional>

#include "inventory/InventoryRecords.h"
#include "seams/Clock.h"

// The icons are compiled into a static library; registering them here keeps the linker from
// dropping them when nothing else in the program refers to the resource.
static void InitListIcons() {
  static const bool done = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)done;
}

using namespace InventoryFunctions;

// Cells are kept in one flat array (row by row, columns 1 and up; column 0 is the title), and
// the shown order is a permutation of the load order, so that a sort moves integers only.
struct DVDListModel::Storage {
  int cellColumns = 0;               // columns after the first
  std::vector<QString> titles;       // as stored: selection and look-ups go by these
  std::vector<QString> shownTitles;  // as the first column shows them
  std::vector<QString> cells;
  std::vector<quint8> icons;
  std::vector<bool> overdue;
  std::vector<int> order;  // shown row -> loaded row

  int Size() const { return int(titles.size()); }
  void Reserve(size_t rows) {
    titles.reserve(rows);
    shownTitles.reserve(rows);
    cells.reserve(rows * size_t(cellColumns));
    icons.reserve(rows);
    overdue.reserve(rows);
    order.reserve(rows);
  }
};

DVDListModel::DVDListModel(QObject* parent)
    : QAbstractTableModel(parent), rows_(std::make_unique<Storage>()) {
  InitListIcons();
  icons_[0] = QIcon(QStringLiteral(":/icons/ListLoaned.svg"));
  icons_[1] = QIcon(QStringLiteral(":/icons/ListInStock.svg"));
  icons_[2] = QIcon(QStringLiteral(":/icons/ListOverdue.svg"));
  bold_.setBold(true);
}

DVDListModel::~DVDListModel() = default;

void DVDListModel::SetColumns(std::vector<DVDListColumn> columns) {
  const bool sameKeys =
      columns.size() == columns_.size() &&
      std::equal(columns.begin(), columns.end(), columns_.begin(),
                 [](const DVDListColumn& a, const DVDListColumn& b) { return a.key == b.key; });
  if (sameKeys) {
    columns_ = std::move(columns);
    if (!columns_.empty()) emit headerDataChanged(Qt::Horizontal, 0, int(columns_.size()) - 1);
    return;
  }
  beginResetModel();
  // Keep the cells of the keys that stay, so that trimming or reordering the columns of a filled
  // list does not empty it.
  const int oldColumns = rows_->cellColumns;
  const int newColumns = std::max(0, int(columns.size()) - 1);
  std::vector<int> from(size_t(newColumns), -1);
  std::vector<bool> used(size_t(oldColumns), false);
  for (int c = 0; c < newColumns; ++c) {
    for (int o = 0; o < oldColumns; ++o) {
      if (!used[size_t(o)] && columns_[size_t(o) + 1].key == columns[size_t(c) + 1].key) {
        from[size_t(c)] = o;
        used[size_t(o)] = true;
        break;
      }
    }
  }
  std::vector<QString> cells(size_t(rows_->Size()) * size_t(newColumns));
  for (int r = 0; r < rows_->Size(); ++r) {
    for (int c = 0; c < newColumns; ++c) {
      if (from[size_t(c)] >= 0) {
        cells[size_t(r) * size_t(newColumns) + size_t(c)] =
            std::move(rows_->cells[size_t(r) * size_t(oldColumns) + size_t(from[size_t(c)])]);
      }
    }
  }
  rows_->cells = std::move(cells);
  rows_->cellColumns = newColumns;
  columns_ = std::move(columns);
  sortRanks_.reset();
  endResetModel();
}

const std::vector<DVDListColumn>& DVDListModel::Columns() const { return columns_; }

void DVDListModel::Clear() {
  beginResetModel();
  auto empty = std::make_unique<Storage>();
  empty->cellColumns = rows_->cellColumns;
  rows_ = std::move(empty);
  sortRanks_.reset();
  endResetModel();
}

std::vector<DVDField> DVDListModel::ShownFields() const {
  std::vector<DVDField> fields;
  for (size_t c = 1; c < columns_.size(); ++c) fields.push_back(FieldOfColumn(columns_[c].key));
  return fields;
}

void DVDListModel::Append(Storage& storage, const DVDRecord& dvd,
                          const std::vector<DVDField>& fields, const QDate& today,
                          ShortDateTexts& dates) const {
  const DVDRowState state = RowState(dvd, today);
  storage.order.push_back(storage.Size());
  storage.titles.push_back(dvd.title);
  storage.shownTitles.push_back(ListCellText(dvd, DVDField::Title, state, statusStyle_, dates));
  storage.icons.push_back(state.icon);
  storage.overdue.push_back(state.overdue);
  for (const DVDField field : fields) {
    storage.cells.push_back(ListCellText(dvd, field, state, statusStyle_, dates));
  }
}

void DVDListModel::SetStatusCellStyle(StatusCellStyle style) { statusStyle_ = style; }

void DVDListModel::LoadFromQuery(const DVDQuery& query) {
  auto storage = std::make_unique<Storage>();
  storage->cellColumns = rows_->cellColumns;
  const QDate today = seams::Today();
  ShortDateTexts dates;
  const std::vector<DVDField> fields = ShownFields();
  ReadDVDs(query, fields,
           [&](const DVDRecord& dvd) { Append(*storage, dvd, fields, today, dates); });
  beginResetModel();
  rows_ = std::move(storage);
  sortRanks_.reset();
  endResetModel();
}

void DVDListModel::ReplaceTitles(const QStringList& titles, std::optional<int> sortColumn,
                                 Qt::SortOrder order) {
  const std::vector<DVDField> fields = ShownFields();
  const std::vector<PlacedDVD> placed = PlaceInList(titles, fields);
  const QDate today = seams::Today();
  ShortDateTexts dates;

  // The kept rows in their load order, with the new ones inserted where the query puts them.
  auto storage = std::make_unique<Storage>();
  storage->cellColumns = rows_->cellColumns;
  storage->Reserve(size_t(rows_->Size()) + placed.size());
  std::vector<int> newIndexOf(size_t(rows_->Size()), -1);  // old loaded row -> new loaded row
  std::vector<int> added;                                  // new loaded rows of the placed DVDs
  size_t next = 0;
  auto insertDue = [&](int upTo) {
    while (next < placed.size() && placed[next].before <= upTo) {
      added.push_back(storage->Size());
      Append(*storage, placed[next++].dvd, fields, today, dates);
    }
  };
  for (int old = 0; old < rows_->Size(); ++old) {
    const QString& title = rows_->titles[size_t(old)];
    if (std::any_of(titles.begin(), titles.end(),
                    [&title](const QString& t) { return SameTitle(t, title); })) {
      continue;
    }
    insertDue(storage->Size());
    newIndexOf[size_t(old)] = storage->Size();
    storage->order.push_back(storage->Size());
    storage->titles.push_back(rows_->titles[size_t(old)]);
    storage->shownTitles.push_back(rows_->shownTitles[size_t(old)]);
    storage->icons.push_back(rows_->icons[size_t(old)]);
    storage->overdue.push_back(rows_->overdue[size_t(old)]);
    const auto cells = rows_->cells.begin() + qsizetype(old) * rows_->cellColumns;
    storage->cells.insert(storage->cells.end(), cells, cells + rows_->cellColumns);
  }
  insertDue(INT_MAX);

  if (sortColumn && *sortColumn >= 0 && *sortColumn < int(columns_.size())) {
    // The kept rows keep their sorted order; each new row goes where a stable sort of the load
    // order puts it: after the rows whose text sorts before its own, and among equal texts by
    // load order.
    QCollator collator{QLocale(QLocale::English, QLocale::UnitedStates)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    const int column = *sortColumn;
    auto text = [&](int loaded) -> const QString& {
      return column == 0
                 ? storage->shownTitles[size_t(loaded)]
                 : storage
                       ->cells[size_t(loaded) * size_t(storage->cellColumns) + size_t(column - 1)];
    };
    std::vector<int> shown;
    shown.reserve(size_t(storage->Size()));
    for (const int old : rows_->order) {
      if (newIndexOf[size_t(old)] >= 0) shown.push_back(newIndexOf[size_t(old)]);
    }
    for (const int row : added) {
      const auto at = std::lower_bound(shown.begin(), shown.end(), row, [&](int a, int b) {
        const int c = collator.compare(text(a), text(b));
        if (c != 0) return order == Qt::AscendingOrder ? c < 0 : c > 0;
        return a < b;
      });
      shown.insert(at, row);
    }
    storage->order = std::move(shown);
  }

  beginResetModel();
  rows_ = std::move(storage);
  sortRanks_.reset();
  endResetModel();
}

QString DVDListModel::TitleAt(int row) const {
  if (row < 0 || row >= rows_->Size()) return QString();
  return rows_->titles[size_t(rows_->order[size_t(row)])];
}

int DVDListModel::FindTitle(const QString& title) const {
  for (int row = 0; row < rows_->Size(); ++row) {
    if (rows_->titles[size_t(rows_->order[size_t(row)])].compare(title, Qt::CaseInsensitive) == 0)
      return row;
  }
  return -1;
}

const QString& DVDListModel::Cell(int row, int column) const {
  const size_t loaded = size_t(rows_->order[size_t(row)]);
  if (column == 0) return rows_->shownTitles[loaded];
  return rows_->cells[loaded * size_t(rows_->cellColumns) + size_t(column - 1)];
}

std::vector<int> DVDListModel::Ranks(int column) const {
  // Dictionary order without regard to letter case, accents next to their base letters, the same
  // whatever the process locale. Each distinct text gets its collation key once; the rows are
  // then sorted on the rank of their text, which is cheap to compare.
  QCollator collator{QLocale(QLocale::English, QLocale::UnitedStates)};
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(false);
  collator.setIgnorePunctuation(false);

  const int rows = rows_->Size();
  QHash<QString, int> distinct;
  std::vector<int> textOf(static_cast<size_t>(rows));
  std::vector<const QString*> texts;
  for (int loaded = 0; loaded < rows; ++loaded) {
    const QString& text =
        column == 0
            ? rows_->shownTitles[size_t(loaded)]
            : rows_->cells[size_t(loaded) * size_t(rows_->cellColumns) + size_t(column - 1)];
    auto it = distinct.constFind(text);
    if (it == distinct.constEnd()) {
      it = distinct.insert(text, int(texts.size()));
      texts.push_back(&text);
    }
    textOf[size_t(loaded)] = *it;
  }
  std::vector<QCollatorSortKey> keys;
  keys.reserve(texts.size());
  for (const QString* text : texts) keys.push_back(collator.sortKey(*text));
  std::vector<int> byKey(texts.size());
  std::iota(byKey.begin(), byKey.end(), 0);
  std::sort(byKey.begin(), byKey.end(),
            [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
  // Texts the collator finds equal (differing only in letter case) share a rank.
  std::vector<int> rankOfText(texts.size());
  int rank = 0;
  for (size_t i = 0; i < byKey.size(); ++i) {
    if (i > 0 && keys[size_t(byKey[i - 1])].compare(keys[size_t(byKey[i])]) != 0) ++rank;
    rankOfText[size_t(byKey[i])] = rank;
  }
  std::vector<int> ranks(static_cast<size_t>(rows));
  for (int loaded = 0; loaded < rows; ++loaded)
    ranks[size_t(loaded)] = rankOfText[size_t(textOf[size_t(loaded)])];
  return ranks;
}

void DVDListModel::SortBy(int column, Qt::SortOrder order) {
  if (column < 0 || column >= int(columns_.size())) return;
  if (!sortRanks_ || sortRanks_->first != column) sortRanks_.emplace(column, Ranks(column));
  const std::vector<int>& ranks = sortRanks_->second;

  // Ties keep the load order, so the result does not depend on earlier sorts.
  std::vector<int> sorted(size_t(rows_->Size()));
  std::iota(sorted.begin(), sorted.end(), 0);
  if (order == Qt::AscendingOrder) {
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](int a, int b) { return ranks[size_t(a)] < ranks[size_t(b)]; });
  } else {
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](int a, int b) { return ranks[size_t(a)] > ranks[size_t(b)]; });
  }

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<int> shownAt(sorted.size());  // loaded row -> new shown row
  for (size_t i = 0; i < sorted.size(); ++i) shownAt[size_t(sorted[i])] = int(i);
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& index : before) {
    const int loaded = rows_->order[size_t(index.row())];
    after.append(this->index(shownAt[size_t(loaded)], index.column()));
  }
  rows_->order = std::move(sorted);
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DVDListModel::sort(int column, Qt::SortOrder order) { SortBy(column, order); }

int DVDListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_->Size();
}

int DVDListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DVDListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.model() != this || index.row() >= rowCount() ||
      index.column() >= columnCount())
    return {};
  const int row = index.row();
  const size_t loaded = size_t(rows_->order[size_t(row)]);
  switch (role) {
    case Qt::DisplayRole:
      return Cell(row, index.column());
    case Qt::DecorationRole:
      if (index.column() != 0) return {};
      return icons_[rows_->icons[loaded] - 1];
    case Qt::FontRole:
      return rows_->overdue[loaded] ? QVariant(bold_) : QVariant();
    case TitleRole:
      return rows_->titles[loaded];
    case IconIndexRole:
      return int(rows_->icons[loaded]);
    case OverdueRole:
      return bool(rows_->overdue[loaded]);
    default:
      return {};
  }
}

QVariant DVDListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size()))
    return QAbstractTableModel::headerData(section, orientation, role);
  if (role == Qt::DisplayRole) return columns_[size_t(section)].caption;
  return {};
}

Qt::ItemFlags DVDListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
