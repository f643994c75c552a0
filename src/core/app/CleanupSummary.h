#pragma once

#include <QString>
#include <vector>

// What a clean-up did, for telling the user: the engine fills it, the upkeep hands it on.
struct TableRows {
  QString table;
  qint64 rows = 0;
};

struct CleanupSummary {
  bool salvaged = false;  // the file was damaged: the rows below are those that could be read
  QString damagedFile;    // where the damaged original was kept, when salvaged
  std::vector<TableRows> tables;  // the rows each table of the cleaned file holds
};
