#include "ui/common/ExportSaving.h"

#include <QCursor>
#include <QGuiApplication>

#include "app/Constants.h"
#include "exchange/ExchangeFile.h"
#include "seams/MessageBox.h"

namespace ExportSaving {

bool Save(const QString& path, const QByteArray& bytes, const QString& what) {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const QString failure = ExchangeFile::Save(path, bytes);
  QGuiApplication::restoreOverrideCursor();
  if (!failure.isEmpty()) NotSaved(path, what, failure);
  return failure.isEmpty();
}

void NotSaved(const QString& path, const QString& what, const QString& failure) {
  const QString& lineEnd = Constants::kCrLf;
  seams::ShowMessage(QStringLiteral("The %1 could not be saved as \"%2\":").arg(what, path) +
                         lineEnd + failure + lineEnd + lineEnd +
                         QStringLiteral("Choose another folder, or make room on the disk, then "
                                        "try again."),
                     QStringLiteral("Not Saved"), seams::MsgIcon::Exclamation);
}

}  // namespace ExportSaving
