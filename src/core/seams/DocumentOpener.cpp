#include "seams/DocumentOpener.h"

namespace seams {
namespace {

class NoOpener final : public DocumentOpener {
 public:
  // Nothing is installed to open documents with; nor is there anyone to tell.
  bool Open(const QString&) override { return true; }
};

NoOpener noOpener;
DocumentOpener* current = &noOpener;

}  // namespace

DocumentOpener& CurrentDocumentOpener() { return *current; }

void SetDocumentOpener(DocumentOpener* opener) { current = opener ? opener : &noOpener; }

}  // namespace seams
