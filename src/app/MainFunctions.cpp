#include "app/MainFunctions.h"

#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "phonebook/CustomerFunctions.h"
#include "settings/SettingsManager.h"

namespace MainFunctions {

void InitTables() {
  const DatabaseHandle db = DatabaseFunctions::GetDatabase();
  Transaction transaction(db);
  SettingsManager::InitSettings(db);
  InventoryFunctions::InitInventory(db);
  CustomerFunctions::InitCustomers(db);
  transaction.Commit();
}

}  // namespace MainFunctions
