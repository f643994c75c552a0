#include "ui/common/DVDListModel.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/ListOrder.h"
#include "seams/Clock.h"
#include "ui/common/LoadPositions.h"
#include "ui/common/TextRanks.h"

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

namespace {

// A screenful and a little more: scrolling reads one statement per block, and the blocks kept
// hold a few screens of rows whatever the collection's size.
constexpr int kBlockRows = 128;
constexpr size_t kKeptBlocks = 32;
// Rows written since the last read that are placed one by one; beyond that the list is read whole.
constexpr size_t kMostPlaced = 32;

}  // namespace

DVDListModel::DVDListModel(Collection& collection, QObject* parent)
    : QAbstractTableModel(parent), collection_(collection) {
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
  columns_ = std::move(columns);
  Forget();
  sortRanks_.reset();
  sortedBy_.reset();
  endResetModel();
}

const std::vector<DVDListColumn>& DVDListModel::Columns() const { return columns_; }

void DVDListModel::Clear() {
  beginResetModel();
  ids_.clear();
  order_.clear();
  readAt_.reset();
  Forget();
  sortRanks_.reset();
  sortedBy_.reset();
  endResetModel();
}

void DVDListModel::Forget() {
  blocks_.clear();
  blockOf_.clear();
}

std::vector<DVDField> DVDListModel::ShownFields() const {
  std::vector<DVDField> fields;
  for (size_t c = 0; c < columns_.size(); ++c)
    fields.push_back(c == 0 ? DVDField::Title : FieldOfColumn(columns_[c].key));
  return fields;
}

void DVDListModel::SetStatusCellStyle(StatusCellStyle style) {
  statusStyle_ = style;
  Forget();
}

void DVDListModel::LoadFromQuery(const DVDQuery& query) {
  // Taken before the rows are read: any write after it shows in the mark.
  const InventoryMark mark =
      query.IsWholeList() ? CurrentInventoryMark(collection_) : InventoryMark();
  std::optional<qint64> readAt;
  std::vector<qint64> ids =
      query.IsWholeList() ? ListOrderIds(collection_, &readAt) : query.Ids(collection_);
  beginResetModel();
  loadMark_ = mark;
  readAt_ = readAt;
  ids_ = std::move(ids);
  wholeList_ = query.IsWholeList();
  order_.resize(ids_.size());
  std::iota(order_.begin(), order_.end(), 0);
  Forget();
  sortRanks_.reset();
  sortedBy_.reset();
  endResetModel();
}

bool DVDListModel::Refresh(const DVDQuery& query, std::optional<DVDListSort> sort) {
  if (PlaceWritten(query, sort)) return true;
  LoadFromQuery(query);
  if (sort) SortBy(sort->column, sort->order);
  return false;
}

bool DVDListModel::PlaceWritten(const DVDQuery& query, const std::optional<DVDListSort>& sort) {
  if (!query.IsWholeList() || !wholeList_ || !readAt_) return false;
  // A sort by kept keys that the rows hold is kept by placing the rows in it too; any other is
  // made again from the load order (the status and due date cells are not kept as keys).
  const bool keyed = sort && sort == sortedBy_ && sortRanks_ &&
                     sortRanks_->column == sort->column && sortRanks_->fromKeys;
  const bool descending = sort && sort->order == Qt::DescendingOrder;
  // Ranks made from the cells' texts (the status or due date) are carried over with the written
  // rows ranked among them, so that the sort is made again without reading every cell; only
  // while the texts read still stand.
  const bool reranked = sort && !keyed && sortRanks_ && sortRanks_->column == sort->column &&
                        !sortRanks_->fromKeys && !sortRanks_->texts.empty() &&
                        sortRanks_->ranks.size() == ids_.size() &&
                        sortRanks_->style == statusStyle_ && sortRanks_->today == seams::Today();
  try {
    qint64 readAt = *readAt_;
    const std::optional<std::vector<qint64>> written =
        PlacedSince(collection_, readAt, kMostPlaced);
    // Taken after the catch-up: another connection's commit may have placed rows untold.
    const InventoryMark mark = CurrentInventoryMark(collection_);
    if (!written || mark.connection != loadMark_.connection ||
        mark.dataVersion != loadMark_.dataVersion)
      return false;
    std::vector<qint64> ids = ids_;
    PlaceOrder(collection_, std::nullopt, false).PutBack(ids, nullptr, *written);
    std::vector<int> order(ids.size());
    std::optional<SortRanks> ranks;
    if (keyed) {
      // The shown order with its runs of equal keys, the written rows placed again in it.
      std::vector<qint64> shown;
      std::vector<qint64> runs;
      shown.reserve(order_.size() + written->size());
      runs.reserve(order_.size() + written->size());
      for (const int loaded : order_) {
        shown.push_back(ids_[size_t(loaded)]);
        runs.push_back(sortRanks_->ranks[size_t(loaded)]);
      }
      PlaceOrder(collection_, ShownFields()[size_t(sort->column)], descending)
          .PutBack(shown, &runs, *written);
      if (shown.size() != ids.size()) return false;
      const LoadPositions positions(ids);
      ranks = SortRanks{sort->column, std::vector<int>(ids.size()), true, {}, {}, {}};
      int runCount = 0;
      for (size_t i = 0; i < runs.size(); ++i) runCount += i == 0 || runs[i] != runs[i - 1];
      int run = -1;
      for (size_t i = 0; i < shown.size(); ++i) {
        if (i == 0 || runs[i] != runs[i - 1]) ++run;
        const int loaded = positions.Of(shown[i]);
        if (loaded < 0) return false;
        order[i] = loaded;
        ranks->ranks[size_t(loaded)] = descending ? runCount - 1 - run : run;
      }
    } else {
      std::iota(order.begin(), order.end(), 0);
      if (reranked) ranks = RankedAgain(ids, *written);
    }
    beginResetModel();
    loadMark_ = mark;
    readAt_ = readAt;
    ids_ = std::move(ids);
    order_ = std::move(order);
    sortRanks_ = std::move(ranks);
    sortedBy_ = keyed ? sort : std::nullopt;
    Forget();
    endResetModel();
    if (sort && !keyed) SortBy(sort->column, sort->order);
    return true;
  } catch (const DatabaseError& error) {
    ErrorFunctions::LogError(error.Description());
    return false;
  }
}

