#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the core: a failure of the database engine or of the file system
// underneath it. Numbers are SQLite's extended result codes for engine failures and errno values
// for file-system failures.
class DatabaseError : public std::runtime_error {
 public:
  // Whose number it is. The two ranges overlap (errno 5 is EIO, SQLite's 5 is SQLITE_BUSY), so a
  // file-system failure must never be read as the engine's code.
  enum class Origin { Engine, System };

  DatabaseError(int number, const QString& description, const QString& source,
                Origin origin = Origin::Engine);
  // A failure of the file system or another system call, numbered by errno.
  static DatabaseError System(int errorNumber, const QString& description, const QString& source) {
    return DatabaseError(errorNumber, description, source, Origin::System);
  }

  int Number() const { return number_; }
  const QString& Description() const { return description_; }
  const QString& Source() const { return source_; }
  Origin From() const { return origin_; }
  // SQLite's primary result code (SQLITE_BUSY, SQLITE_CORRUPT, ...); 0 for a system failure.
  int EngineCode() const { return origin_ == Origin::Engine ? number_ & 0xff : 0; }

 private:
  int number_;
  Origin origin_;
  QString description_;
  QString source_;
};
