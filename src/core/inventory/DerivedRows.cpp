#include "inventory/DerivedRows.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "app/DatabaseError.h"
#include "data/Database.h"
#include "data/DatabaseFunctions.h"
#include "data/Statement.h"

namespace DerivedRows {
namespace {

QString Trigger(const Kind& kind, const char* event) {
  return kind.notes + QStringLiteral("On") + QLatin1String(event);
}

RebuildProgress* shownIn = nullptr;

// Rows inserted per statement: small enough that the progress moves and Cancel is heard within a
// fraction of a second, large enough that the statements cost nothing of their own.
constexpr qint64 kSlice = 20000;
// A DVD's rows count 2 units; making one index costs a quarter of that a DVD (timed at 100,000
// DVDs, seven indexes over one table about one and a half times its rows).
constexpr qint64 kIndexWeight = 2;

class Steps {
 public:
  Steps(const DatabaseHandle& db, const QString& source, size_t indexes) {
    // Told first from the highest rowid, which costs nothing, so that a bar can show before the
    // rows are counted (a pass over the whole table).
    if (shownIn) {
      shownIn->Begin(
          db->QueryNumber(QStringLiteral("SELECT coalesce(max(rowid), 0) FROM Inventory"), source));
    }
    dvds_ = db->QueryNumber(QStringLiteral("SELECT count(*) FROM Inventory"), source);
    total_ = dvds_ * 2 + qint64(indexes) * dvds_ / kIndexWeight;
  }
  qint64 Dvds() const { return dvds_; }
  void Advance(qint64 units) {
    done_ += units;
    if (shownIn && !shownIn->Advance(std::min(done_, total_), total_)) throw Stopped{};
  }

 private:
  qint64 dvds_ = 0;
  qint64 total_ = 0;
  qint64 done_ = 0;
};

}  // namespace

void ShowRebuildsIn(RebuildProgress* progress) { shownIn = progress; }

Index IndexOn(const QString& table, const QString& name, const QString& column) {
  return {name,
          QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)").arg(name, table, column)};
}

bool InSchema(Database& db, const QString& type, const QString& name) {
  Statement found = db.PrepareRaw(
      QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = ?1 AND name = ?2 "
                     "COLLATE BINARY"),
      QStringLiteral("DerivedRows"));
  found.BindText(1, type);
  found.BindText(2, name);
  return found.Number() > 0;
}

bool KeptBefore(Database& db, const Kind& kind) {
  if (!InSchema(db, QStringLiteral("table"), kind.table)) return false;
  for (const char* event : {"Insert", "Update", "Delete"}) {
    if (!InSchema(db, QStringLiteral("trigger"), Trigger(kind, event))) return false;
  }
  return true;
}

void KeepNotes(Database& db, const Kind& kind) {
  db.ExecuteRaw(
      QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (DVD INTEGER PRIMARY KEY)").arg(kind.notes),
      kind.source);
  // Plain SQL, so that other programs writing the file keep the notes too.
  const QString note = QStringLiteral("INSERT OR IGNORE INTO %1 (DVD) VALUES").arg(kind.notes);
  db.ExecuteRaw(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER INSERT ON Inventory BEGIN "
                               "%2 (new.rowid); END")
                    .arg(Trigger(kind, "Insert"), note),
                kind.source);
  db.ExecuteRaw(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER UPDATE ON Inventory BEGIN "
                               "%2 (old.rowid); %2 (new.rowid); END")
                    .arg(Trigger(kind, "Update"), note),
                kind.source);
  db.ExecuteRaw(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER DELETE ON Inventory BEGIN "
                               "%2 (old.rowid); END")
                    .arg(Trigger(kind, "Delete"), note),
                kind.source);
}

bool HoldsRows(Database& db, const Kind& kind) {
  return db.QueryNumber(QStringLiteral("SELECT NOT EXISTS (SELECT 1 FROM Inventory) OR "
                                       "EXISTS (SELECT 1 FROM %1) OR EXISTS (SELECT 1 FROM %2)")
                            .arg(kind.table, kind.notes),
                        kind.source) != 0;
}

bool CatchUp(const DatabaseHandle& db, const Kind& kind) {
  if (db->QueryNumber(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(kind.notes),
                      kind.source) == 0)
    return true;
  if (db->IsReadOnly()) return false;
  try {
    // Many rows written at once (another program's import): all rows are worked out anew, which
    // costs less than finding each one.
    const qint64 noted =
        db->QueryNumber(QStringLiteral("SELECT count(*) FROM %1").arg(kind.notes), kind.source);
    if (noted > 10000 &&
        noted > db->QueryNumber(QStringLiteral("SELECT count(*) FROM %1").arg(kind.table),
                                kind.source) /
                    8) {
      kind.rebuild(db);
      return true;
    }
    Transaction transaction(db);
    db->ExecuteRaw(QStringLiteral("DELETE FROM %1 WHERE %2 IN (SELECT DVD FROM %3)")
                       .arg(kind.table, kind.key, kind.notes),
                   kind.source);
    db->ExecuteRaw(QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM Inventory "
                                  "WHERE Inventory.rowid IN (SELECT DVD FROM %4)")
                       .arg(kind.table, kind.columns, kind.values, kind.notes),
                   kind.source);
    db->ExecuteRaw(QStringLiteral("DELETE FROM %1").arg(kind.notes), kind.source);
    transaction.Commit();
    return true;
  } catch (const DatabaseError&) {
    // Busy or read-only for now: the caller still reads right, only more slowly.
    return false;
  }
}

void MakeReady(const DatabaseHandle& db, const Kind& kind, bool kept) {
  if (!kept) {
    kind.rebuild(db);
  } else {
    CatchUp(db, kind);
  }
}

void Rebuild(const DatabaseHandle& db, const Kind& kind, const std::vector<Index>& indexes) {
  Transaction transaction(db);
  Steps steps(db, kind.source, indexes.size());
  const qint64 dvds = steps.Dvds();
  for (const Index& index : indexes)
    db->ExecuteRaw(u"DROP INDEX IF EXISTS "_qs + index.name, kind.source);
  db->ExecuteRaw(u"DELETE FROM "_qs + kind.table, kind.source);
  db->ExecuteRaw(u"DELETE FROM "_qs + kind.notes, kind.source);
  steps.Advance(0);
  // A slice at a time in rowid order, each ending at the rowid found in Inventory itself: asking
  // the derived table for the last one it holds would read a whole full-text index.
  const QString insert = QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM Inventory WHERE ")
                             .arg(kind.table, kind.columns, kind.values);
  constexpr qint64 kLast = std::numeric_limits<qint64>::max();
  for (std::optional<qint64> after; after != kLast;) {
    const QString from =
        after ? QStringLiteral("Inventory.rowid > %1").arg(*after) : QStringLiteral("1");
    const qint64 upto = db->QueryNumber(
        QStringLiteral("SELECT coalesce((SELECT rowid FROM Inventory WHERE %1 ORDER BY rowid "
                       "LIMIT 1 OFFSET %2), %3)")
            .arg(from, QString::number(kSlice - 1), QString::number(kLast)),
        kind.source);
    db->ExecuteRaw(insert + from + QStringLiteral(" AND Inventory.rowid <= %1").arg(upto),
                   kind.source);
    steps.Advance(kSlice * 2);
    after = upto;
  }
  for (const Index& index : indexes) {
    db->ExecuteRaw(index.create, kind.source);
    steps.Advance(dvds / kIndexWeight);
  }
  transaction.Commit();
}

}  // namespace DerivedRows
