#pragma once

#include <QDate>
#include <QString>
#include <array>

#include "inventory/InventoryWrites.h"
#include "ui/dialogs/SavingDialog.h"

class Collection;

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The modal dialog through which a DVD is lent, or its current loan changed: who has it (kept in
// the phone book as well), when it went out and when it is due back. Out date, days due and due
// date are kept in agreement as they are edited; days always count from today.
class LoanFrm final : public SavingDialog {
  Q_OBJECT

 public:
  explicit LoanFrm(Collection& collection, QWidget* parent = nullptr);
  ~LoanFrm() override;

  // Shown in the title strip.
  QString TitleCaption;
  // The DVD being lent; the key of its Inventory row.
  QString DVDTitle;
  // True: change the current loan (the fields start from it). False: a new loan.
  bool EditMode = false;
  // The DVD's loan as the caller found it before opening the dialog; the write is made over it.
  InventoryFunctions::LoanSeen Seen;

  bool SaveStuff() override;
  // The message for a loan write refused because the DVD was lent or returned meanwhile.
  static void SayLoanMoved();

  // Due date := today + the number the days text starts with.
  void UpdateDate();
  // Days text := due date - today, in days.
  void UpdateDays();
  // The name list from the phone book; the typed name stays.
  void LoadNameList();
  // The borrower fields of the entry of the typed name, or ClearFields when there is none.
  void LoadSelectedName();
  // Empties the borrower fields and puts both dates back to today; the name stays.
  void ClearFields();
  // Edit mode: the stored loan and its borrower.
  void LoadControls();
  // "Del From List": deletes the typed name from the phone book after a question.
  void DelFromList();

 protected:
  void LoadForm() override;

 private:
  Collection& collection_;
  // The borrower's boxes besides name and notes, in the order of the phone book's fields.
  enum Box { Address, City, State, Zip, Phone, Fax, Cell, Email };
  void TypingName();
  // Puts a name into the box without the typing reaction (completion and look-up).
  void SetNameQuietly(const QString& name);

  QComboBox* nameTxt_;
  std::array<QLineEdit*, 8> boxes_{};
  QDateEdit* outDateTxt_;
  QLineEdit* daysDueTxt_;
  QDateEdit* dueDateTxt_;
  QPlainTextEdit* notesTxt_;
  QPushButton* removeButton_;

  bool UpdatingDate = false;
  bool UpdatingDays = false;
  bool settingName_ = false;
};

namespace LoanDates {

// The number a days text starts with: leading blanks skipped, an optional sign, digits and an
// optional fraction; 0 when the text does not start with a number.
double LeadingNumber(const QString& text);
// Whether a days text is a number and nothing else (blanks around it aside).
bool IsNumber(const QString& text);
// today + days (the whole days the number reaches, counted from the start of today), held
// within [earliest, latest] however large the number.
QDate DueDate(const QDate& today, double days, const QDate& earliest, const QDate& latest);

}  // namespace LoanDates
