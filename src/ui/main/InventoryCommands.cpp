#include "ui/main/InventoryCommands.h"

#include <QApplication>
#include <QTimer>

#include "app/Collection.h"
#include "app/Constants.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/InventoryWrites.h"
#include "inventory/StatusReport.h"
#include "scanner/ScannerFunctions.h"
#include "seams/Clock.h"
#include "seams/MessageBox.h"
#include "ui/about/AboutFrm.h"
#include "ui/common/LoanWords.h"
#include "ui/dialogs/AddEditFrm.h"
#include "ui/dialogs/LoanFrm.h"
#include "ui/main/ReelKeeperFrm.h"
#include "ui/phonebook/PhoneBookFrm.h"
#include "ui/reminders/RemindersFrm.h"
#include "ui/report/DVDReportFrm.h"
#include "ui/search/SearchFrm.h"

using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;

namespace {

const QString kSelectADVD = QStringLiteral("Select A DVD");
const QString kError = QStringLiteral("Error");

void SelectFirst(const QString& text) {
  seams::ShowMessage(text, kSelectADVD, MsgIcon::Information);
}

void ProgramError() {
  seams::ShowMessage(QStringLiteral("There was an error with the program."), kError,
                     MsgIcon::Critical);
}

bool Asked(const QString& question, const QString& title) {
  return seams::ShowMessage(question, title, MsgIcon::Question, MsgButtons::YesNo,
                            MsgAnswer::Yes) == MsgAnswer::Yes;
}

// The Add/Edit dialog polls the scanner itself: the main window's poll rests meanwhile and runs
// again however the dialog ends. Only a code waiting before the dialog opened is dropped; one
// scanned right after its Ok (between its last poll and the main window's next) is the user's
// next command.
void ShowWithoutScannerPoll(QDialog& dialog, QTimer* scannerTimer) {
  struct Resume {
    QTimer* timer;
    ~Resume() { timer->start(); }
  } resume{scannerTimer};
  scannerTimer->stop();
  ScannerFunctions::SetCodeComplete(0);
  dialog.exec();
}

}  // namespace

InventoryCommands::InventoryCommands(Collection& collection, ReelKeeperFrm* window)
    : QObject(window), collection_(collection), window_(window), scannerTimer_(new QTimer(this)) {
  scannerTimer_->setObjectName(QStringLiteral("ScannerTimer"));
  scannerTimer_->setInterval(100);
  connect(scannerTimer_, &QTimer::timeout, this, &InventoryCommands::ScannerTick);
}

void InventoryCommands::Finish() {
  window_->RefreshList();
  window_->FocusList();
  window_->DVDSelected();
}

void InventoryCommands::AddDVD(const QString& barCode) {
  AddEditFrm dialog(collection_, window_);
  dialog.BarCode = barCode;
  dialog.AddMode = true;
  dialog.TitleCaption = QStringLiteral("Add DVD");
  ShowWithoutScannerPoll(dialog, scannerTimer_);
  if (!dialog.Cancelled) window_->SelectDVD(dialog.DVDTitle);
  Finish();
}

void InventoryCommands::EditDVD() {
  const QString title = window_->GetSelectedDVD();
  if (title.isEmpty()) {
    SelectFirst(QStringLiteral("You must select a DVD before you can edit it."));
    return;
  }
  const std::optional<InventoryFunctions::DVDRecord> dvd =
      InventoryFunctions::FindDVD(collection_, title);
  if (!dvd) {
    seams::ShowMessage(QStringLiteral("There was an error editing a DVD."), kError,
                       MsgIcon::Critical, MsgButtons::OkCancel);
    return;
  }
  AddEditFrm dialog(collection_, window_);
  dialog.BarCode = dvd->barCode;
  dialog.DVDTitle = dvd->title;
  dialog.Category = dvd->category;
  dialog.Rated = dvd->rated;
  dialog.Starring = dvd->starring;
  dialog.Description = dvd->description;
  dialog.AddMode = false;
  dialog.TitleCaption = QStringLiteral("Edit ") + title;
  // A changed title is no longer in the list: nothing stays selected.
  ShowWithoutScannerPoll(dialog, scannerTimer_);
  Finish();
}

void InventoryCommands::DeleteDVD() {
  const QString title = window_->GetSelectedDVD();
  if (title.isEmpty()) {
    SelectFirst(QStringLiteral("You must select a DVD before you can delete it."));
    return;
  }
  // A lent DVD's question says who has it: deleting it forgets the loan too.
  const std::optional<InventoryFunctions::DVDRecord> dvd =
      InventoryFunctions::FindDVD(collection_, title);
  if (!Asked(LoanWords::WithLine(
                 QStringLiteral("Are you sure you wish to delete '") + title + QStringLiteral("'?"),
                 dvd ? LoanWords::WhoHasIt(*dvd) : QString()),
             QStringLiteral("Delete?"))) {
    return;
  }
  if (InventoryFunctions::DeleteDVD(collection_, title) != InventoryFunctions::DVDOutcome::Saved) {
    seams::ShowMessage(QStringLiteral("There was an error deleting a DVD."), kError,
                       MsgIcon::Critical, MsgButtons::OkCancel);
    return;
  }
  Finish();
}

