#pragma once

#include <QDate>
#include <QFrame>

#include "inventory/DVDRecord.h"
#include "phonebook/CustomerRecords.h"

class QDateEdit;
class QLineEdit;
class QPlainTextEdit;

// The "Loan Info" tab of the main window (LoanInfoFrame): the selected DVD's loan with the
// borrower's address from the phone book, for display only. The two date pickers can be opened
// and browsed, but always come back to the stored date.
class LoanInfoPanel final : public QFrame {
  Q_OBJECT

 public:
  LoanInfoPanel(QWidget* page, int labelWidth);

  void Show(const InventoryFunctions::DVDRecord& dvd, const CustomerFunctions::Customer& borrower,
            const QDate& today);
  // Empty boxes, both pickers at today.
  void Clear();
  // The height every row needs, the notes box's whole included.
  int ContentHeight() const { return contentHeight_; }
  // The width that shows a whole date in a picker.
  int DateBoxWidth() const;

 private:
  int contentHeight_ = 0;
  QLineEdit* nameTxt_ = nullptr;
  QLineEdit* addressTxt_ = nullptr;
  QLineEdit* cityTxt_ = nullptr;
  QLineEdit* stateTxt_ = nullptr;
  QLineEdit* zipTxt_ = nullptr;
  QLineEdit* phoneTxt_ = nullptr;
  QLineEdit* faxTxt_ = nullptr;
  QLineEdit* cellTxt_ = nullptr;
  QDateEdit* outDateTxt_ = nullptr;
  QDateEdit* dueDateTxt_ = nullptr;
  QLineEdit* daysDueTxt_ = nullptr;
  QPlainTextEdit* notesTxt_ = nullptr;
};