std::optional<DVDListModel::SortRanks> DVDListModel::RankedAgain(
    const std::vector<qint64>& ids, const std::vector<qint64>& written) const {
  const SortRanks& held = *sortRanks_;
  const DVDField field = ShownFields()[size_t(held.column)];
  std::vector<qint64> few = written;
  std::sort(few.begin(), few.end());
  auto isWritten = [&few](qint64 id) {
    return !few.empty() && id >= few.front() && id <= few.back() &&
           std::binary_search(few.begin(), few.end(), id);
  };
  std::unordered_map<qint64, QString> textOf;
  ShortDateTexts dates;
  if (!few.empty())
    ReadDVDsById(collection_, few, {field}, [&](qint64 id, const DVDRecord& dvd) {
      textOf[id] = ListCellText(dvd, field, RowState(dvd, held.today), held.style, dates);
    });

  // The written rows' texts not held yet join the held ones; the held ranks move up past them.
  std::vector<QString> texts = held.texts;
  std::vector<QString> more;
  for (const auto& [id, text] : textOf) more.push_back(text);
  const std::vector<int> heldRank = JoinRanks(texts, more);
  std::unordered_map<qint64, int> writtenRank;
  for (const auto& [id, text] : textOf) writtenRank[id] = RankOf(texts, text);

  // The rows not written keep their order among themselves when the written ones are placed.
  SortRanks ranks{held.column, std::vector<int>(ids.size()), false, {}, held.today, held.style};
  size_t from = 0;
  for (size_t p = 0; p < ids.size(); ++p) {
    if (isWritten(ids[p])) {
      const auto found = writtenRank.find(ids[p]);
      if (found == writtenRank.end()) return std::nullopt;
      ranks.ranks[p] = found->second;
      continue;
    }
    while (from < ids_.size() && isWritten(ids_[from])) ++from;
    if (from == ids_.size() || ids_[from] != ids[p]) return std::nullopt;
    ranks.ranks[p] = heldRank[size_t(held.ranks[from++])];
  }
  ranks.texts = std::move(texts);
  return ranks;
}

