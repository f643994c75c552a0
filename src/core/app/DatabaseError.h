#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the core: a failure of the database engine or of the file system
// underneath it. Numbers are SQLite's extended result codes for engine failures and errno values
// for file-system failures.
class DatabaseError : public std::runtime_error {
 public:
  DatabaseError(int number, const QString& description, const QString& source);

  int Number() const { return number_; }
  const QString& Description() const { return description_; }
  const QString& Source() const { return source_; }

 private:
  int number_;
  QString description_;
  QString source_;
};
