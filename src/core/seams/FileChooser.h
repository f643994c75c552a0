#pragma once

#include <QString>

namespace seams {

// Where the user picks a file to read or to write (imports, exports, backups). Tests install one
// that answers with a path of their own.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // A file to read; filter as Qt's file dialogs take it ("CSV files (*.csv)"), shown first in
  // folder (empty: the documents folder). Empty when the user cancels.
  virtual QString OpenFile(const QString& title, const QString& filter, const QString& folder) = 0;
  // A file to write, proposing proposedPath; the dialog asks before replacing a file. Empty when
  // the user cancels.
  virtual QString SaveFile(const QString& title, const QString& proposedPath,
                           const QString& filter) = 0;
};

// The chooser in use. Until the program installs the system's, every choice is cancelled.
FileChooser& CurrentFileChooser();
// nullptr goes back to choosing nothing.
void SetFileChooser(FileChooser* chooser);

}  // namespace seams
