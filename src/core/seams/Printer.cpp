#include "seams/Printer.h"

namespace seams {
namespace {

class NoPrinter final : public Printer {
 public:
  QString DefaultPrinter() override { return {}; }
  QString PrintPdf(const QString&, const QString&, const QString&, const QString&) override {
    return QStringLiteral("No printer is installed.");
  }
  QString ChoosePdfFile(const QString&) override { return {}; }
};

NoPrinter noPrinter;
Printer* current = &noPrinter;

}  // namespace

Printer& CurrentPrinter() { return *current; }

void SetPrinter(Printer* printer) { current = printer ? printer : &noPrinter; }

}  // namespace seams
