#include "ui/common/DVDListView.h"

#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <memory>
#include <numeric>

#include "app/Collection.h"
#include "inventory/InventoryRecords.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/Twips.h"

namespace {

const QString kListName = QStringLiteral("DVDList");

// A width no screen needs; a stored width beyond it is damage, not a wish.
constexpr int kWidestColumn = 20000;

// Moves of the current row made by the list itself are not the user's clicks.
class Quiet {
 public:
  explicit Quiet(int& counter) : counter_(counter) { ++counter_; }
  ~Quiet() { --counter_; }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  int& counter_;
};

}  // namespace

DVDListView::DVDListView(Collection& collection, QWidget* parent)
    : QTreeView(parent), collection_(collection), model_(new DVDListModel(collection, this)) {
  setObjectName(kListName);
  setModel(model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);  // the list sorts through SortListByColumn, not Qt's own cycle

  QHeaderView* columns = header();
  columns->setSectionsMovable(true);
  columns->setFirstSectionMovable(true);
  columns->setSectionsClickable(true);
  columns->setStretchLastSection(false);
  columns->setSortIndicatorShown(false);
  connect(columns, &QHeaderView::sectionClicked, this,
          [this](int logical) { SortListByColumn(this, logical); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    // A click below the last row, or a key that empties the selection: nothing is selected any
    // more, and no row may stay current, or the next arrow key would start from it.
    if (quiet_ > 0 || selectionModel()->hasSelection()) return;
    ForgetCurrentRow();
    emit SelectionCleared();
  });
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (quiet_ == 0 && current.isValid()) {
              clickPending_ = true;
              // A mouse press moves the current row before it selects it: the click is told
              // once the press is over, when the selection shows the clicked row too.
              if (!inMousePress_) EmitPendingClick();
            }
          });
}

DVDListView::~DVDListView() = default;

DVDListModel* DVDListView::Model() const { return model_; }

namespace {

int TypicalCharacters(const QString& key) {
  static const QHash<QString, int> widths = {
      {QStringLiteral("DVDTitle"), 34},   {QStringLiteral("Category"), 15},
      {QStringLiteral("Starring"), 26},   {QStringLiteral("Rated"), 7},
      {QStringLiteral("Status"), 10},     {QStringLiteral("DueDate"), 11},
      {QStringLiteral("Date"), 11},       {QStringLiteral("Name"), 18},
      {QStringLiteral("Description"), 40}};
  return widths.value(key, 14);
}

}  // namespace

void DVDListView::LoadListColumns() {
  std::vector<DVDListColumn> shown;
  for (const InventoryFunctions::ListColumn& column :
       InventoryFunctions::ListColumns(collection_)) {
    shown.push_back({column.key, column.caption});
  }
  model_->SetColumns(std::move(shown));
  // Widths a first run starts with, sized to what each column usually holds; a saved layout
  // replaces them.
  const int character = fontMetrics().horizontalAdvance(QLatin1Char('n'));
  const auto& columns = model_->Columns();
  for (int i = 0; i < int(columns.size()); ++i) {
    header()->resizeSection(i, character * TypicalCharacters(columns[size_t(i)].key) + 16);
  }
  ShowSortIndicator();
}

void DVDListView::Reload(const InventoryFunctions::DVDQuery& query) {
  const Quiet quiet(quiet_);
  model_->Refresh(query, sorted_ ? std::optional(DVDListSort{sortKey_, sortOrder_}) : std::nullopt);
}

QString DVDListView::SelectedTitle() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.isEmpty()) return QString(u""_qs);
  return model_->TitleAt(rows.first().row());
}

void DVDListView::SelectTitle(const QString& title) {
  if (model_->rowCount() == 0) return;
  const int row = model_->FindTitle(title);
  if (row < 0) return;
  const Quiet quiet(quiet_);
  const QModelIndex index = model_->index(row, 0);
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
}

bool DVDListView::Sorted() const { return sorted_; }

int DVDListView::SortKey() const { return sortKey_; }

Qt::SortOrder DVDListView::SortOrder() const { return sortOrder_; }

void DVDListView::SetSort(bool sorted, int key, Qt::SortOrder order) {
  sorted_ = sorted;
  sortKey_ = key;
  sortOrder_ = order;
  ShowSortIndicator();
  if (!sorted_) return;
  const Quiet quiet(quiet_);
  model_->SortBy(sortKey_, sortOrder_);
  if (currentIndex().isValid()) scrollTo(currentIndex());
}

