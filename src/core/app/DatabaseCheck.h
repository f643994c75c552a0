#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <utility>
#include <vector>

// SQLite's quick check of the database file, on a connection of its own so that it can run on a
// worker thread while the program goes on. Some damage (a free page beyond the end of the file,
// bad bytes in a page header) lets the program start and shows only at a later write; the check
// finds it first.
namespace AppFunctions {

class QuickCheck {
 public:
  explicit QuickCheck(QString path);

  struct Result {
    bool completed = false;  // false: cancelled, or the file could not be read (busy, gone)
    QStringList faults;      // what the check found; empty when the file is sound
  };

  // Runs the check on the calling thread.
  Result Run();
  // Stops a running check soon; callable from any thread.
  void Cancel() { cancelled_ = true; }

 private:
  QString path_;
  std::atomic<bool> cancelled_{false};
};

// How many rows each table of the file holds, in the order the tables were made: what a salvage
// kept. Throws DatabaseError when the file cannot be read.
std::vector<std::pair<QString, qint64>> TableRows(const QString& path);

}  // namespace AppFunctions
