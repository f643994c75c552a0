#pragma once

#include <QString>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/DatabaseHandle.h"

// One open collection: the database file the program works on, and what the owners keep about
// it (the number by which its views tell one connection from the next, the calendar file that
// follows it). Owners and windows work on the collection they are handed, so two collections side
// by side share nothing but the process-wide change notice. A restore, a repair or a clean-up that
// replaces the file opens it again inside the same object: every reference to it stays valid.
class Collection {
 public:
  Collection();
  ~Collection();
  Collection(const Collection&) = delete;
  Collection& operator=(const Collection&) = delete;

  // The open database; empty before the first open and while the file is being replaced.
  const DatabaseHandle& Db() const { return db_; }
  // The file: the open one, or the last one named while none is open.
  const QString& Path() const { return path_; }

  // Takes db, opened on path (or none yet), as the collection's database.
  void Attach(DatabaseHandle db, const QString& path);
  // Lets go of the database, for the caller to close or replace.
  DatabaseHandle Detach() { return std::exchange(db_, nullptr); }

  // What an owner keeps about this collection, made on first use (given the collection, when it
  // takes one). It outlives a reopening: each owner tells by the connection whether what it
  // holds is still current.
  template <typename Part>
  Part& Kept() {
    const void* key = KeyOf<Part>();
    for (auto& [owner, part] : parts_) {
      if (owner == key) return *static_cast<Part*>(part.get());
    }
    std::shared_ptr<Part> part;
    if constexpr (std::is_constructible_v<Part, Collection&>) {
      part = std::make_shared<Part>(*this);
    } else {
      part = std::make_shared<Part>();
    }
    Part& made = *part;
    parts_.emplace_back(key, std::move(part));
    return made;
  }

 private:
  template <typename Part>
  static const void* KeyOf() {
    static const char key = 0;
    return &key;
  }

  DatabaseHandle db_;
  QString path_;
  std::vector<std::pair<const void*, std::shared_ptr<void>>> parts_;
};
