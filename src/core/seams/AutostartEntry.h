#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace seams {

// The entry that starts the program when the user logs on (the overdue check). The About window
// reaches it through this interface; the desktop's own kind of entry is the platform's, and
// tests install their own.
class AutostartEntry {
 public:
  virtual ~AutostartEntry() = default;
  // The command the entry runs, program first and then its arguments; nullopt when there is no
  // entry or it is switched off. An entry without a command gives an empty list.
  virtual std::optional<QStringList> ReadCommand() = 0;
  // Creates or replaces the entry so that it runs the program with these arguments. Empty when
  // written, else what went wrong, naming the entry.
  virtual QString Write(const QString& program, const QStringList& arguments) = 0;
  // Removes the entry; a missing entry is no error, and a failure is not reported.
  virtual void Remove() = 0;
};

// The entry in use. Until the program installs the desktop's, there is none and none can be
// written.
AutostartEntry& CurrentAutostartEntry();
// nullptr goes back to none.
void SetAutostartEntry(AutostartEntry* entry);

}  // namespace seams
