#pragma once

class QWidget;

// The collection menu's backup commands: a copy of the collection to a file the user picks, and
// a backup put back in the collection's place after the user has seen what it holds.
namespace BackupCommands {

void BackUp(QWidget* window);
void Restore(QWidget* window);

}  // namespace BackupCommands
