#pragma once

#include <QByteArray>
#include <QString>

// An export written to the file the user chose, whole or not at all (ExchangeFile), under the wait
// pointer. A failure is said in a message box that names the file and what to do about it; the
// caller tells of a success where its window tells such things.
namespace ExportSaving {

// True when saved. `what` names the things saved as the messages say them ("DVDs", "loans").
bool Save(const QString& path, const QByteArray& bytes, const QString& what);
// The message of an export that could not be saved, with the file system's reason.
void NotSaved(const QString& path, const QString& what, const QString& failure);

}  // namespace ExportSaving
