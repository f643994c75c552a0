#include "ui/report/DVDReportFrm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "inventory/StatusReport.h"
#include "settings/SettingsTransaction.h"
#include "settings/WindowPlacement.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/Twips.h"
#include "ui/common/WindowLayout.h"
#include "ui/report/ReportPrinting.h"
#include "ui/report/ReportView.h"

namespace {

const QString kWindowName = QStringLiteral("DVDReportFrm");
const QString kLineEnd = QStringLiteral("\r\n");
// The window's inner size before any placement is stored, in twips.
constexpr double kInnerWidth = 6495;
constexpr double kInnerHeight = 4065;

}  // namespace

DVDReportFrm::DVDReportFrm(Collection& collection, QWidget* parent)
    : QDialog(parent), collection_(collection) {
  setObjectName(kWindowName);
  setWindowTitle(QStringLiteral("DVD Status Report"));
  // Sized by the user, never maximized; not minimized either: a minimized modal window has no
  // task-bar button to bring it back by, and the main window would wait behind it for good.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(false);

  // A note may be added before printing; it is printed, never stored.
  reportTxt_ = new ReportView(this);
  reportTxt_->setObjectName(QStringLiteral("ReportTxt"));
  reportTxt_->setAccessibleName(QStringLiteral("Report"));
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

void DVDReportFrm::Message(const QString& text) {
  // Hints go to the main window's status bar when the pointer meets another control, so that
  // what printing says there stays until the user moves on.
  if (text == lastHint_) return;
  lastHint_ = text;
  FormHelpers::MainMessage(text);
}

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
  const QRect unplaced = geometry();
  LoadWindow();
  // A size the user chose is kept; the default one widens to the report's lines.
  fitToText_ = geometry() == unplaced;
  ResizeMe();
  loaded_ = true;
  tagTimer_->start();
}

void DVDReportFrm::AddLine(const QString& line) {
  lines_.back() = line;
  lines_.emplace_back();
  textShown_ = false;
}

void DVDReportFrm::Clear() {
  lines_ = QStringList{QString()};
  reportTxt_->SetLines(lines_);
  textShown_ = true;
}

void DVDReportFrm::ShowModal() {
  ShowText();
  exec();
}

void DVDReportFrm::ShowText() {
  if (textShown_) return;
  textShown_ = true;
  reportTxt_->SetLines(lines_);
  if (fitToText_) FitToText();
}

void DVDReportFrm::FitToText() {
  const QFontMetrics metrics(reportTxt_->font());
  const int frame = 2 * (reportTxt_->frameWidth() + ReportView::kMargin);
  const int wanted = reportTxt_->WidestLine() + frame +
                     reportTxt_->verticalScrollBar()->sizeHint().width() +
                     metrics.averageCharWidth();
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (wanted <= width() || !screen) return;
  const QRect available = screen->availableGeometry();
  QRect outer = frameGeometry();
  const int inner = std::min(wanted, available.width() - (outer.width() - width()));
  if (inner <= width()) return;
  // Grown about its centre, and kept on the screen.
  const int extra = inner - width();
  outer.adjust(-extra / 2, 0, extra - extra / 2, 0);
  outer = FitOnScreen(outer, available, minimumWidth(), minimumHeight());
  resize(inner, height());
  move(outer.topLeft());
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
  ::LoadWindow(collection_, this, kWindowName, -1, &current);
  // Stored while minimized (some window managers allow it): opened normal, or it could not be
  // reached at all.
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
}

void DVDReportFrm::SaveWindow() { ::SaveWindow(collection_, this, kWindowName); }

void DVDReportFrm::done(int result) {
  if (!unloaded_) {
    unloaded_ = true;
    tagTimer_->stop();
    // The placement is a convenience: a file that cannot take it now must not keep the window
    // open.
    if (loaded_) {
      ErrorFunctions::CarryOn(QStringLiteral("The report window's placement could not be saved."),
                              ErrorFunctions::Report::LogOnly, [this] {
                                SettingsManager::SettingsTransaction batch(collection_);
                                SaveWindow();
                                batch.Commit();
                              });
    }
  }
  QDialog::done(result);
}

// ---- printing --------------------------------------------------------------------------------

void DVDReportFrm::PrintReport() {
  // What the window shows, with any note the user added to it.
  ShowText();
  const QString shown = reportTxt_->Lines().join(kLineEnd);
  ReportPrinting::Print(
      this, QStringLiteral("DVD Status Report"), QStringLiteral("report"),
      ReportPages::ReportLines(shown, InventoryFunctions::ReportPointSize(collection_)));
}

void DVDReportFrm::PrintInventory() {
  if (!InventoryFunctions::HasDVDs(collection_)) return;
  // A million titles take seconds to read: the progress window is up first.
  ReportPrinting::Print(
      this, QStringLiteral("DVD Inventory Report"), QStringLiteral("inventory list"), [this] {
        return ReportPages::InventoryLines(InventoryFunctions::InventoryTitles(collection_));
      });
}
