#include "platform/DesktopDocumentOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>

bool DesktopDocumentOpener::Open(const QString& target) {
  return QDesktopServices::openUrl(DocumentUrl(target));
}

QUrl DesktopDocumentOpener::DocumentUrl(const QString& target) {
  // Two letters or more before the colon, so that a path such as C:doc is not taken for a scheme.
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  if (scheme.match(target).hasMatch()) return QUrl(target);
  return QUrl::fromLocalFile(QDir::current().absoluteFilePath(target));
}
