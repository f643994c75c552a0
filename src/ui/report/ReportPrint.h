#pragma once

#include <QString>
#include <vector>

#include "ui/report/ReportPages.h"

class QWidget;

// The one way the program's documents reach paper: the default printer, or without one a PDF file
// the user chooses. The pages are made with a progress bar and Cancel over `window`; the outcome
// is told in the main window's status bar, a failure in a message box.
namespace ReportPrint {

// Prints the lines as `document` ("DVD Status Report", "DVD Catalogue"), which the user knows as
// `what` ("report", "catalogue"). Given toPdf, the pages are saved there and no printer is asked.
void Print(QWidget* window, const QString& document, const QString& what,
           const std::vector<ReportPages::Line>& lines, const QString& toPdf = {});

}  // namespace ReportPrint
