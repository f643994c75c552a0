#pragma once

#include <QString>
#include <QStringList>
#include <atomic>

// SQLite's quick check of the database file, on a connection of its own so that it can run on a
// worker thread while the program goes on. Some damage (a free page beyond the end of the file,
// bad bytes in a page header) lets the program start and shows only at a later write; the check
// finds it first.
namespace DatabaseMaintenance {

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

}  // namespace DatabaseMaintenance
