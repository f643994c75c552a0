#pragma once

#include <QString>

namespace seams {

// Asks the system to open a document or web address in its usual program. Windows reach it
// through FormHelpers::OpenDocument; tests install their own to see what would be opened.
class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  // Whatever the system answers is ignored: there is nothing the caller could do about it.
  virtual void Open(const QString& target) = 0;
};

// The opener in use. Until the program installs the desktop's, nothing is opened.
DocumentOpener& CurrentDocumentOpener();
// nullptr goes back to opening nothing.
void SetDocumentOpener(DocumentOpener* opener);

}  // namespace seams
