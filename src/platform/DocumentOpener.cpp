#include "platform/DocumentOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>
#include <QUrl>

namespace {

class DesktopOpener final : public DocumentOpener {
 public:
  void Open(const QString& target) override { QDesktopServices::openUrl(DocumentUrl(target)); }
};

DesktopOpener desktopOpener;
DocumentOpener* current = &desktopOpener;

}  // namespace

DocumentOpener& CurrentDocumentOpener() { return *current; }

void SetDocumentOpener(DocumentOpener* opener) { current = opener ? opener : &desktopOpener; }

QUrl DocumentUrl(const QString& target) {
  // Two letters or more before the colon, so that a path such as C:doc is not taken for a scheme.
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  if (scheme.match(target).hasMatch()) return QUrl(target);
  return QUrl::fromLocalFile(QDir::current().absoluteFilePath(target));
}
