#pragma once

#include <QString>
#include <vector>

#include "ui/report/ReportPages.h"

class QWidget;

// Printing lines as a document: on the default printer, or as a PDF file the user names. Both
// reports and the reminder letters go this way.
namespace ReportPrinting {

enum class Target {
  Printer,  // the default printer; without one the user is offered a PDF file instead
  PdfFile,  // a PDF file the user names
};

// Prints the lines as `document` ("DVD Status Report"), which the user knows as `what`
// ("report"), with a progress window over owner that can cancel. A failure is reported and
// changes nothing, so printing can be tried again. True when the pages were printed or saved.
bool Print(QWidget* owner, const QString& document, const QString& what,
           const std::vector<ReportPages::Line>& lines, Target target = Target::Printer);

}  // namespace ReportPrinting
