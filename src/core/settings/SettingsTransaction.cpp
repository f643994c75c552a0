#include "settings/SettingsTransaction.h"

#include "data/Database.h"
#include "settings/SettingsManager.h"

namespace SettingsManager {

SettingsTransaction::SettingsTransaction(Collection& collection) {
  // Without an open database the writes themselves report it; there is nothing to group.
  if (const DatabaseHandle db = SettingsDatabase(collection))
    transaction_ = std::make_unique<Transaction>(db);
}

SettingsTransaction::~SettingsTransaction() = default;

void SettingsTransaction::Commit() {
  if (transaction_) transaction_->Commit();
  batch_.Commit();
}

}  // namespace SettingsManager
