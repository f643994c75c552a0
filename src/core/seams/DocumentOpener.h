#pragma once

#include <QString>

namespace seams {

// Asks the system to open a document or web address in its usual program. Windows reach it
// through FormHelpers::OpenDocument; tests install their own to see what would be opened.
class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  // False when the system has no program to open it with (the caller then shows it another way).
  virtual bool Open(const QString& target) = 0;
};

// The opener in use. Until the program installs the desktop's, nothing is opened.
DocumentOpener& CurrentDocumentOpener();
// nullptr goes back to opening nothing.
void SetDocumentOpener(DocumentOpener* opener);

}  // namespace seams
