#include "app/DatabaseError.h"

DatabaseError::DatabaseError(int number, const QString& description, const QString& source,
                             Origin origin)
    : std::runtime_error(
          QStringLiteral("%1: %2 (%3)").arg(number).arg(description, source).toStdString()),
      number_(number),
      origin_(origin),
      description_(description),
      source_(source) {}