void InventoryCommands::LoanDVD(const QString& barCode) {
  QString title;
  if (barCode.isEmpty()) {
    title = window_->GetSelectedDVD();
    if (title.isEmpty()) {
      SelectFirst(QStringLiteral("You must select a DVD if you wish to loan it."));
      return;
    }
  } else {
    // A scanned DVD: the selection in the list plays no part.
    const std::optional<QString> scanned = InventoryFunctions::TitleOfBarCode(collection_, barCode);
    if (!scanned) {
      ProgramError();
      return;
    }
    title = *scanned;
    // The user sees which DVD the scan found before answering for it.
    window_->SelectDVD(title);
    window_->DVDSelected();
  }
  const std::optional<InventoryFunctions::LoanState> state =
      InventoryFunctions::FindLoanState(collection_, title);
  if (!state) {
    ProgramError();
    return;
  }
  const InventoryFunctions::LoanSeen seen{state->status, state->name};
  // The main window's scanner poll runs on while a question or the loan dialog is open, and drops
  // what it takes meanwhile.
  ScannerFunctions::SetCodeComplete(0);
  if (state->status == InventoryFunctions::Loaned) {
    const std::optional<InventoryFunctions::DVDRecord> dvd =
        InventoryFunctions::FindDVD(collection_, title);
    const QString who = dvd ? LoanWords::WhoHasIt(*dvd) : QString();
    if (Asked(LoanWords::WithLine(QStringLiteral("Are you sure you want to return this DVD?"),
                                  u'\'' + title + QStringLiteral("': ") + who),
              QStringLiteral("Return DVD?")) &&
        InventoryFunctions::ReturnDVD(collection_, title, seen) ==
            InventoryFunctions::DVDOutcome::LoanMoved) {
      LoanFrm::SayLoanMoved();
    }
  } else {
    LoanFrm dialog(collection_, window_);
    dialog.DVDTitle = title;
    dialog.TitleCaption = QStringLiteral("Loan ") + title;
    dialog.EditMode = false;
    dialog.Seen = seen;
    dialog.exec();
  }
  Finish();
}

void InventoryCommands::EditLoan() {
  const QString title = window_->GetSelectedDVD();
  if (title.isEmpty()) {
    SelectFirst(QStringLiteral("You must select a DVD if you wish to edit loan info."));
    return;
  }
  const std::optional<InventoryFunctions::LoanState> state =
      InventoryFunctions::FindLoanState(collection_, title);
  if (!state) {
    ProgramError();
    return;
  }
  if (state->status != InventoryFunctions::Loaned) {
    seams::ShowMessage(QStringLiteral("This DVD has not been loaded."), Constants::kAppTitle);
    return;
  }
  LoanFrm dialog(collection_, window_);
  dialog.DVDTitle = title;
  dialog.TitleCaption = QStringLiteral("Loan ") + title;
  dialog.EditMode = true;
  dialog.Seen = {state->status, state->name};
  ScannerFunctions::SetCodeComplete(0);
  dialog.exec();
  Finish();
}

void InventoryCommands::GetStatus() {
  DVDReportFrm report(collection_, window_);
  report.LoadForm();
  report.Clear();
  // The window is up (and takes no clicks meanwhile) while the collection is read.
  report.setWindowModality(Qt::ApplicationModal);
  report.show();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  for (const QString& line : InventoryFunctions::StatusReportLines(collection_, seams::Today())) {
    report.AddLine(line);
  }
  report.ShowModal();
}

void InventoryCommands::GoPhoneBook() {
  PhoneBookFrm phoneBook(collection_, window_);
  connect(&phoneBook, &PhoneBookFrm::DVDChosen, this, [this](const QString& title) {
    window_->SelectDVD(title);
    window_->DVDSelected();
  });
  if (phoneBook.LoadForm()) phoneBook.exec();
}

void InventoryCommands::SearchForDVD() {
  SearchFrm search(collection_, window_);
  // The whole refresh of a selection, loan buttons included: the toolbar must offer to return a
  // DVD that is lent, not to lend it.
  connect(&search, &SearchFrm::DVDChosen, this, [this](const QString& title) {
    window_->SelectDVD(title);
    window_->DVDSelected();
  });
  if (search.LoadForm()) search.exec();
}

void InventoryCommands::GoReminders() {
  RemindersFrm reminders(collection_, window_);
  if (reminders.LoadForm()) reminders.exec();
}

void InventoryCommands::About() {
  AboutFrm about(collection_, window_);
  about.LoadForm();
  about.exec();
}

void InventoryCommands::ScannerTick() {
  if (!ScannerFunctions::CheckScanner()) return;
  // Taken while another window or a message is open (the Add/Edit dialog polls for itself), a
  // scan is dropped: it must not start a second command over the one under way, nor one later.
  if (QApplication::activeModalWidget()) {
    window_->Message(QStringLiteral("Scan ignored: close the open window, then scan again."));
    return;
  }
  const QString code = ScannerFunctions::ScannedCode();
  if (code.isEmpty()) {
    seams::ShowMessage(QStringLiteral("There was a problem reading the scanned bar code. It is "
                                      "possible the scanner you are using does not support the "
                                      "bar code type you are trying to scan. Try to restart your "
                                      "computer to rectify the situation."),
                       QStringLiteral("Uh Oh"), seams::MsgIcon::Information);
    return;
  }
  if (window_->isMinimized()) window_->showNormal();
  // Only the window's own events: a click queued meanwhile must not start a command first.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  window_->raise();
  window_->activateWindow();
  if (InventoryFunctions::IsDVD(collection_, code)) {
    LoanDVD(code);
  } else {
    AddDVD(code);
  }
}
