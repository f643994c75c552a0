#pragma once

class Collection;
class QWidget;

// The Collection menu's commands. Each asks for its file through the file chooser seam, reads or
// writes it whole, and tells the outcome in the status bar (a failure in a message box); an
// import's writing is the domain's, and the lists follow it through the change notice.
namespace CollectionCommands {

void ImportDVDs(Collection& collection, QWidget* window);
void ImportBorrowers(Collection& collection, QWidget* window);
// The DVDs as the main list shows them (its rows, in its order).
void ExportDVDs(Collection& collection, QWidget* window);
// As CSV or vCard, by the file's ending.
void ExportBorrowers(Collection& collection, QWidget* window);
void ExportLoanHistory(Collection& collection, QWidget* window);
// As a web page or, by the file's ending, a PDF file made the way the reports are printed.
void ExportCatalogue(Collection& collection, QWidget* window);
// The loans out as an iCalendar file; the user may have it kept up to date.
void ExportCalendar(Collection& collection, QWidget* window);

}  // namespace CollectionCommands
