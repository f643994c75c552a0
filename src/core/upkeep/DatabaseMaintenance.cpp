#include "upkeep/DatabaseMaintenance.h"

#include "app/ChangeNotice.h"
#include "app/Constants.h"
#include "app/ErrorFunctions.h"
#include "data/DatabaseFunctions.h"
#include "inventory/ChoiceLists.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/ListOrder.h"
#include "phonebook/CustomerFunctions.h"
#include "seams/MessageBox.h"
#include "settings/SettingsManager.h"
#include "upkeep/CollectionBackups.h"

namespace DatabaseMaintenance {
namespace {

std::function<void()> beforeReplacing;

// The file of the shared database (the last one opened, when none is open now).
QString DatabaseFile() {
  const DatabaseHandle db = DatabaseFunctions::GetDatabase();
  return db ? db->Name() : DatabaseFunctions::GetDatabasePath();
}

// The copy the user can go back to should the clean-up lose what it should have kept. Cleaning up
// can wait while a copy cannot be made, so the user decides, and No (the default, and Escape)
// changes nothing.
bool BackedUpOrAgreed(CleanUpResult& result) {
  try {
    result.backup = CollectionBackups::BackUpAutomatically();
    return true;
  } catch (const DatabaseError& error) {
    ErrorFunctions::LogError(QStringLiteral("The automatic backup before a clean-up failed: %1 "
                                            "(error %2)")
                                 .arg(error.Description())
                                 .arg(error.Number()));
    const QString& crlf = Constants::kCrLf;
    return seams::ShowMessage(
               QStringLiteral("The automatic backup of the database could not be made in '%1': "
                              "%2 (error %3).")
                       .arg(CollectionBackups::BackupFolder(), error.Description())
                       .arg(error.Number()) +
                   crlf + crlf +
                   QStringLiteral("Clean up the database without a backup? No leaves the "
                                  "database as it is."),
               Constants::kAppTitle, seams::MsgIcon::Exclamation, seams::MsgButtons::YesNo,
               seams::MsgAnswer::No) == seams::MsgAnswer::Yes;
  }
}

}  // namespace

void InitTablesOn(const DatabaseHandle& db) {
  Transaction transaction(db);
  SettingsManager::InitSettings(db);
  InventoryFunctions::InitInventory(db);
  CustomerFunctions::InitCustomers(db);
  transaction.Commit();
}

void SetBeforeReplacing(std::function<void()> stop) { beforeReplacing = std::move(stop); }

void StopBeforeReplacing() {
  if (beforeReplacing) beforeReplacing();
}

void Reopen(const QString& path) {
  InitTablesOn(DatabaseFunctions::OpenSharedDatabase(path));
  Changes::AnnounceEverything();
}

CleanUpResult CleanUpDatabase(seams::ProgressSink* progress,
                              const std::function<void(bool)>& busy) {
  CleanUpResult result;
  result.path = DatabaseFile();
  if (!BackedUpOrAgreed(result)) {
    result.declined = true;
    return result;
  }
  // The clean-up renames and replaces the file; no other connection of ours may be reading it.
  StopBeforeReplacing();
  const DatabaseHandle db = DatabaseFunctions::GetDatabase();
  try {
    result.cleaned = DatabaseFunctions::CleanDatabase(db, {progress, busy});
  } catch (const DatabaseError& error) {
    result.failure = error;
  }
  InitTablesOn(DatabaseFunctions::OpenSharedDatabase(result.path));
  // A salvaged file may keep places of rows that are gone; they are worked out afresh before
  // anyone reads the list again.
  if (result.failure == std::nullopt) {
    InventoryFunctions::RebuildListOrder(DatabaseFunctions::GetDatabase());
    ChoiceLists::RebuildChoiceKeys(DatabaseFunctions::GetDatabase());
  }
  Changes::AnnounceEverything();
  return result;
}

}  // namespace DatabaseMaintenance
