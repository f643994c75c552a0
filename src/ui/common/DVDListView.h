#pragma once

#include <QString>
#include <QTreeView>

#include "settings/ListLayout.h"

class Collection;

class DVDListModel;
namespace InventoryFunctions {
class DVDQuery;
}

// The DVD list of the main window and the search dialog (objectName "DVDList"): one row per DVD,
// columns that the user can drag into another order, sorting by a header click.
class DVDListView : public QTreeView {
  Q_OBJECT

 public:
  explicit DVDListView(Collection& collection, QWidget* parent = nullptr);
  ~DVDListView() override;

  DVDListModel* Model() const;

  // Rebuilds the columns from the Inventory columns' ShowInList and VisibleName properties, in
  // the table's column order.
  void LoadListColumns();
  // Refills the rows from a query, then sorts them again when the list is sorted. The selection
  // is not kept (callers reselect by title).
  void Reload(const InventoryFunctions::DVDQuery& query);

  // The selected row's title, or empty text when no row is selected.
  QString SelectedTitle() const;
  // Selects the first row (in the shown order) with that title, letter case ignored, and scrolls
  // to it; nothing happens when there is none. Does not emit ItemClicked.
  void SelectTitle(const QString& title);

  bool Sorted() const;
  int SortKey() const;
  Qt::SortOrder SortOrder() const;
  // Turns sorting on (and sorts now) or off (the rows keep their order until the next reload).
  void SetSort(bool sorted, int key, Qt::SortOrder order);

  // Widths in twips, positions counted from 1.
  ListLayout CurrentLayout() const;
  void ApplyLayout(const ListLayout& layout);
  void SaveListLayout(const QString& qualifier);
  void LoadListLayout(const QString& qualifier, float minimumWidthTwips);

 signals:
  // The current row changed by mouse or keyboard (not by SelectTitle, Reload or a sort).
  void ItemClicked();
  void ItemDoubleClicked();
  // Return or Enter pressed in the list.
  void EnterPressed();
  // The right mouse button went down over the list (after the row under it became current).
  void RightButtonPressed();
  // The user left no row selected (a click below the last row).
  void SelectionCleared();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  Collection& collection_;
  void ShowSortIndicator();
  void ApplySort();

  DVDListModel* model_;
  bool sorted_ = false;
  int sortKey_ = 0;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
  void EmitPendingClick();
  void ForgetCurrentRow();

  bool inMousePress_ = false;
  bool clickPending_ = false;
  int quiet_ = 0;  // > 0 while the list itself moves the current row
};

// A header click: not sorted -> sorted by the column, ascending; sorted by it -> reversed;
// sorted by another -> by this one, ascending. column is zero-based (logical).
void SortListByColumn(DVDListView* list, int column);
