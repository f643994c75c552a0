#include "app/Collection.h"

Collection::Collection() = default;

Collection::~Collection() {
  // The latest part first: one made on another's behalf may rely on it while it stops.
  while (!parts_.empty()) parts_.pop_back();
}

void Collection::Attach(DatabaseHandle db, const QString& path) {
  db_ = std::move(db);
  path_ = path;
}
