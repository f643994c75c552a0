#pragma once

#include <QString>

namespace seams {

// The system's printers as the report window needs them: which one is the default, handing a
// finished document to it, and the file chooser offered when there is no printer. Tests install
// a PDF printer of their own.
class Printer {
 public:
  virtual ~Printer() = default;
  // The default printer's name; empty when no printer is installed or none is the default.
  virtual QString DefaultPrinter() = 0;
  // Sends a finished PDF document to the named printer as one job on paper of the given size
  // (a page size key such as "A4" or "Letter"). Empty when the printer took it, else the
  // system's reason.
  virtual QString PrintPdf(const QString& printer, const QString& pdfFile, const QString& jobTitle,
                           const QString& paper) = 0;
  // Asks the user where to save a PDF file, proposing proposedPath; empty when the user cancels.
  virtual QString ChoosePdfFile(const QString& proposedPath) = 0;
};

// The printer in use. Until the program installs the system's, there is no printer and no
// chooser, so nothing is ever printed or saved.
Printer& CurrentPrinter();
// nullptr goes back to having no printer.
void SetPrinter(Printer* printer);

}  // namespace seams
