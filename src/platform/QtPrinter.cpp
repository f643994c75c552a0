#include "platform/QtPrinter.h"

#include <cups/cups.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinterInfo>

QString QtPrinter::DefaultPrinter() { return QPrinterInfo::defaultPrinterName(); }

QString QtPrinter::PrintPdf(const QString& printer, const QString& pdfFile, const QString& jobTitle,
                            const QString& paper) {
  // A printer instance ("queue/instance") prints on its queue.
  const QByteArray queue = printer.section(u'/', 0, 0).toLocal8Bit();
  const QByteArray file = pdfFile.toLocal8Bit();
  const QByteArray title = jobTitle.toLocal8Bit();
  cups_option_t* options = nullptr;
  int count = 0;
  if (!paper.isEmpty())
    count = cupsAddOption("media", paper.toLatin1().constData(), count, &options);
  const int job =
      cupsPrintFile(queue.constData(), file.constData(), title.constData(), count, options);
  cupsFreeOptions(count, options);
  if (job > 0) return {};
  const char* reason = cupsLastErrorString();
  return reason && *reason ? QString::fromLocal8Bit(reason)
                           : QStringLiteral("The printer did not take the job.");
}

QString QtPrinter::ChoosePdfFile(const QString& proposedPath) {
  QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Save As PDF"), proposedPath,
                     QStringLiteral("PDF files (*.pdf)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  dialog.selectFile(QFileInfo(proposedPath).fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}
