#include "ui/report/DVDReportFrm.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <algorithm>

#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "inventory/StatusReport.h"
#include "seams/MessageBox.h"
#include "seams/Printer.h"
#include "settings/SettingsTransaction.h"
#include "settings/WindowPlacement.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/Twips.h"
#include "ui/common/WindowLayout.h"

namespace {

const QString kWindowName = QStringLiteral("DVDReportFrm");
const QString kLineEnd = QStringLiteral("\r\n");
// The window's inner size before any placement is stored, in twips.
constexpr double kInnerWidth = 6495;
constexpr double kInnerHeight = 4065;

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

}  // namespace

DVDReportFrm::DVDReportFrm(QWidget* parent) : QDialog(parent) {
  setObjectName(kWindowName);
  setWindowTitle(QStringLiteral("DVD Status Report"));
  // Sized by the user, never maximized; not minimized either: a minimized modal window has no
  // task-bar button to bring it back by, and the main window would wait behind it for good.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(false);

  reportTxt_ = new QPlainTextEdit(this);
  reportTxt_->setObjectName(QStringLiteral("ReportTxt"));
  reportTxt_->setAccessibleName(QStringLiteral("Report"));
  reportTxt_->setReadOnly(true);
  reportTxt_->setLineWrapMode(QPlainTextEdit::NoWrap);
  reportTxt_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  reportTxt_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto button = [this](const char* name, const char* caption) {
    auto* made = new QPushButton(QString::fromUtf8(caption), this);
    made->setObjectName(QString::fromUtf8(name));
    // Enter while reading the report must not print it.
    made->setAutoDefault(false);
    made->resize(made->sizeHint());
    return made;
  };
  closeButton_ = button("CloseButton", "&Close");
  closeButton_->setProperty("Tag", QStringLiteral("Closes this window."));
  printButton_ = button("PrintButton", "&Print Report");
  printInventoryButton_ = button("PrintInventoryButton", "Print &Inventory");
  setTabOrder(reportTxt_, closeButton_);
  setTabOrder(closeButton_, printButton_);
  setTabOrder(printButton_, printInventoryButton_);
  connect(closeButton_, &QPushButton::clicked, this, &DVDReportFrm::close);
  connect(printButton_, &QPushButton::clicked, this, &DVDReportFrm::PrintReport);
  connect(printInventoryButton_, &QPushButton::clicked, this, &DVDReportFrm::PrintInventory);

  // Below this the buttons would cover each other.
  const int buttonHeight =
      std::max({closeButton_->height(), printButton_->height(), printInventoryButton_->height()});
  setMinimumSize(printButton_->width() + printInventoryButton_->width() + closeButton_->width(),
                 buttonHeight + 3 * fontMetrics().height());
  resize(std::max(minimumWidth(), TwipsToPixels(kInnerWidth, this)),
         std::max(minimumHeight(), TwipsToPixels(kInnerHeight, this)));

  tagTimer_ = FormHelpers::HintTimer(this);
}

DVDReportFrm::~DVDReportFrm() = default;

void DVDReportFrm::LoadForm() {
  // Where the window opens when no placement is stored: over its owner, or mid-screen when the
  // owner is hidden (a check-only start).
  QWidget* owner = parentWidget();
  QRect over = owner && owner->isVisible() ? owner->geometry() : QRect();
  if (over.isEmpty()) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      over = screen->availableGeometry();
  }
  if (!over.isEmpty()) move(over.center() - rect().center());
  LoadWindow();
  ResizeMe();
  loaded_ = true;
  tagTimer_->start();
}

void DVDReportFrm::AddLine(const QString& line) {
  text_ += line;
  text_ += kLineEnd;
  textShown_ = false;
}

void DVDReportFrm::Clear() {
  text_.clear();
  reportTxt_->clear();
  textShown_ = true;
}

void DVDReportFrm::ShowModal() {
  ShowText();
  exec();
}

void DVDReportFrm::ShowText() {
  if (textShown_) return;
  textShown_ = true;
  QString shown = text_;
  // The text box would take CR and LF for two line ends each.
  shown.replace(kLineEnd, QStringLiteral("\n"));
  reportTxt_->setPlainText(shown);
}

void DVDReportFrm::showEvent(QShowEvent* event) {
  ShowText();
  QDialog::showEvent(event);
}