void DVDListView::ShowSortIndicator() {
  const bool shown = sorted_ && sortKey_ >= 0 && sortKey_ < model_->columnCount();
  header()->setSortIndicatorShown(shown);
  header()->setSortIndicator(shown ? sortKey_ : -1, sortOrder_);
}

ListLayout DVDListView::CurrentLayout() const {
  ListLayout layout;
  const auto& columns = model_->Columns();
  for (int i = 0; i < int(columns.size()); ++i) {
    ListColumnLayout column;
    column.key = columns[size_t(i)].key;
    column.caption = columns[size_t(i)].caption;
    column.width = float(PixelsToTwips(header()->sectionSize(i), this));
    column.position = qint16(header()->visualIndex(i) + 1);
    layout.columns.push_back(column);
  }
  layout.sorted = sorted_;
  layout.sortKey = qint16(sortKey_);
  layout.sortOrder = sortOrder_ == Qt::DescendingOrder ? 1 : 0;
  return layout;
}

void DVDListView::ApplyLayout(const ListLayout& layout) {
  // Columns that stay keep their keys (the stored layout has none); columns the layout adds show
  // nothing until a column build gives them a key.
  const auto& current = model_->Columns();
  std::vector<DVDListColumn> columns;
  for (size_t i = 0; i < layout.columns.size(); ++i) {
    const QString& key = i < current.size() ? current[i].key : layout.columns[i].key;
    columns.push_back({key, layout.columns[i].caption});
  }
  model_->SetColumns(std::move(columns));

  QHeaderView* sections = header();
  const int count = int(layout.columns.size());
  for (int i = 0; i < count; ++i) {
    const int px = TwipsToPixels(layout.columns[size_t(i)].width, this);
    sections->resizeSection(i, std::clamp(px, 0, kWidestColumn));
  }
  // Stored positions may repeat or leave gaps (a hand-edited row); the columns are shown in the
  // order of their positions, ties by their own order.
  std::vector<int> byPosition(static_cast<size_t>(count));
  std::iota(byPosition.begin(), byPosition.end(), 0);
  std::stable_sort(byPosition.begin(), byPosition.end(), [&](int a, int b) {
    return layout.columns[size_t(a)].position < layout.columns[size_t(b)].position;
  });
  for (int visual = 0; visual < count; ++visual) {
    sections->moveSection(sections->visualIndex(byPosition[size_t(visual)]), visual);
  }
  SetSort(layout.sorted, layout.sortKey,
          layout.sortOrder == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void DVDListView::SaveListLayout(const QString& qualifier) {
  SettingsManager::SaveListLayout(collection_, kListName, qualifier, CurrentLayout());
}

void DVDListView::LoadListLayout(const QString& qualifier, float minimumWidthTwips) {
  ListLayout layout = CurrentLayout();
  SettingsManager::LoadListLayout(collection_, kListName, qualifier, layout, minimumWidthTwips);
  ApplyLayout(layout);
}

void DVDListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // Taken here, so that a dialog holding the list does not also press its default button.
    event->accept();
    emit EnterPressed();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void DVDListView::EmitPendingClick() {
  if (!clickPending_) return;
  clickPending_ = false;
  emit ItemClicked();
}

void DVDListView::mousePressEvent(QMouseEvent* event) {
  // The row under the pointer becomes current first, so the command acts on what was clicked.
  inMousePress_ = true;
  QTreeView::mousePressEvent(event);
  inMousePress_ = false;
  EmitPendingClick();
  if (event->button() == Qt::RightButton) emit RightButtonPressed();
}

void DVDListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
    emit ItemDoubleClicked();
}

void DVDListView::focusInEvent(QFocusEvent* event) {
  // Qt makes the first row current when the list gains focus without one, but does not select
  // it; the first Down arrow would then skip it. Without a selection there is no current row.
  const Quiet quiet(quiet_);
  QTreeView::focusInEvent(event);
  if (!selectionModel()->hasSelection()) ForgetCurrentRow();
}

void DVDListView::ForgetCurrentRow() {
  if (!currentIndex().isValid()) return;
  const Quiet quiet(quiet_);
  selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void SortListByColumn(DVDListView* list, int column) {
  if (!list) return;
  if (!list->Sorted() || list->SortKey() != column) {
    list->SetSort(true, column, Qt::AscendingOrder);
  } else {
    list->SetSort(
        true, column,
        list->SortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
  }
}