const DVDListModel::Row& DVDListModel::RowAt(int row) const {
  const int first = row - row % kBlockRows;
  if (const auto found = blockOf_.find(first); found != blockOf_.end()) {
    blocks_.splice(blocks_.begin(), blocks_, found->second);
    return found->second->second[size_t(row - first)];
  }
  const int count = std::min(kBlockRows, int(order_.size()) - first);
  Block block(static_cast<size_t>(count));
  std::vector<qint64> ids;
  std::unordered_map<qint64, int> slot;
  for (int i = 0; i < count; ++i) {
    const qint64 id = ids_[size_t(order_[size_t(first + i)])];
    ids.push_back(id);
    slot.emplace(id, i);
  }
  const std::vector<DVDField> fields = ShownFields();
  const QDate today = seams::Today();
  ShortDateTexts dates;
  try {
    ReadDVDsById(collection_, ids, fields, [&](qint64 id, const DVDRecord& dvd) {
      const auto at = slot.find(id);
      if (at == slot.end()) return;
      Row& shown = block[size_t(at->second)];
      const DVDRowState state = RowState(dvd, today);
      shown.title = dvd.title;
      shown.icon = state.icon;
      shown.overdue = state.overdue;
      shown.cells.reserve(fields.size());
      for (const DVDField field : fields)
        shown.cells.push_back(ListCellText(dvd, field, state, statusStyle_, dates));
    });
  } catch (const DatabaseError& error) {
    // A view asks while it paints, where nothing may be thrown: the rows stay empty this time
    // and are asked for again at the next paint.
    ErrorFunctions::LogError(error.Description());
    static const Row empty;
    return empty;
  }
  blocks_.emplace_front(first, std::move(block));
  blockOf_[first] = blocks_.begin();
  if (blocks_.size() > kKeptBlocks) {
    blockOf_.erase(blocks_.back().first);
    blocks_.pop_back();
  }
  return blocks_.front().second[size_t(row - first)];
}

QString DVDListModel::TitleAt(int row) const {
  if (row < 0 || row >= rowCount()) return QString();
  return RowAt(row).title;
}

std::vector<qint64> DVDListModel::ShownIds() const {
  std::vector<qint64> ids;
  ids.reserve(order_.size());
  for (const int loaded : order_) ids.push_back(ids_[size_t(loaded)]);
  return ids;
}

int DVDListModel::FindTitle(const QString& title) const {
  if (ids_.empty()) return -1;
  const std::vector<qint64> found = IdsOfTitle(collection_, title);
  if (found.empty()) return -1;
  // The loaded rows of those few DVDs, then the first shown row of one: two passes in memory
  // order, a range check settling nearly every row without a look-up.
  auto among = [](const auto& few) {
    return [few, low = few.front(), high = few.back()](auto value) {
      return value >= low && value <= high && std::binary_search(few.begin(), few.end(), value);
    };
  };
  std::vector<qint64> wanted = found;
  std::sort(wanted.begin(), wanted.end());
  const auto isWanted = among(wanted);
  std::vector<int> loaded;
  for (size_t p = 0; p < ids_.size(); ++p) {
    if (isWanted(ids_[p])) loaded.push_back(int(p));
  }
  if (loaded.empty()) return -1;
  const auto isLoaded = among(loaded);
  for (int row = 0; row < rowCount(); ++row) {
    if (isLoaded(order_[size_t(row)])) return row;
  }
  return -1;
}

DVDListModel::SortRanks DVDListModel::LoanRanks(int column) const {
  const DVDField field = ShownFields()[size_t(column)];
  // The runs are read from the file's order: they fit the rows only while the rows are that
  // order as it still stands.
  if (!(CurrentInventoryMark(collection_) == loadMark_)) return {};
  std::vector<LoanRun> runs;
  if (!ReadLoanRuns(collection_, runs)) return {};
  size_t total = 0;
  for (const LoanRun& run : runs) total += size_t(run.count);
  if (total != ids_.size()) return {};

  const QDate today = seams::Today();
  ShortDateTexts dates;
  DistinctTexts texts;
  // Each run's cells from one DVD of it, read with the same rules as a shown row.
  std::unordered_map<qint64, size_t> runOf;
  std::vector<qint64> samples;
  for (size_t r = 0; r < runs.size(); ++r) {
    runOf.emplace(runs[r].dvd, r);
    samples.push_back(runs[r].dvd);
  }
  std::vector<int> runText(runs.size(), -1);
  std::vector<bool> runLent(runs.size(), false);
  ReadDVDsById(collection_, samples, {field}, [&](qint64 id, const DVDRecord& dvd) {
    const auto at = runOf.find(id);
    if (at == runOf.end()) return;
    const DVDRowState state = RowState(dvd, today);
    runText[at->second] = texts.IndexOf(ListCellText(dvd, field, state, statusStyle_, dates));
    runLent[at->second] = state.lent;
  });
  if (std::find(runText.begin(), runText.end(), -1) != runText.end()) return {};

  std::vector<int> textOf(ids_.size(), -1);
  size_t first = 0;
  for (size_t r = 0; r < runs.size(); ++r) {
    const size_t end = first + size_t(runs[r].count);
    if (field == DVDField::DueDate && runLent[r]) {
      // A lent DVD's own loan date decides whether its due date shows.
      const std::vector<qint64> run(ids_.begin() + qsizetype(first), ids_.begin() + qsizetype(end));
      std::unordered_map<qint64, size_t> position;
      for (size_t p = first; p < end; ++p) position.emplace(ids_[p], p);
      ReadDVDsById(collection_, run, {field}, [&](qint64 id, const DVDRecord& dvd) {
        const auto at = position.find(id);
        if (at == position.end()) return;
        textOf[at->second] =
            texts.IndexOf(ListCellText(dvd, field, RowState(dvd, today), statusStyle_, dates));
      });
    } else {
      std::fill(textOf.begin() + qsizetype(first), textOf.begin() + qsizetype(end), runText[r]);
    }
    first = end;
  }
  if (std::find(textOf.begin(), textOf.end(), -1) != textOf.end()) return {};
  SortRanks ranks{column, std::vector<int>(ids_.size()), false, {}, today, statusStyle_};
  const std::vector<int> rankOfText = RankTexts(texts.All(), &ranks.texts);
  for (size_t p = 0; p < ids_.size(); ++p) ranks.ranks[p] = rankOfText[size_t(textOf[p])];
  return ranks;
}

