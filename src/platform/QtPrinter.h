#pragma once

#include "seams/Printer.h"

// The system's printers through CUPS: Qt names the default printer, and the document goes to
// CUPS as one job whose answer is checked, so that a printer that refuses the job is reported
// rather than taken for printed. The PDF file chooser is Qt's.
class QtPrinter final : public seams::Printer {
 public:
  QString DefaultPrinter() override;
  QString PrintPdf(const QString& printer, const QString& pdfFile, const QString& jobTitle,
                   const QString& paper) override;
  QString ChoosePdfFile(const QString& proposedPath) override;
};
