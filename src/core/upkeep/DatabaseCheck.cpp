#include "upkeep/DatabaseCheck.h"

#include <sqlite3.h>

#include "app/DatabaseError.h"
#include "data/Database.h"

namespace DatabaseMaintenance {
namespace {

// Damage so bad that the check itself cannot read the file is a finding too.
bool IsDamage(int code) {
  const int primary = code & 0xff;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

}  // namespace

QuickCheck::QuickCheck(QString path) : path_(std::move(path)) {}

QuickCheck::Result QuickCheck::Run() {
  Result result;
  QStringList lines;
  try {
    const DatabaseHandle db = Database::Open(path_);
    db->StopWhen(&cancelled_);
    if (cancelled_) return result;
    // One pass over every page, each read once: a large cache would only hold the whole file
    // beside the window's own cache for as long as the check runs.
    db->ExecuteRaw(QStringLiteral("PRAGMA cache_size=-2048"), QStringLiteral("QuickCheck"));
    Statement check =
        db->PrepareRaw(QStringLiteral("PRAGMA quick_check"), QStringLiteral("QuickCheck"));
    while (check.Step()) lines << check.Text(0);
  } catch (const DatabaseError& error) {
    // Not readable now (another program holds it, or it went away): nothing can be said.
    if (cancelled_ || !IsDamage(error.EngineCode())) return result;
    result.completed = true;
    result.faults = QStringList{error.Description()};
    return result;
  }
  if (cancelled_) return result;
  result.completed = true;
  if (lines != QStringList{QStringLiteral("ok")}) {
    // Findings come under a heading per attached database; only the findings tell anything.
    for (const QString& line : lines) {
      if (!line.startsWith(QStringLiteral("*** "))) result.faults << line;
    }
    if (result.faults.isEmpty()) result.faults = lines;
  }
  return result;
}

}  // namespace DatabaseMaintenance
