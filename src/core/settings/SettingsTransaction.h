#pragma once

#include <memory>

#include "app/ChangeNotice.h"

class Collection;
class Transaction;

namespace SettingsManager {

// Groups setting writes that belong together (everything a window saves as it closes) into one
// transaction on the collection's database: all of them or none, and one flush to disk. Rolled back
// unless committed; nests inside or around the layout saves' own transactions.
class SettingsTransaction {
 public:
  explicit SettingsTransaction(Collection& collection);
  ~SettingsTransaction();
  SettingsTransaction(const SettingsTransaction&) = delete;
  SettingsTransaction& operator=(const SettingsTransaction&) = delete;

  void Commit();

 private:
  Changes::Batch batch_;  // the settings written are announced once, after the commit
  std::unique_ptr<Transaction> transaction_;
};

}  // namespace SettingsManager
