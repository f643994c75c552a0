#pragma once

class Collection;
class QWidget;

// The collection menu's backup commands: a copy of the collection to a file the user picks, and
// a backup put back in the collection's place after the user has seen what it holds.
namespace BackupCommands {

void BackUp(Collection& collection, QWidget* window);
void Restore(Collection& collection, QWidget* window);

}  // namespace BackupCommands
