#pragma once

#include <QString>

// Asks the system to open a document or web address in its usual program. Windows reach it
// through FormHelpers::OpenDocument; tests install their own to see what would be opened.
class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  // Whatever the system answers is ignored: there is nothing the caller could do about it.
  virtual void Open(const QString& target) = 0;
};

// The opener in use: the desktop's own until another is installed.
DocumentOpener& CurrentDocumentOpener();
// nullptr restores the desktop's opener.
void SetDocumentOpener(DocumentOpener* opener);

// A web address (it has a scheme such as https: or mailto:) as it stands; anything else is a
// file name, taken relative to the current folder as the system's "open" action would.
class QUrl;
QUrl DocumentUrl(const QString& target);
