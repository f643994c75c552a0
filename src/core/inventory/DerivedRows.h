#pragma once

#include <QString>

#include "app/DatabaseHandle.h"

class Database;

// A table of the program's own that holds, per DVD, values worked out from Inventory (the list's
// order, the choice lists' keys, the title index). Plain-SQL triggers on Inventory note every
// written row in a notes table, whatever program writes the file; the owner catches up on the noted
// rows before it reads, and works every row out again when the notes are many or the rows were
// lost.
namespace DerivedRows {

struct Kind {
  QString table;    // the derived table, one row per DVD keyed DVD
  QString notes;    // the table of DVDs written since the last catch-up
  QString columns;  // the derived table's columns, DVD first
  QString values;   // the same, worked out from an Inventory row
  QString source;   // who is asking, for error reports
  void (*rebuild)(const DatabaseHandle& db);
  QString key = QStringLiteral("DVD");  // the derived table's column that holds the DVD's rowid
};

bool InSchema(Database& db, const QString& type, const QString& name);
// Whether the file kept the derived table and all three triggers; ask before making them.
bool KeptBefore(Database& db, const Kind& kind);
// Makes the notes table and its triggers when missing.
void KeepNotes(Database& db, const Kind& kind);
// False for a file whose DVDs have neither derived rows nor notes (salvaged: the triggers stayed,
// the rows did not).
bool HoldsRows(Database& db, const Kind& kind);
// Brings the derived rows up to date with the rows written since the last read. False when they
// cannot be (busy, or a file that may not be written): the caller then reads Inventory itself.
bool CatchUp(const DatabaseHandle& db, const Kind& kind);

}  // namespace DerivedRows
