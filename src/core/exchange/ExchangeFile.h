#pragma once

#include <QByteArray>
#include <QString>

// Files the program hands to other programs (exports, the calendar a calendar program
// subscribes to).
namespace ExchangeFile {

// Writes bytes to path through a temporary file in the same folder that is flushed and renamed
// into place, so that a reader sees the old file or the whole new one, never half of one.
// Empty on success, else the reason.
QString Save(const QString& path, const QByteArray& bytes);

}  // namespace ExchangeFile