DVDListModel::SortRanks DVDListModel::KeptRanks(int column) const {
  if (!wholeList_) return {};
  const DVDField field = ShownFields()[size_t(column)];
  if (field == DVDField::Status || field == DVDField::DueDate) {
    try {
      return LoanRanks(column);
    } catch (const DatabaseError& error) {
      ErrorFunctions::LogError(error.Description());
      return {};
    }
  }
  // Only the groups of equal texts are taken from the file: the sort keeps each group in the
  // load order, as it does for texts read.
  std::optional<SortedIds> sorted;
  try {
    sorted = ReadSortedIds(collection_, field, ids_.size());
  } catch (const DatabaseError& error) {
    ErrorFunctions::LogError(error.Description());
  }
  // A DVD written since the rows were read: the texts are read instead.
  if (!sorted || sorted->ids.size() != ids_.size()) return {};
  // The rows come in key order, scattered over the load order: each look-up is asked of memory
  // some rows ahead of its use, so that the waits overlap instead of adding up.
  constexpr size_t kAhead = 16;
  const LoadPositions positions(ids_);
  const std::vector<qint64>& ids = sorted->ids;
  std::vector<int> at(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i + kAhead < ids.size()) positions.Prefetch(ids[i + kAhead]);
    at[i] = positions.Of(ids[i]);
    if (at[i] < 0) return {};
  }
  std::vector<int> ranks(ids_.size(), -1);
  int rank = -1;
  for (size_t i = 0; i < at.size(); ++i) {
    if (i + kAhead < at.size()) __builtin_prefetch(&ranks[size_t(at[i + kAhead])], 1);
    if (!sorted->sameText[i]) ++rank;
    if (ranks[size_t(at[i])] >= 0) return {};
    ranks[size_t(at[i])] = std::max(rank, 0);
  }
  return {column, std::move(ranks), true, {}, {}, {}};
}

DVDListModel::SortRanks DVDListModel::Ranks(int column) const {
  if (SortRanks kept = KeptRanks(column); !kept.ranks.empty()) return kept;
  const LoadPositions positions(ids_);

  // Each distinct text gets its collation key once; the rows are then sorted on the rank of
  // their text, which is cheap to compare.
  const DVDField field = ShownFields()[size_t(column)];
  const QDate today = seams::Today();
  ShortDateTexts dates;
  DistinctTexts texts;
  std::vector<int> textOf(ids_.size(), -1);
  ReadAllDVDs(collection_, {field}, [&](qint64 id, const DVDRecord& dvd) {
    const int position = positions.Of(id);
    if (position < 0) return;
    textOf[size_t(position)] =
        texts.IndexOf(ListCellText(dvd, field, RowState(dvd, today), statusStyle_, dates));
  });
  const int none = texts.IndexOf(QString());  // a DVD gone since the list was read
  for (int& text : textOf) {
    if (text < 0) text = none;
  }

  SortRanks ranks{column, std::vector<int>(ids_.size()), false, {}, today, statusStyle_};
  const std::vector<int> rankOfText = RankTexts(texts.All(), &ranks.texts);
  for (size_t p = 0; p < ids_.size(); ++p) ranks.ranks[p] = rankOfText[size_t(textOf[p])];
  return ranks;
}

