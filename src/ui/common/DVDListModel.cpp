#include "ui/common/DVDListModel.h"

#include <sqlite3.h>

#include <QCollator>
#include <QFont>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <numeric>
#include <optional>

#include "app/DatabaseError.h"
#include "data/Recordset.h"
#include "inventory/InventoryFunctions.h"
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

namespace {

// What a column shows, decided once per column from its key (compared exactly, as keys are).
enum class Field {
  Nothing,
  Category,
  Starring,
  Rated,
  Status,
  Name,
  Date,
  DueDate,
  Description,
  BarCode
};

Field FieldOf(const QString& key) {
  static const QHash<QString, Field> fields = {
      {QStringLiteral("Category"), Field::Category},
      {QStringLiteral("Starring"), Field::Starring},
      {QStringLiteral("Rated"), Field::Rated},
      {QStringLiteral("Status"), Field::Status},
      {QStringLiteral("Name"), Field::Name},
      {QStringLiteral("Date"), Field::Date},
      {QStringLiteral("DueDate"), Field::DueDate},
      {QStringLiteral("Description"), Field::Description},
      {QStringLiteral("BarCode"), Field::BarCode},
  };
  return fields.value(key, Field::Nothing);
}

// The user's short date format, with the year always written in full.
QString ShortDateFormat() {
  static const QRegularExpression years(QStringLiteral("y+"));
  QString format = QLocale().dateFormat(QLocale::ShortFormat);
  format.replace(years, QStringLiteral("yyyy"));
  return format;
}

QString StatusCell(qint32 status, bool overdue) {
  static const QString overdueText = QStringLiteral("Overdue");
  return overdue ? overdueText : InventoryFunctions::StatusText(status);
}

}  // namespace

// Formats dates for one load; most rows of a large list share a few thousand dates.
class DVDListModel::DateTexts {
 public:
  DateTexts() : format_(ShortDateFormat()) {}
  QString Text(const QDate& date) {
    if (!date.isValid()) return QString(u""_qs);
    const qint64 day = date.toJulianDay();
    if (const auto found = cache_.constFind(day); found != cache_.constEnd()) return *found;
    return *cache_.insert(day, locale_.toString(date, format_).trimmed());
  }

 private:
  QLocale locale_;
  QString format_;
  QHash<qint64, QString> cache_;
};

// Cells are kept in one flat array (row by row, columns 1 and up; column 0 is the title), and
// the shown order is a permutation of the load order, so that a sort moves integers only.
struct DVDListModel::Storage {
  int cellColumns = 0;  // columns after the first
  std::vector<QString> titles;
  std::vector<QString> cells;
  std::vector<quint8> icons;
  std::vector<bool> overdue;
  std::vector<int> order;  // shown row -> loaded row

  int Size() const { return int(titles.size()); }
  void Reserve(size_t rows) {
    titles.reserve(rows);
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

void DVDListModel::Append(Storage& storage, const DVDRowData& data, const QDate& today,
                          DateTexts& dates) const {
  const bool lent = data.status != InventoryFunctions::InStock;
  const bool overdue = InventoryFunctions::IsOverdue(data.status, data.dueDate, today);
  storage.order.push_back(storage.Size());
  storage.titles.push_back(data.title);
  storage.icons.push_back(lent ? (overdue ? 3 : 1) : 2);
  storage.overdue.push_back(overdue);
  for (size_t c = 1; c < columns_.size(); ++c) {
    switch (FieldOf(columns_[c].key)) {
      case Field::Category:
        storage.cells.push_back(data.category);
        break;
      case Field::Starring:
        storage.cells.push_back(data.starring);
        break;
      case Field::Rated:
        storage.cells.push_back(data.rated);
        break;
      case Field::Status:
        storage.cells.push_back(StatusCell(data.status, overdue));
        break;
      case Field::Name:
        storage.cells.push_back(data.name);
        break;
      case Field::Date:
        storage.cells.push_back(dates.Text(data.outDate.date()));
        break;
      case Field::DueDate:
        // A due date equal to the loan date means there is none to show.
        storage.cells.push_back(lent && data.dueDate != data.outDate
                                    ? dates.Text(data.dueDate.date())
                                    : QString(u""_qs));
        break;
      case Field::Description:
        storage.cells.push_back(data.description);
        break;
      case Field::BarCode:
        storage.cells.push_back(data.barCode);
        break;
      case Field::Nothing:
        storage.cells.push_back(QString(u""_qs));
        break;
    }
  }
}

void DVDListModel::AddDVD(const DVDRowData& row) {
  DateTexts dates;
  const int at = rows_->Size();
  beginInsertRows(QModelIndex(), at, at);
  Append(*rows_, row, seams::Today(), dates);
  sortRanks_.reset();
  endInsertRows();
}

void DVDListModel::LoadFromQuery(const QString& sql) {
  auto storage = std::make_unique<Storage>();
  storage->cellColumns = rows_->cellColumns;
  RecordsetPtr records = OpenRecords(sql);
  if (!NoRecords(records)) {
    // Only the fields a shown column needs are read; title, status and the two dates decide the
    // icon and the overdue mark and are always read. Field positions are looked up once, by name.
    bool wanted[10] = {};
    for (size_t c = 1; c < columns_.size(); ++c) wanted[int(FieldOf(columns_[c].key))] = true;
    auto field = [&](const char* name) {
      const QString text = QString::fromLatin1(name);
      const int index = records->FieldIndex(text);
      if (index < 0) {
        throw DatabaseError(SQLITE_ERROR,
                            QStringLiteral("Item not found in this collection: %1").arg(text),
                            QStringLiteral("Recordset"));
      }
      return index;
    };
    auto optionalField = [&](Field which, const char* name) {
      return wanted[int(which)] ? field(name) : -1;
    };
    const int title = field("DVDTitle");
    const int status = field("Status");
    const int outDate = field("Date");
    const int dueDate = field("DueDate");
    const int category = optionalField(Field::Category, "Category");
    const int starring = optionalField(Field::Starring, "Starring");
    const int rated = optionalField(Field::Rated, "Rated");
    const int name = optionalField(Field::Name, "Name");
    const int description = optionalField(Field::Description, "Description");
    const int barCode = optionalField(Field::BarCode, "BarCode");
    auto text = [&](int index) { return index < 0 ? QString() : records->Text(index); };

    const QDate today = seams::Today();
    DateTexts dates;
    DVDRowData row;
    // The walk needs no exact count up front; asking for one would run the sorted query twice
    // more before the first row is read.
    while (!records->Eof()) {
      row.title = records->Text(title);
      row.category = text(category);
      row.starring = text(starring);
      row.rated = text(rated);
      row.status = records->Long(status);
      row.name = text(name);
      row.outDate = records->Date(outDate);
      row.dueDate = records->Date(dueDate);
      row.description = text(description);
      row.barCode = text(barCode);
      Append(*storage, row, today, dates);
      records->MoveNext();
    }
  }
  CloseRecords(records);
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
  if (column == 0) return rows_->titles[loaded];
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
            ? rows_->titles[size_t(loaded)]
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

QString DVDListModel::DateText(const QDate& date) {
  DateTexts dates;
  return dates.Text(date);
}
