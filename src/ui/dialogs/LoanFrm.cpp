#include "ui/dialogs/LoanFrm.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>

#include "app/Collection.h"
#include "inventory/InventoryRecords.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerRecords.h"
#include "seams/Clock.h"
#include "seams/MessageBox.h"
#include "ui/common/DialogChrome.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/LoanWords.h"
#include "ui/common/PanelRows.h"

using CustomerFunctions::Field;
using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;

namespace LoanDates {

double LeadingNumber(const QString& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i].isSpace()) ++i;
  const qsizetype start = i;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
  const qsizetype digits = i;
  while (i < n && text[i] >= u'0' && text[i] <= u'9') ++i;
  bool any = i > digits;
  if (i < n && text[i] == u'.') {
    const qsizetype fraction = ++i;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') ++i;
    any = any || i > fraction;
  }
  if (!any) return 0;
  // Digits only from here: the conversion cannot fail, though it may be huge.
  return QStringView(text).mid(start, i - start).toDouble();
}

bool IsNumber(const QString& text) {
  static const QRegularExpression number(
      QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)\\s*$"));
  return number.match(text).hasMatch();
}

QDate DueDate(const QDate& today, double days, const QDate& earliest, const QDate& latest) {
  const double whole = std::floor(days);
  if (whole <= double(today.daysTo(earliest))) return earliest;
  if (whole >= double(today.daysTo(latest))) return latest;
  return today.addDays(qint64(whole));
}

}  // namespace LoanDates

namespace {

const QString kSmiles = QStringLiteral(
    ":-)   (o:   :o)   (-:   :-)   (o:   :o)   (-:    :-)   (o:   :o)   (-:   :-)   (o:   :o)   "
    "(-:");

// The user's short date format with the year in full.
QString PickerFormat() {
  static const QRegularExpression years(QStringLiteral("y+"));
  QString format = QLocale().dateFormat(QLocale::ShortFormat);
  format.replace(years, QStringLiteral("yyyy"));
  return format;
}

// A date picker that Tab leaves for the next control, as the dialog's tab order says; the arrow
// keys still move between day, month and year.
class DatePickerBox final : public QDateEdit {
 public:
  DatePickerBox() {
    setCalendarPopup(true);
    setDisplayFormat(PickerFormat());
  }

