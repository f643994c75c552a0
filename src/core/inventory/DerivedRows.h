#pragma once

#include <QString>
#include <vector>

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

// Shows how far a rebuild has come: a large collection's rows take a while to work out (tens of
// seconds at a million DVDs), and the program must not look hung meanwhile.
class RebuildProgress {
 public:
  virtual ~RebuildProgress() = default;
  // A rebuild over about `dvds` DVDs starts.
  virtual void Begin(qint64 dvds) = 0;
  // `done` of `total` is worked out. False stops the rebuild: it throws Stopped, and its
  // transaction leaves the file as it was.
  virtual bool Advance(qint64 done, qint64 total) = 0;
};
// What a rebuild stopped through its progress throws. Not a DatabaseError, so that no caller
// takes it for a busy file and carries on without the rows.
struct Stopped {};
// Every rebuild from now on reports to `progress` (none: to nobody). Not owned.
void ShowRebuildsIn(RebuildProgress* progress);

// An index of a derived table and the statement that makes it.
struct Index {
  QString name;
  QString create;
};
// A plain index `name` of `table` on `column`.
Index IndexOn(const QString& table, const QString& name, const QString& column);

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
// On opening the file: every row worked out again when the derived rows were not `kept`, the
// noted rows caught up otherwise, so that the long work happens before any window reads them.
void MakeReady(const DatabaseHandle& db, const Kind& kind, bool kept);
// Works every DVD's derived rows out again, in one transaction, telling the progress as it goes:
// the indexes are dropped, the rows inserted a slice at a time, the indexes made again (sorting
// each once instead of growing it row by row).
void Rebuild(const DatabaseHandle& db, const Kind& kind, const std::vector<Index>& indexes);

}  // namespace DerivedRows
