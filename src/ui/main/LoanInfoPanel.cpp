#include "ui/main/LoanInfoPanel.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>

#include "seams/Clock.h"
#include "ui/common/PanelRows.h"

namespace {

const QString kLoanHint =
    QStringLiteral("To edit this loan click the \"Edit Loan\" button in the list on the left.");
const QString kDateFormat = QStringLiteral("MM/dd/yyyy - MMMM dd, yyyy");

// What a date picker holds: the shown date as text in its Tag, or empty text and today.
void SetPickerDate(QDateEdit* picker, const QDate& date) {
  picker->setProperty("Tag", InventoryFunctions::ShortDateText(date));
  picker->setProperty("StoredDate", date);
  picker->setDate(date.isValid() ? date : seams::Today());
}

// The pickers are for display: whatever the user picks, the stored date comes back.
void SnapBack(QDateEdit* picker) {
  const QDate stored = picker->property("Tag").toString().isEmpty()
                           ? seams::Today()
                           : picker->property("StoredDate").toDate();
  if (stored.isValid() && picker->date() != stored) picker->setDate(stored);
}

QDate DateOf(const QDateTime& value) { return value.isValid() ? value.date() : QDate(); }

}  // namespace

LoanInfoPanel::LoanInfoPanel(QWidget* page, int labelWidth) : QFrame(page) {
  using PanelRows::DisplayBox;
  setObjectName(QStringLiteral("LoanInfoFrame"));
  setAccessibleName(QStringLiteral("Loan Info"));
  auto* outDate = new QDateEdit(this);
  auto* dueDate = new QDateEdit(this);
  const int rowHeight = std::max(QLineEdit().sizeHint().height(), outDate->sizeHint().height());
  PanelRows::Column rows(this, labelWidth, rowHeight);
  nameTxt_ =
      rows.Add(QStringLiteral("Name:"), QStringLiteral("NameTxt"), DisplayBox(this), kLoanHint);
  addressTxt_ = rows.Add(QStringLiteral("Address:"), QStringLiteral("AddressTxt"), DisplayBox(this),
                         kLoanHint);
  cityTxt_ =
      rows.Add(QStringLiteral("City:"), QStringLiteral("CityTxt"), DisplayBox(this), kLoanHint);
  stateTxt_ =
      rows.Add(QStringLiteral("State:"), QStringLiteral("StateTxt"), DisplayBox(this), kLoanHint);
  zipTxt_ = rows.Add(QStringLiteral("Zip:"), QStringLiteral("ZipTxt"), DisplayBox(this), kLoanHint);
  phoneTxt_ =
      rows.Add(QStringLiteral("Phone:"), QStringLiteral("PhoneTxt"), DisplayBox(this), kLoanHint);
  faxTxt_ = rows.Add(QStringLiteral("Fax:"), QStringLiteral("FaxTxt"), DisplayBox(this), kLoanHint);
  cellTxt_ =
      rows.Add(QStringLiteral("Cell:"), QStringLiteral("CellTxt"), DisplayBox(this), kLoanHint);
  // The pickers' Tag holds the date they show (empty when no loan is shown), not a hint.
  outDateTxt_ =
      rows.Add(QStringLiteral("Out Date:"), QStringLiteral("OutDateTxt"), outDate, QString());
  dueDateTxt_ =
      rows.Add(QStringLiteral("Due Date:"), QStringLiteral("DueDateTxt"), dueDate, QString());
  for (QDateEdit* picker : {outDateTxt_, dueDateTxt_}) {
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(kDateFormat);
    connect(picker, &QDateEdit::dateChanged, this, [picker] { SnapBack(picker); });
  }
  daysDueTxt_ = rows.Add(QStringLiteral("Days Due:"), QStringLiteral("DaysDueTxt"),
                         DisplayBox(this), kLoanHint);
  notesTxt_ = rows.Add(QStringLiteral("Notes:"), QStringLiteral("NotesTxt"),
                       PanelRows::NotesBox(this, true), kLoanHint, 3 * rowHeight);
  findChild<QLabel*>(QStringLiteral("NotesLbl"))->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  contentHeight_ = rows.Top() - PanelRows::kRowGap;
}

void LoanInfoPanel::Show(const InventoryFunctions::DVDRecord& dvd,
                         const CustomerFunctions::Customer& borrower, const QDate& today) {
  using CustomerFunctions::Field;
  using PanelRows::ShowText;
  ShowText(nameTxt_, borrower.name);
  ShowText(addressTxt_, borrower.Text(Field::Address));
  ShowText(cityTxt_, borrower.Text(Field::City));
  ShowText(stateTxt_, borrower.Text(Field::State));
  ShowText(zipTxt_, borrower.Text(Field::Zip));
  ShowText(phoneTxt_, borrower.Text(Field::Phone));
  ShowText(cellTxt_, borrower.Text(Field::Cell));
  ShowText(faxTxt_, borrower.Text(Field::Fax));
  SetPickerDate(outDateTxt_, DateOf(dvd.outDate));
  SetPickerDate(dueDateTxt_, DateOf(dvd.dueDate));
  ShowText(daysDueTxt_, InventoryFunctions::DaysDueText(dvd, today));
  notesTxt_->setPlainText(PanelRows::ToEditor(borrower.Text(Field::Notes)));
}

void LoanInfoPanel::Clear() {
  for (QLineEdit* box :
       {nameTxt_, addressTxt_, cityTxt_, stateTxt_, zipTxt_, phoneTxt_, cellTxt_, faxTxt_}) {
    box->clear();
  }
  SetPickerDate(outDateTxt_, QDate());
  SetPickerDate(dueDateTxt_, QDate());
  daysDueTxt_->clear();
  notesTxt_->clear();
}

int LoanInfoPanel::DateBoxWidth() const {
  // Measured over the picker's earliest and latest dates, which between them have the longest
  // month name.
  return outDateTxt_->sizeHint().width();
}
