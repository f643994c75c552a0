#include "upkeep/DatabaseMaintenance.h"

#include "app/ChangeNotice.h"
#include "data/DatabaseFunctions.h"
#include "inventory/ChoiceLists.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/ListOrder.h"
#include "phonebook/CustomerFunctions.h"
#include "settings/SettingsManager.h"

namespace DatabaseMaintenance {
namespace {

// The file of the shared database (the last one opened, when none is open now).
QString DatabaseFile() {
  const DatabaseHandle db = DatabaseFunctions::GetDatabase();
  return db ? db->Name() : DatabaseFunctions::GetDatabasePath();
}

}  // namespace

void InitTablesOn(const DatabaseHandle& db) {
  Transaction transaction(db);
  SettingsManager::InitSettings(db);
  InventoryFunctions::InitInventory(db);
  CustomerFunctions::InitCustomers(db);
  transaction.Commit();
}

void Reopen(const QString& path) {
  InitTablesOn(DatabaseFunctions::OpenSharedDatabase(path));
  Changes::AnnounceEverything();
}

CleanUpResult CleanUpDatabase(seams::ProgressSink* progress,
                              const std::function<void(bool)>& busy) {
  // The clean-up renames and replaces the file; no other connection of ours may be reading it.
  ChoiceLists::StopReadingAhead();
  const DatabaseHandle db = DatabaseFunctions::GetDatabase();
  CleanUpResult result;
  result.path = DatabaseFile();
  try {
    result.cleaned = DatabaseFunctions::CleanDatabase(db, {progress, busy});
  } catch (const DatabaseError& error) {
    result.failure = error;
  }
  InitTablesOn(DatabaseFunctions::OpenSharedDatabase(result.path));
  // A salvaged file may keep places of rows that are gone; they are worked out afresh before
  // anyone reads the list again.
  if (result.failure == std::nullopt)
    InventoryFunctions::RebuildListOrder(DatabaseFunctions::GetDatabase());
  Changes::AnnounceEverything();
  return result;
}

}  // namespace DatabaseMaintenance
