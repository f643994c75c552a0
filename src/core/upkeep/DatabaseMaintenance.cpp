#include "upkeep/DatabaseMaintenance.h"

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "app/Constants.h"
#include "app/ErrorFunctions.h"
#include "data/DatabaseFunctions.h"
#include "inventory/ChoiceLists.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/ListOrder.h"
#include "inventory/TitleIndex.h"
#include "phonebook/CustomerFunctions.h"
#include "seams/MessageBox.h"
#include "settings/SettingsManager.h"
#include "upkeep/CollectionBackups.h"

namespace DatabaseMaintenance {
namespace {

std::function<void()> beforeReplacing;

// The copy the user can go back to should the clean-up lose what it should have kept. Cleaning up
// can wait while a copy cannot be made, so the user decides, and No (the default, and Escape)
// changes nothing.
bool BackedUpOrAgreed(Collection& collection, CleanUpResult& result) {
  try {
    result.backup = CollectionBackups::BackUpAutomatically(collection);
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
                       .arg(CollectionBackups::BackupFolder(collection), error.Description())
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

void Open(Collection& collection, const QString& path) {
  Close(collection);
  collection.Attach(nullptr, path);
  const DatabaseHandle db = DatabaseFunctions::OpenOrCreateDatabase(path, &InitTablesOn);
  InitTablesOn(db);
  collection.Attach(db, path);
}

void Close(Collection& collection) {
  if (const DatabaseHandle db = collection.Detach()) db->Close();
}

void SetBeforeReplacing(std::function<void()> stop) { beforeReplacing = std::move(stop); }

void StopBeforeReplacing() {
  if (beforeReplacing) beforeReplacing();
}

void Reopen(Collection& collection) {
  Open(collection, collection.Path());
  Changes::AnnounceEverything();
}

CleanUpResult CleanUpDatabase(Collection& collection, seams::ProgressSink* progress,
                              const std::function<void(bool)>& busy) {
  CleanUpResult result;
  result.path = collection.Path();
  if (!BackedUpOrAgreed(collection, result)) {
    result.declined = true;
    return result;
  }
  // The clean-up renames and replaces the file; no other connection of ours may be reading it.
  StopBeforeReplacing();
  try {
    result.cleaned = DatabaseFunctions::CleanDatabase(collection.Detach(), {progress, busy});
  } catch (const DatabaseError& error) {
    result.failure = error;
  }
  Open(collection, result.path);
  // A salvaged file may keep places of rows that are gone; they are worked out afresh before
  // anyone reads the list again.
  if (result.failure == std::nullopt) {
    InventoryFunctions::RebuildListOrder(collection.Db());
    ChoiceLists::RebuildChoiceKeys(collection.Db());
    TitleIndex::RebuildTitleIndex(collection.Db());
  }
  Changes::AnnounceEverything();
  return result;
}

}  // namespace DatabaseMaintenance
