#pragma once

#include <QString>
#include <functional>
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

// The same with lines that take a while to gather (the inventory list of a large collection):
// `read` runs once the progress window is on screen, so the user sees at once that printing has
// begun. Lines with nothing to print close the window and print nothing, silently.
bool Print(QWidget* owner, const QString& document, const QString& what,
           const std::function<std::vector<ReportPages::Line>()>& read,
           Target target = Target::Printer);

}  // namespace ReportPrinting