 protected:
  bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

QDateEdit* DatePicker() { return new DatePickerBox; }

}  // namespace

LoanFrm::LoanFrm(Collection& collection, QWidget* parent)
    : SavingDialog(parent),
      collection_(collection),
      nameTxt_(ChoiceBox()),
      outDateTxt_(DatePicker()),
      daysDueTxt_(new QLineEdit),
      dueDateTxt_(DatePicker()),
      notesTxt_(NewLinesBox(QStringLiteral("NotesTxt"),
                            QStringLiteral("Extra notes such as, the names of other people in "
                                           "there house, etc..."))),
      removeButton_(new QPushButton(QStringLiteral("Del From List"))) {
  setObjectName(QStringLiteral("LoanFrm"));
  const QString of = QStringLiteral(" of the person you are loaning your DVD to.");
  AddRow(0, QStringLiteral("Name:"), QStringLiteral("NameTxt"), nameTxt_,
         QStringLiteral("Who has your DVD."));
  struct Line {
    const char* caption;
    const char* name;
    QString hint;
  };
  const Line lines[] = {
      {"Address:", "AddressTxt", "The address" + of},
      {"City:", "CityTxt", "The city" + of},
      {"State:", "StateTxt", kSmiles},
      {"Zip:", "ZipTxt", kSmiles},
      {"Phone:", "PhoneTxt", "The phone number" + of},
      {"Fax", "FaxTxt", "The fax number" + of},
      {"Cell:", "CellTxt", "The mobile phone number" + of},
      {"E-mail:", "EmailTxt", "The e-mail address" + of},
  };
  for (size_t i = 0; i < boxes_.size(); ++i) {
    boxes_[i] = new QLineEdit;
    AddRow(int(i) + 1, QString::fromUtf8(lines[i].caption), QString::fromUtf8(lines[i].name),
           boxes_[i], lines[i].hint, 2);
  }
  AddRow(9, QStringLiteral("Out Date:"), QStringLiteral("OutDateTxt"), outDateTxt_, QString());
  AddRow(10, QStringLiteral("Days Due:"), QStringLiteral("DaysDueTxt"), daysDueTxt_,
         QStringLiteral("How many days before you want to be reminded to get it back."));
  AddRow(11, QStringLiteral("Due Date:"), QStringLiteral("DueDateTxt"), dueDateTxt_, QString());
  notesTxt_->setMinimumHeight(4 * notesTxt_->fontMetrics().lineSpacing());
  QLabel* notesLbl =
      AddRow(12, QStringLiteral("Notes:"), QStringLiteral("NotesTxt"), notesTxt_, QString(), 2);
  notesLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  removeButton_->setObjectName(QStringLiteral("RemoveButton"));
  removeButton_->setProperty("Tag", QStringLiteral("Removes selected name from the list."));
  QFont serif = removeButton_->font();
  serif.setFamily(QStringLiteral("Times New Roman"));
  removeButton_->setFont(serif);
  removeButton_->setAutoDefault(false);
  Rows()->addWidget(removeButton_, 0, 2);
  Rows()->setColumnStretch(1, 1);

  connect(nameTxt_, &QComboBox::editTextChanged, this, &LoanFrm::TypingName);
  connect(nameTxt_, &QComboBox::activated, this, &LoanFrm::LoadSelectedName);
  connect(daysDueTxt_, &QLineEdit::textChanged, this, [this] {
    if (!UpdatingDays) UpdateDate();
  });
  connect(dueDateTxt_, &QDateEdit::dateChanged, this, [this] {
    if (!UpdatingDate) UpdateDays();
  });
  // The out date is the record's; days due count from today whatever it says.
  connect(outDateTxt_, &QDateEdit::dateChanged, this, &LoanFrm::UpdateDays);
  connect(removeButton_, &QPushButton::clicked, this, &LoanFrm::DelFromList);

  FinishLayout(56 * fontMetrics().averageCharWidth());
  QWidget* order[] = {nameTxt_,      boxes_[Address], boxes_[City],   boxes_[State],
                      boxes_[Zip],   boxes_[Phone],   boxes_[Fax],    boxes_[Cell],
                      boxes_[Email], outDateTxt_,     daysDueTxt_,    dueDateTxt_,
                      notesTxt_,     OkButton(),      CancelButton(), removeButton_};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

LoanFrm::~LoanFrm() = default;

void LoanFrm::LoadForm() {
  Chrome()->SetTitle(TitleCaption);
  Cancelled = false;
  const QDate today = seams::Today();
  outDateTxt_->setDate(today);
  dueDateTxt_->setDate(today);
  LoadNameList();
  if (EditMode) LoadControls();
  UpdateDays();
  nameTxt_->setFocus();
}

void LoanFrm::UpdateDate() {
  UpdatingDate = true;
  dueDateTxt_->setDate(LoanDates::DueDate(seams::Today(),
                                          LoanDates::LeadingNumber(daysDueTxt_->text()),
                                          dueDateTxt_->minimumDate(), dueDateTxt_->maximumDate()));
  UpdatingDate = false;
}

void LoanFrm::UpdateDays() {
  UpdatingDays = true;
  daysDueTxt_->setText(QString::number(seams::Today().daysTo(dueDateTxt_->date())));
  UpdatingDays = false;
}

void LoanFrm::LoadNameList() {
  FormHelpers::SetChoices(nameTxt_, CustomerFunctions::BorrowerNames(collection_));
}

void LoanFrm::SetNameQuietly(const QString& name) {
  settingName_ = true;
  nameTxt_->setEditText(name);
  settingName_ = false;
}

void LoanFrm::TypingName() {
  if (settingName_) return;
  FormHelpers::AutoComplete(nameTxt_);
  LoadSelectedName();
}

void LoanFrm::LoadSelectedName() {
  const std::optional<CustomerFunctions::Customer> found =
      CustomerFunctions::FindCustomer(collection_, nameTxt_->currentText());
  if (!found) {
    ClearFields();
    return;
  }
  // The stored spelling; rewriting an unchanged text would undo the completion's selection.
  if (nameTxt_->currentText() != found->name) SetNameQuietly(found->name);
  for (size_t i = 0; i < boxes_.size(); ++i)
    PanelRows::ShowText(boxes_[i], found->Text(CustomerFunctions::kFields[i]));
  notesTxt_->setPlainText(PanelRows::ToEditor(found->Text(Field::Notes)));
}

void LoanFrm::ClearFields() {
  for (QLineEdit* box : boxes_) box->clear();
  outDateTxt_->setDate(seams::Today());
  dueDateTxt_->setDate(seams::Today());
  notesTxt_->clear();
}

void LoanFrm::LoadControls() {
  const std::optional<InventoryFunctions::DVDRecord> dvd =
      InventoryFunctions::FindDVD(collection_, DVDTitle);
  if (!dvd) return;
  const std::optional<CustomerFunctions::Customer> borrower =
      CustomerFunctions::FindCustomer(collection_, dvd->name);
  if (borrower) {
    SetNameQuietly(borrower->name);
    for (size_t i = 0; i < boxes_.size(); ++i) {
      PanelRows::ShowText(boxes_[i], borrower->Text(CustomerFunctions::kFields[i]));
    }
    notesTxt_->setPlainText(PanelRows::ToEditor(borrower->Text(Field::Notes)));
  } else {
    // The borrower's entry is gone from the phone book: the loan as stored is still shown, so
    // that saving does not silently replace its name and dates.
    SetNameQuietly(dvd->name);
  }
  if (dvd->outDate.isValid()) outDateTxt_->setDate(dvd->outDate.date());
  if (dvd->dueDate.isValid()) dueDateTxt_->setDate(dvd->dueDate.date());
}

void LoanFrm::DelFromList() {
  const QString name = nameTxt_->currentText();
  if (CustomerFunctions::HasCustomer(collection_, name)) {
    if (seams::ShowMessage(
            LoanWords::WithLine(QStringLiteral("Are you sure you want to delete this name?"),
                                LoanWords::StillHas(collection_, name)),
            QStringLiteral("Delete?"), MsgIcon::Question, MsgButtons::YesNo,
            MsgAnswer::Yes) == MsgAnswer::Yes) {
      CustomerFunctions::DeleteCustomer(collection_, name);
    }
  } else {
    seams::ShowMessage(QStringLiteral("Name is not in list."), QStringLiteral("What?"),
                       MsgIcon::Information);
  }
  LoadNameList();
}

void LoanFrm::SayLoanMoved() {
  seams::ShowMessage(QStringLiteral("This DVD has been lent or returned meanwhile. The list now "
                                    "shows it as it is."),
                     QStringLiteral("DVD Changed"), MsgIcon::Information);
}

bool LoanFrm::SaveStuff() {
  if (Cancelled) return true;
  const QString daysDue = QStringLiteral("Enter Days Due");
  // Any other text would silently stand for 0 days.
  if (!LoanDates::IsNumber(daysDueTxt_->text())) {
    seams::ShowMessage(QStringLiteral("You must enter the number of days to continue."), daysDue,
                       MsgIcon::Information);
    daysDueTxt_->setFocus();
    return false;
  }
  CustomerFunctions::Customer borrower;
  borrower.name = nameTxt_->currentText();
  for (size_t i = 0; i < boxes_.size(); ++i)
    borrower.Text(CustomerFunctions::kFields[i]) = boxes_[i]->text();
  borrower.Text(Field::Notes) = PanelRows::FromEditor(notesTxt_->toPlainText());
  const auto write = EditMode ? &InventoryFunctions::ChangeLoan : &InventoryFunctions::LendDVD;
  switch (write(collection_, DVDTitle, borrower, outDateTxt_->date(), dueDateTxt_->date(), Seen)) {
    case InventoryFunctions::DVDOutcome::Saved:
      return true;
    case InventoryFunctions::DVDOutcome::NameMissing:
      seams::ShowMessage(QStringLiteral("You must enter a Name to continue."),
                         QStringLiteral("Enter Name"), MsgIcon::Information);
      nameTxt_->setFocus();
      return false;
    case InventoryFunctions::DVDOutcome::DueBeforeOut:
      seams::ShowMessage(QStringLiteral("The Due Date cannot be before the Out Date."), daysDue,
                         MsgIcon::Information);
      daysDueTxt_->setFocus();
      return false;
    case InventoryFunctions::DVDOutcome::LoanMoved:
      // The dialog was filled for a loan that no longer is; the list shows the DVD as it is now.
      SayLoanMoved();
      Cancelled = true;
      return true;
    default:
      seams::ShowMessage(QStringLiteral("Could not save data."), QStringLiteral("Error"),
                         MsgIcon::Critical);
      return false;
  }
}
