#include "seams/DocumentOpener.h"

namespace seams {
namespace {

class NoOpener final : public DocumentOpener {
 public:
  void Open(const QString&) override {}
};

NoOpener noOpener;
DocumentOpener* current = &noOpener;

}  // namespace

DocumentOpener& CurrentDocumentOpener() { return *current; }

void SetDocumentOpener(DocumentOpener* opener) { current = opener ? opener : &noOpener; }

}  // namespace seams
