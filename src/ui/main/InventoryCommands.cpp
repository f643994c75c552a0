// The main window's commands that change DVDs: add, edit, delete, lend or take back, and change
// a loan. Each ends by reloading the list and refreshing the detail panel.
#include "ui/main/ReelKeeperFrm.h"

#include <QTimer>

#include "app/Constants.h"
#include "inventory/ChoiceLists.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "scanner/ScannerFunctions.h"
#include "seams/Clock.h"
#include "seams/MessageBox.h"
#include "ui/common/DVDListView.h"
#include "ui/dialogs/AddEditFrm.h"
#include "ui/dialogs/LoanFrm.h"

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
// again however the dialog ends. A code completed while the dialog was open and not taken by it
// is dropped.
void ShowWithoutScannerPoll(QDialog& dialog, QTimer* scannerTimer) {
  struct Resume {
    QTimer* timer;
    ~Resume() { timer->start(); }
  } resume{scannerTimer};
  scannerTimer->stop();
  dialog.exec();
  ScannerFunctions::SetCodeComplete(0);
}

}  // namespace

ReelKeeperFrm::ListCheck ReelKeeperFrm::CheckList() const {
  const InventoryFunctions::InventoryMark now = InventoryFunctions::CurrentInventoryMark();
  return {now, now == listMark_ && listDay_ == seams::Today()};
}

void ReelKeeperFrm::ReloadListAfter(const ListCheck& check, const QStringList& titles) {
  // Reading the whole list again means reading and sorting every DVD; taking in the changed ones
  // costs two look-ups each. Whatever the command cannot vouch for is read again in full.
  const InventoryFunctions::InventoryMark now = InventoryFunctions::CurrentInventoryMark();
  if (!check.current || now.connection != check.start.connection ||
      now.dataVersion != check.start.dataVersion || listDay_ != seams::Today()) {
    LoadDVDList();
  } else {
    if (!titles.isEmpty()) {
      const QString selected = GetSelectedDVD();
      list_->ReplaceTitles(titles);
      if (!selected.isEmpty()) SelectDVD(selected);
    }
    listMark_ = now;
  }
  // Choice lists the command could not bring up to date are read again before the next dialog.
  ChoiceLists::ReadAhead();
}

void ReelKeeperFrm::AddDVD(const QString& barCode) {
  const ListCheck check = CheckList();
  AddEditFrm dialog(this);
  dialog.BarCode = barCode;
  dialog.AddMode = true;
  dialog.TitleCaption = QStringLiteral("Add DVD");
  ShowWithoutScannerPoll(dialog, scannerTimer_);
  ReloadListAfter(check, dialog.Cancelled ? QStringList() : QStringList{dialog.SavedTitle()});
  if (!dialog.Cancelled) SelectDVD(dialog.DVDTitle);
  list_->setFocus();
  DVDSelected();
}

void ReelKeeperFrm::EditDVD() {
  const QString title = GetSelectedDVD();
  if (title.isEmpty()) {
    SelectFirst(QStringLiteral("You must select a DVD before you can edit it."));
    return;
  }
  const std::optional<InventoryFunctions::DVDRecord> dvd = InventoryFunctions::FindDVD(title);
  if (!dvd) {
    seams::ShowMessage(QStringLiteral("There was an error editing a DVD."), kError,
                       MsgIcon::Critical, MsgButtons::OkCancel);
    return;
  }
  const ListCheck check = CheckList();
  AddEditFrm dialog(this);
  dialog.BarCode = dvd->barCode;
  dialog.DVDTitle = dvd->title;
  dialog.Category = dvd->category;
  dialog.Rated = dvd->rated;
  dialog.Starring = dvd->starring;
  dialog.Description = dvd->description;
  dialog.AddMode = false;
  dialog.TitleCaption = QStringLiteral("Edit ") + title;
  ShowWithoutScannerPoll(dialog, scannerTimer_);
  // A changed title is no longer in the list: nothing stays selected.
  ReloadListAfter(
      check, dialog.Cancelled ? QStringList() : QStringList{dialog.DVDTitle, dialog.SavedTitle()});
  ScannerFunctions::SetCodeComplete(0);
  list_->setFocus();
  DVDSelected();
}

void ReelKeeperFrm::DeleteDVD() {
  const QString title = GetSelectedDVD();
  if (title.isEmpty()) {
    SelectFirst(QStringLiteral("You must select a DVD before you can delete it."));
    return;
  }
  if (!Asked(QStringLiteral("Are you sure you wish to delete '") + title + QStringLiteral("'?"),
             QStringLiteral("Delete?"))) {
    return;
  }
  const ListCheck check = CheckList();
  if (!InventoryFunctions::DeleteDVD(title)) {
    seams::ShowMessage(QStringLiteral("There was an error deleting a DVD."), kError,
                       MsgIcon::Critical, MsgButtons::OkCancel);
    return;
  }
  ReloadListAfter(check, {title});
  UpdateDVDInfo();
  list_->setFocus();
  DVDSelected();
}

void ReelKeeperFrm::LoanDVD(const QString& barCode) {
  QString title;
  if (barCode.isEmpty()) {
    title = GetSelectedDVD();
    if (title.isEmpty()) {
      SelectFirst(QStringLiteral("You must select a DVD if you wish to loan it."));
      return;
    }
  } else {
    // A scanned DVD: the selection in the list plays no part.
    const std::optional<QString> scanned = InventoryFunctions::TitleOfBarCode(barCode);
    if (!scanned) {
      ProgramError();
      return;
    }
    title = *scanned;
  }
  const std::optional<InventoryFunctions::LoanState> state =
      InventoryFunctions::FindLoanState(title);
  if (!state) {
    ProgramError();
    return;
  }
  const ListCheck check = CheckList();
  bool written = false;
  if (state->status == InventoryFunctions::Loaned) {
    if (Asked(QStringLiteral("Are you sure you want to return this DVD?"),
              QStringLiteral("Return DVD?"))) {
      written = InventoryFunctions::ReturnDVD(title);
    }
  } else {
    // The main window's scanner poll runs on while the loan dialog is open.
    LoanFrm dialog(this);
    dialog.DVDTitle = title;
    dialog.TitleCaption = QStringLiteral("Loan ") + title;
    dialog.EditMode = false;
    dialog.exec();
    written = !dialog.Cancelled;
  }
  ScannerFunctions::SetCodeComplete(0);
  ChoiceLists::Untouched(check.start);
  ReloadListAfter(check, written ? QStringList{title} : QStringList());
  UpdateDVDInfo();
  list_->setFocus();
  DVDSelected();
}

void ReelKeeperFrm::EditLoan() {
  const QString title = GetSelectedDVD();
  if (title.isEmpty()) {
    SelectFirst(QStringLiteral("You must select a DVD if you wish to edit loan info."));
    return;
  }
  const std::optional<InventoryFunctions::LoanState> state =
      InventoryFunctions::FindLoanState(title);
  if (!state) {
    ProgramError();
    return;
  }
  if (state->status != InventoryFunctions::Loaned) {
    seams::ShowMessage(QStringLiteral("This DVD has not been loaded."), Constants::kAppTitle);
    return;
  }
  const ListCheck check = CheckList();
  LoanFrm dialog(this);
  dialog.DVDTitle = title;
  dialog.TitleCaption = QStringLiteral("Loan ") + title;
  dialog.EditMode = true;
  dialog.exec();
  ScannerFunctions::SetCodeComplete(0);
  ChoiceLists::Untouched(check.start);
  ReloadListAfter(check, dialog.Cancelled ? QStringList() : QStringList{title});
  list_->setFocus();
  DVDSelected();
}
