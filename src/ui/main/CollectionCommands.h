#pragma once

class QWidget;

// The Collection menu's commands. Each asks for its file through the file chooser seam, reads or
// writes it whole, and tells the outcome in the status bar (a failure in a message box); an
// import's writing is the domain's, and the lists follow it through the change notice.
namespace CollectionCommands {

void ImportDVDs(QWidget* window);
void ImportBorrowers(QWidget* window);
// The DVDs as the main list shows them (its rows, in its order).
void ExportDVDs(QWidget* window);
// As CSV or vCard, by the file's ending.
void ExportBorrowers(QWidget* window);
void ExportLoanHistory(QWidget* window);
// As a web page or, by the file's ending, a PDF file made the way the reports are printed.
void ExportCatalogue(QWidget* window);
// The loans out as an iCalendar file; the user may have it kept up to date.
void ExportCalendar(QWidget* window);

}  // namespace CollectionCommands
