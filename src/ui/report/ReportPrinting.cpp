#include "ui/report/ReportPrinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>

#include "seams/MessageBox.h"
#include "seams/Printer.h"
#include "ui/common/FormHelpers.h"

namespace ReportPrinting {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// The paper and margins of the printer the pages are made for. A PDF file, or a printer the
// system cannot describe, gets the paper of the user's country with half-inch margins.
QPageLayout PageLayoutFor(const QString& printer) {
  const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
  if (!printer.isEmpty() && !info.isNull()) {
    const QPrinter probe(info, QPrinter::HighResolution);
    const QPageLayout layout = probe.pageLayout();
    if (layout.isValid()) return layout;
  }
  const QPageSize paper(QLocale().measurementSystem() == QLocale::ImperialUSSystem
                            ? QPageSize::Letter
                            : QPageSize::A4);
  return QPageLayout(paper, QPageLayout::Portrait, QMarginsF(36, 36, 36, 36), QPageLayout::Point);
}

// Writes the document in one piece: a full disk or a folder without write access leaves any file
// of that name as it was. Empty on success, else the reason.
QString SavePdf(const QString& path, const QByteArray& pdf) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
    return file.errorString();
  }
  return {};
}

QString SendToPrinter(const QString& printer, const QByteArray& pdf, const QString& document,
                      const QString& paper) {
  QTemporaryFile file(QDir(QDir::tempPath()).filePath(QStringLiteral("ReelKeeper-XXXXXX.pdf")));
  if (!file.open() || file.write(pdf) != pdf.size() || !file.flush()) return file.errorString();
  return seams::CurrentPrinter().PrintPdf(printer, file.fileName(), document, paper);
}

// Where the pages go: the default printer, or the PDF file the user names, empty when the user
// chose neither. Asked before anything is made.
struct Destination {
  QString printer;
  QString pdfFile;
  bool chosen = false;
};

Destination Choose(const QString& document, const QString& what, Target target) {
  Destination to;
  to.printer = target == Target::Printer ? seams::CurrentPrinter().DefaultPrinter() : QString();
  if (target == Target::Printer && to.printer.isEmpty()) {
    const seams::MsgAnswer answer = seams::ShowMessage(
        QStringLiteral("No printer is installed, or none is set as the default printer.") +
            kLineEnd + kLineEnd +
            QStringLiteral("Would you like to save the %1 as a PDF file instead?").arg(what),
        QStringLiteral("No Printer"), seams::MsgIcon::Exclamation, seams::MsgButtons::YesNo,
        seams::MsgAnswer::Yes);
    if (answer != seams::MsgAnswer::Yes) return to;
  }
  if (to.printer.isEmpty()) {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Without a documents folder the chooser would start in whatever folder the program runs in.
    if (!QFileInfo(documents).isDir()) documents = QDir::homePath();
    to.pdfFile = seams::CurrentPrinter().ChoosePdfFile(
        QDir(documents).filePath(document + QStringLiteral(".pdf")));
    if (to.pdfFile.isEmpty()) return to;
  }
  to.chosen = true;
  return to;
}

bool PrintTo(QWidget* owner, const QString& document, const QString& what, const Destination& to,
             const std::vector<ReportPages::Line>* known,
             const std::function<std::vector<ReportPages::Line>()>& read) {
  const QString& printer = to.printer;
  const QString& pdfFile = to.pdfFile;
  const QPageLayout layout = PageLayoutFor(printer);
  // A long list takes seconds to make into pages: the window keeps being drawn, the work shows
  // how far it is, and Cancel stops it with nothing printed or saved.
  QProgressDialog progress(printer.isEmpty()
                               ? QStringLiteral("Saving the %1 as a PDF file...").arg(what)
                               : QStringLiteral("Printing the %1...").arg(what),
                           QStringLiteral("&Cancel"), 0, 1000, owner);
  progress.setObjectName(QStringLiteral("PrintProgress"));
  progress.setAccessibleName(QStringLiteral("Printing"));
  progress.setWindowTitle(owner->windowTitle());
  progress.setWindowModality(Qt::WindowModal);
  progress.setAutoReset(false);
  std::vector<ReportPages::Line> gathered;
  if (!known) {
    // On screen before the lines are gathered, which is the slow part of a long list.
    progress.setValue(0);
    progress.show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    gathered = read();
    if (!progress.wasCanceled() && !ReportPages::HasInk(gathered)) return false;
  } else {
    progress.setMinimumDuration(400);
  }
  const std::vector<ReportPages::Line>& lines = known ? *known : gathered;
  const QByteArray pdf =
      ReportPages::RenderPdf(lines, layout, document, [&progress](qint64 done, qint64 total) {
        progress.setValue(total > 0 ? int(std::min<qint64>(done * 1000 / total, 999)) : 0);
        return !progress.wasCanceled();
      });
  if (progress.wasCanceled()) {
    FormHelpers::MainMessage(QStringLiteral("Cancelled: nothing was printed."));
    return false;
  }
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  QString failure;
  if (pdf.isEmpty()) {
    failure = QStringLiteral("The pages could not be made.");
  } else if (printer.isEmpty()) {
    failure = SavePdf(pdfFile, pdf);
  } else {
    failure = SendToPrinter(printer, pdf, document, layout.pageSize().key());
  }
  QGuiApplication::restoreOverrideCursor();
  progress.close();
  if (failure.isEmpty()) {
    FormHelpers::MainMessage(
        printer.isEmpty()
            ? QStringLiteral("The %1 was saved as \"%2\".").arg(what, pdfFile)
            : QStringLiteral("The %1 was sent to the printer \"%2\".").arg(what, printer));
    return true;
  }

  const QString text =
      printer.isEmpty()
          ? QStringLiteral("The %1 could not be saved as \"%2\":").arg(what, pdfFile) + kLineEnd +
                failure + kLineEnd + kLineEnd +
                QStringLiteral("Choose another folder, or make room on the disk, then try again.")
          : QStringLiteral("The %1 could not be printed on \"%2\":").arg(what, printer) + kLineEnd +
                failure + kLineEnd + kLineEnd +
                QStringLiteral("Check the printer, then print again.");
  seams::ShowMessage(text, QStringLiteral("Not Printed"), seams::MsgIcon::Exclamation);
  return false;
}

}  // namespace

bool Print(QWidget* owner, const QString& document, const QString& what,
           const std::vector<ReportPages::Line>& lines, Target target) {
  if (!ReportPages::HasInk(lines)) return false;
  const Destination to = Choose(document, what, target);
  return to.chosen && PrintTo(owner, document, what, to, &lines, {});
}

bool Print(QWidget* owner, const QString& document, const QString& what,
           const std::function<std::vector<ReportPages::Line>()>& read, Target target) {
  const Destination to = Choose(document, what, target);
  return to.chosen && PrintTo(owner, document, what, to, nullptr, read);
}

}  // namespace ReportPrinting
