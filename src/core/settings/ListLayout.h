#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

class Collection;

// One column of a list as it is remembered between runs.
struct ListColumnLayout {
  QString key;
  QString caption;
  float width = 0;      // twips
  qint16 position = 0;  // display position, counted from 1
};

// A list's columns and sort state, independent of any widget: the list converts to and from it.
struct ListLayout {
  std::vector<ListColumnLayout> columns;  // in the columns' own (creation) order
  bool sorted = false;
  qint16 sortKey = 0;    // zero-based column
  qint32 sortOrder = 0;  // 0 ascending, 1 descending
};

namespace SettingsManager {

// Writes the layout under keys made of listName + qualifier and a fixed suffix, all in one
// transaction so that saving costs one flush.
void SaveListLayout(Collection& collection, const QString& listName, const QString& qualifier,
                    const ListLayout& layout);

// Reads the stored layout over `layout`, which holds the list's current state as the defaults.
// Nothing stored (a column count of 0) leaves it untouched, sort state included. Otherwise the
// columns are trimmed or extended (empty caption, width 0) to the stored count, widths below
// minimumWidth are raised to it, and the sort state is read last.
void LoadListLayout(Collection& collection, const QString& listName, const QString& qualifier,
                    ListLayout& layout, float minimumWidth);

}  // namespace SettingsManager