// ---- layout ----------------------------------------------------------------------------------

void DVDReportFrm::ResizeMe() {
  const int width = this->width();
  const int height = this->height();
  reportTxt_->setGeometry(0, 0, std::max(0, width), std::max(0, height - closeButton_->height()));
  closeButton_->move(width - closeButton_->width(), height - closeButton_->height());
  printButton_->move(0, height - printButton_->height());
  printInventoryButton_->move(printButton_->width(), height - printInventoryButton_->height());
}

void DVDReportFrm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  ResizeMe();
}

void DVDReportFrm::LoadWindow() {
  const WindowPlacement current = CurrentPlacement(this);
  ::LoadWindow(this, kWindowName, -1, &current);
  // Stored while minimized (some window managers allow it): opened normal, or it could not be
  // reached at all.
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
}

void DVDReportFrm::SaveWindow() { ::SaveWindow(this, kWindowName); }

void DVDReportFrm::done(int result) {
  if (!unloaded_) {
    unloaded_ = true;
    tagTimer_->stop();
    // The placement is a convenience: a file that cannot take it now must not keep the window
    // open.
    if (loaded_) {
      ErrorFunctions::CarryOn(QStringLiteral("The report window's placement could not be saved."),
                              ErrorFunctions::Report::LogOnly, [this] {
                                SettingsManager::SettingsTransaction batch;
                                SaveWindow();
                                batch.Commit();
                              });
    }
  }
  QDialog::done(result);
}

// ---- printing --------------------------------------------------------------------------------

void DVDReportFrm::PrintReport() {
  Print(QStringLiteral("DVD Status Report"), QStringLiteral("report"),
        ReportPages::ReportLines(text_, InventoryFunctions::ReportPointSize()));
}

void DVDReportFrm::PrintInventory() {
  const QStringList titles = InventoryFunctions::InventoryTitles();
  if (titles.isEmpty()) return;
  Print(QStringLiteral("DVD Inventory Report"), QStringLiteral("inventory list"),
        ReportPages::InventoryLines(titles));
}

void DVDReportFrm::Print(const QString& document, const QString& what,
                         const std::vector<ReportPages::Line>& lines) {
  if (!ReportPages::HasInk(lines)) return;
  const QString printer = seams::CurrentPrinter().DefaultPrinter();
  QString pdfFile;
  if (printer.isEmpty()) {
    const seams::MsgAnswer answer = seams::ShowMessage(
        QStringLiteral("No printer is installed, or none is set as the default printer.") +
            kLineEnd + kLineEnd +
            QStringLiteral("Would you like to save the %1 as a PDF file instead?").arg(what),
        QStringLiteral("No Printer"), seams::MsgIcon::Exclamation, seams::MsgButtons::YesNo,
        seams::MsgAnswer::Yes);
    if (answer != seams::MsgAnswer::Yes) return;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    pdfFile = seams::CurrentPrinter().ChoosePdfFile(
        QDir(documents).filePath(document + QStringLiteral(".pdf")));
    if (pdfFile.isEmpty()) return;
  }

  const QPageLayout layout = PageLayoutFor(printer);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const QByteArray pdf = ReportPages::RenderPdf(lines, layout, document);
  QString failure;
  if (pdf.isEmpty()) {
    failure = QStringLiteral("The pages could not be made.");
  } else if (printer.isEmpty()) {
    failure = SavePdf(pdfFile, pdf);
  } else {
    failure = SendToPrinter(printer, pdf, document, layout.pageSize().key());
  }
  QGuiApplication::restoreOverrideCursor();
  if (failure.isEmpty()) return;

  const QString text =
      printer.isEmpty()
          ? QStringLiteral("The %1 could not be saved as \"%2\":").arg(what, pdfFile) + kLineEnd +
                failure + kLineEnd + kLineEnd +
                QStringLiteral("Choose another folder, or make room on the disk, then try again.")
          : QStringLiteral("The %1 could not be printed on \"%2\":").arg(what, printer) + kLineEnd +
                failure + kLineEnd + kLineEnd +
                QStringLiteral("Check the printer, then print again.");
  seams::ShowMessage(text, QStringLiteral("Not Printed"), seams::MsgIcon::Exclamation);
}