void DVDListModel::SortBy(int column, Qt::SortOrder order) {
  if (column < 0 || column >= int(columns_.size())) return;
  if (!sortRanks_ || sortRanks_->column != column) sortRanks_ = Ranks(column);
  const std::vector<int>& ranks = sortRanks_->ranks;

  // A counting sort on the ranks: ties keep the load order, so the result does not depend on
  // earlier sorts.
  const int rankCount = ranks.empty() ? 0 : *std::max_element(ranks.begin(), ranks.end()) + 1;
  std::vector<int> start(size_t(rankCount) + 1, 0);
  for (const int rank : ranks) {
    const int slot = order == Qt::AscendingOrder ? rank : rankCount - 1 - rank;
    ++start[size_t(slot) + 1];
  }
  std::partial_sum(start.begin(), start.end(), start.begin());
  std::vector<int> sorted(ids_.size());
  for (size_t loaded = 0; loaded < ranks.size(); ++loaded) {
    const int rank = ranks[loaded];
    const int slot = order == Qt::AscendingOrder ? rank : rankCount - 1 - rank;
    sorted[size_t(start[size_t(slot)]++)] = int(loaded);
  }

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<int> shownAt(sorted.size());  // loaded row -> new shown row
  for (size_t i = 0; i < sorted.size(); ++i) shownAt[size_t(sorted[i])] = int(i);
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& index : before) {
    const int loaded = order_[size_t(index.row())];
    after.append(this->index(shownAt[size_t(loaded)], index.column()));
  }
  order_ = std::move(sorted);
  sortedBy_ = DVDListSort{column, order};
  Forget();
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DVDListModel::sort(int column, Qt::SortOrder order) { SortBy(column, order); }

int DVDListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(order_.size());
}

int DVDListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DVDListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.model() != this || index.row() >= rowCount() ||
      index.column() >= columnCount())
    return {};
  switch (role) {
    case Qt::DisplayRole: {
      const Row& row = RowAt(index.row());
      return size_t(index.column()) < row.cells.size() ? row.cells[size_t(index.column())]
                                                       : QString();
    }
    case Qt::DecorationRole:
      if (index.column() != 0) return {};
      return icons_[RowAt(index.row()).icon - 1];
    case Qt::FontRole:
      return RowAt(index.row()).overdue ? QVariant(bold_) : QVariant();
    case TitleRole:
      return RowAt(index.row()).title;
    case IconIndexRole:
      return int(RowAt(index.row()).icon);
    case OverdueRole:
      return RowAt(index.row()).overdue;
    default:
      return {};
  }
}

QModelIndexList DVDListModel::match(const QModelIndex& start, int role, const QVariant& value,
                                    int hits, Qt::MatchFlags flags) const {
  const QString text = value.toString();
  if (role != Qt::DisplayRole || start.column() != 0 || start.parent().isValid() ||
      (flags & Qt::MatchTypeMask) != Qt::MatchStartsWith || (flags & Qt::MatchCaseSensitive) ||
      text.isEmpty() || ids_.empty()) {
    return QAbstractTableModel::match(start, role, value, hits, flags);
  }
  std::vector<qint64> wanted;
  try {
    wanted = IdsOfTitlesStartingWith(collection_, text);
  } catch (const DatabaseError& error) {
    ErrorFunctions::LogError(error.Description());
    return {};
  }
  if (wanted.empty()) return {};
  // The found DVDs marked by rowid (rowids are mostly dense), then the shown order walked once
  // from the start row.
  const qint64 maxId = *std::max_element(ids_.begin(), ids_.end());
  const bool dense = maxId <= qint64(ids_.size()) * 4 + 4096;
  std::vector<bool> marked(dense ? size_t(std::max<qint64>(maxId, 0)) + 1 : 0, false);
  const std::unordered_set<qint64> sparse =
      dense ? std::unordered_set<qint64>()
            : std::unordered_set<qint64>(wanted.begin(), wanted.end());
  for (const qint64 id : wanted) {
    if (dense && id >= 0 && id <= maxId) marked[size_t(id)] = true;
  }
  auto isMarked = [&](qint64 id) {
    return dense ? id >= 0 && id <= maxId && marked[size_t(id)] : sparse.count(id) > 0;
  };
  QModelIndexList found;
  const int rows = rowCount();
  const int from = std::clamp(start.row(), 0, rows);
  const int span = flags & Qt::MatchWrap ? rows : rows - from;
  for (int step = 0; step < span; ++step) {
    const int row = (from + step) % rows;
    const qint64 id = ids_[size_t(order_[size_t(row)])];
    if (!isMarked(id)) continue;
    found.append(index(row, 0));
    if (hits != -1 && found.size() >= hits) break;
  }
  return found;
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
