#include "ui/main/CollectionCommands.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QWidget>

#include "app/Collection.h"
#include "exchange/CalendarFeed.h"
#include "exchange/CollectionExport.h"
#include "exchange/CsvFormat.h"
#include "exchange/TextDecoding.h"
#include "exchange/VCard.h"
#include "seams/Clock.h"
#include "seams/FileChooser.h"
#include "seams/MessageBox.h"
#include "ui/common/ExportSaving.h"
#include "ui/common/FormHelpers.h"
#include "ui/dialogs/ImportFrm.h"
#include "ui/main/ReelKeeperFrm.h"
#include "ui/report/ReportPages.h"

namespace CollectionCommands {
namespace {

const QString kCsvFilter = QStringLiteral("CSV files (*.csv *.txt);;All files (*)");
const QString kLineEnd = QStringLiteral("\r\n");

std::vector<InventoryFunctions::DVDRecord> ListedDvds(Collection& collection, QWidget* window) {
  auto* main = qobject_cast<ReelKeeperFrm*>(window);
  return main ? CollectionExport::DvdsOfIds(collection, main->ShownIds())
              : CollectionExport::AllDvds(collection);
}

void Refuse(const QString& text) {
  seams::ShowMessage(text, QStringLiteral("Not Imported"), seams::MsgIcon::Exclamation);
}

// Asks which encoding text that is not UTF-8 was written in; empty when the user cancels.
QString AskEncoding(QWidget* window, const QString& path, int line) {
  QInputDialog dialog(window);
  dialog.setObjectName(QStringLiteral("EncodingQuestion"));
  dialog.setAccessibleName(QStringLiteral("Encoding"));
  dialog.setWindowTitle(QStringLiteral("Which Encoding?"));
  dialog.setLabelText(
      QStringLiteral("\"%1\" is not written in UTF-8 (line %2).\n\nWhich encoding was it written "
                     "in? Spreadsheets in Western Europe and America mostly use Windows-1252.")
          .arg(QFileInfo(path).fileName())
          .arg(line));
  dialog.setComboBoxItems(TextDecoding::OfferedEncodings());
  dialog.setComboBoxEditable(false);
  if (const int at = TextDecoding::OfferedEncodings().indexOf(u"Windows-1252"); at >= 0) {
    dialog.setTextValue(TextDecoding::OfferedEncodings().at(at));
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.textValue();
}

// The table of a chosen file, its encoding asked where it is not UTF-8; none when the user
// cancels or the file cannot be used (said in a message).
std::optional<CsvFormat::Table> ReadTable(QWidget* window, const QString& path) {
  CsvFormat::ReadResult read = CsvFormat::ReadFile(path);
  if (read.status == CsvFormat::ReadStatus::NeedsEncoding) {
    const QString encoding = AskEncoding(window, path, read.line);
    if (encoding.isEmpty()) return std::nullopt;
    read = CsvFormat::ReadFile(path, encoding);
  }
  if (read.status != CsvFormat::ReadStatus::Read) {
    Refuse(QStringLiteral("\"%1\" cannot be imported:").arg(path) + kLineEnd + read.message +
           kLineEnd + kLineEnd + QStringLiteral("Nothing was imported."));
    return std::nullopt;
  }
  return std::move(read.table);
}

// Saves an export; the outcome in the status bar, a failure in a message box.
void Save(const QString& path, const QByteArray& bytes, const QString& what) {
  if (ExportSaving::Save(path, bytes, what)) {
    FormHelpers::MainMessage(QStringLiteral("The %1 were saved as \"%2\".").arg(what, path));
  }
}

QString Chosen(const QString& title, const QString& proposed, const QString& filter) {
  return seams::CurrentFileChooser().SaveFile(title, proposed, filter);
}

bool EndsWith(const QString& path, const char* suffix) {
  return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

}  // namespace

void ImportDVDs(Collection& collection, QWidget* window) {
  const QString path =
      seams::CurrentFileChooser().OpenFile(QStringLiteral("Import DVDs"), kCsvFilter, {});
  if (path.isEmpty()) return;
  const std::optional<CsvFormat::Table> table = ReadTable(window, path);
  if (!table) return;
  ImportFrm dialog(collection, ImportFrm::Kind::DVDs, window);
  dialog.SetTable(*table);
  dialog.exec();
}

void ImportBorrowers(Collection& collection, QWidget* window) {
  const QString path = seams::CurrentFileChooser().OpenFile(
      QStringLiteral("Import Borrowers"),
      QStringLiteral("Address books and tables (*.vcf *.vcard *.csv *.txt);;All files (*)"), {});
  if (path.isEmpty()) return;
  ImportFrm dialog(collection, ImportFrm::Kind::Borrowers, window);
  QFile file(path);
  if (file.open(QIODevice::ReadOnly) && file.peek(64).trimmed().toUpper().contains("BEGIN:VCARD")) {
    const VCard::ReadResult cards = VCard::Read(file.readAll());
    if (!cards.ok) {
      Refuse(QStringLiteral("\"%1\" cannot be imported:").arg(path) + kLineEnd + cards.message +
             kLineEnd + kLineEnd + QStringLiteral("Nothing was imported."));
      return;
    }
    dialog.SetRows(VCard::ToBorrowerRows(cards.contacts));
  } else {
    file.close();
    const std::optional<CsvFormat::Table> table = ReadTable(window, path);
    if (!table) return;
    dialog.SetTable(*table);
  }
  dialog.exec();
}

void ExportDVDs(Collection& collection, QWidget* window) {
  const QString path =
      Chosen(QStringLiteral("Export DVDs"), QStringLiteral("DVDs.csv"), kCsvFilter);
  if (path.isEmpty()) return;
  Save(path, CollectionExport::DvdsCsv(ListedDvds(collection, window)), QStringLiteral("DVDs"));
}

void ExportBorrowers(Collection& collection, QWidget*) {
  const QString path = Chosen(QStringLiteral("Export Borrowers"), QStringLiteral("Borrowers.csv"),
                              QStringLiteral("CSV files (*.csv);;vCard address cards (*.vcf)"));
  if (path.isEmpty()) return;
  Save(path,
       EndsWith(path, "vcf") ? CollectionExport::BorrowersVCard(collection)
                             : CollectionExport::BorrowersCsv(collection),
       QStringLiteral("borrowers"));
}

void ExportLoanHistory(Collection& collection, QWidget*) {
  const QString path =
      Chosen(QStringLiteral("Export Loan History"), QStringLiteral("Loans.csv"), kCsvFilter);
  if (path.isEmpty()) return;
  Save(path, CollectionExport::LoanHistoryCsv(collection, seams::Today()), QStringLiteral("loans"));
}

void ExportCatalogue(Collection& collection, QWidget* window) {
  const QString path =
      Chosen(QStringLiteral("Export Catalogue"), QStringLiteral("DVD Catalogue.html"),
             QStringLiteral("Web pages (*.html *.htm);;PDF files (*.pdf)"));
  if (path.isEmpty()) return;
  const std::vector<InventoryFunctions::DVDRecord> dvds = ListedDvds(collection, window);
  const QDate today = seams::Today();
  if (!EndsWith(path, "pdf")) {
    Save(path, CollectionExport::CatalogueHtml(dvds, today), QStringLiteral("catalogue pages"));
    return;
  }
  std::vector<ReportPages::Line> lines = {{QStringLiteral("DVD Catalogue"), 12, true}, {}};
  const QString gap = QStringLiteral("  |  ");
  lines.push_back({CollectionExport::CatalogueHeader().join(gap), 10, false});
  for (const InventoryFunctions::DVDRecord& dvd : dvds) {
    lines.push_back({CollectionExport::CatalogueCells(dvd, today).join(gap), 10, false});
  }
  // The pages of the printed reports, on the paper of the user's country.
  const QPageLayout layout(
      QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                           : QPageSize::A4),
      QPageLayout::Portrait, QMarginsF(36, 36, 36, 36), QPageLayout::Point);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const QByteArray pdf = ReportPages::RenderPdf(lines, layout, QStringLiteral("DVD Catalogue"));
  QGuiApplication::restoreOverrideCursor();
  Save(path, pdf, QStringLiteral("catalogue pages"));
}

void ExportCalendar(Collection& collection, QWidget*) {
  const QString kept = CalendarFeed::KeptFile(collection);
  const QString path = Chosen(QStringLiteral("Export to Calendar"),
                              kept.isEmpty() ? QStringLiteral("DVDs Due.ics") : kept,
                              QStringLiteral("Calendar files (*.ics)"));
  if (path.isEmpty()) return;
  if (const QString failure = CalendarFeed::Write(collection, path); !failure.isEmpty()) {
    ExportSaving::NotSaved(path, QStringLiteral("due dates"), failure);
    return;
  }
  const seams::MsgAnswer keep = seams::ShowMessage(
      QStringLiteral("The due dates were saved as \"%1\".").arg(path) + kLineEnd + kLineEnd +
          QStringLiteral("Keep this file up to date after every loan, change and return, so that "
                         "a calendar program subscribed to it always shows the DVDs out?"),
      QStringLiteral("Export to Calendar"), seams::MsgIcon::Question, seams::MsgButtons::YesNo,
      kept == path ? seams::MsgAnswer::Yes : seams::MsgAnswer::No);
  if (keep == seams::MsgAnswer::Yes) {
    CalendarFeed::SetKeptFile(collection, path);
    CalendarFeed::Follow(collection);
    FormHelpers::MainMessage(QStringLiteral("\"%1\" is kept up to date.").arg(path));
  } else if (kept == path) {
    CalendarFeed::SetKeptFile(collection, {});
  }
}

}  // namespace CollectionCommands
