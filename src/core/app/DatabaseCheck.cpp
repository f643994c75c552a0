#include "app/DatabaseCheck.h"

#include <sqlite3.h>

#include "app/DatabaseError.h"
#include "data/Database.h"

namespace AppFunctions {
namespace {

int CollectLine(void* lines, int columns, char** values, char**) {
  if (columns > 0 && values[0]) {
    static_cast<QStringList*>(lines)->append(QString::fromUtf8(values[0]));
  }
  return 0;
}

// Damage so bad that the check itself cannot read the file is a finding too.
bool IsDamage(int code) {
  const int primary = code & 0xff;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

}  // namespace

QuickCheck::QuickCheck(QString path) : path_(std::move(path)) {}

QuickCheck::Result QuickCheck::Run() {
  Result result;
  int rc = SQLITE_OK;
  QStringList lines;
  try {
    const DatabaseHandle db = Database::Open(path_);
    db->StopWhen(&cancelled_);
    if (!cancelled_)
      rc = sqlite3_exec(db->Handle(), "PRAGMA quick_check", &CollectLine, &lines, nullptr);
  } catch (const DatabaseError& error) {
    // Not readable now (another program holds it, or it went away): nothing can be said.
    if (!IsDamage(error.EngineCode())) return result;
    rc = error.Number();
  }
  if (cancelled_) return result;
  if (IsDamage(rc)) {
    result.completed = true;
    result.faults = QStringList{QString::fromUtf8(sqlite3_errstr(rc))};
  } else if (rc == SQLITE_OK) {
    result.completed = true;
    if (lines != QStringList{QStringLiteral("ok")}) {
      // Findings come under a heading per attached database; only the findings tell anything.
      for (const QString& line : lines) {
        if (!line.startsWith(QStringLiteral("*** "))) result.faults << line;
      }
      if (result.faults.isEmpty()) result.faults = lines;
    }
  }
  return result;
}

}  // namespace AppFunctions
