#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;

// The list sorts a column by its texts in dictionary order, letter case ignored and accented
// letters next to their base letters, the same whatever the process locale. A stored key whose
// byte order is that order lets an index of the program's own answer a sort.
namespace ListSortKey {

// The key of a cell's text: line breaks count as the blank the cell shows, no text as empty text.
// Equal keys for texts the list sorts as equal.
QByteArray Key(const QString& text);

// Registers the SQL function ListSortKey(text) on a connection.
void Register(sqlite3* db);

}  // namespace ListSortKey
