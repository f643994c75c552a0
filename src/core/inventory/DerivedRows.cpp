#include "inventory/DerivedRows.h"

#include "app/DatabaseError.h"
#include "data/Database.h"
#include "data/DatabaseFunctions.h"
#include "data/Statement.h"

namespace DerivedRows {
namespace {

QString Trigger(const Kind& kind, const char* event) {
  return kind.notes + QStringLiteral("On") + QLatin1String(event);
}

}  // namespace

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

}  // namespace DerivedRows
