#pragma once

#include <QFrame>
#include <memory>

class Collection;

class LoansList;
class QComboBox;
class QLineEdit;
class QPushButton;

// The "Phone Book" tab of the main window (PhoneBookFrame): one phone book entry, picked or typed
// by name, saved and deleted through the phone book's shared record operations.
class PhoneBookPanel final : public QFrame {
  Q_OBJECT

 public:
  PhoneBookPanel(Collection& collection, QWidget* page, int labelWidth);
  ~PhoneBookPanel() override;

  void LoadPhoneNames();
  void LoadPhoneBookInfo();
  // Shows the entry of that name (empty boxes when there is none).
  void ShowEntry(const QString& name);
  void ClearPhoneBookInfo();
  void SavePhoneInfo();
  void DelPhoneInfo();

  // The height the tab needs to show every box above the Save and Delete buttons.
  int ContentHeight() const { return contentHeight_; }

 signals:
  // A save or delete changed the phone book; the window refreshes its detail panel, which ends by
  // reloading this tab.
  void EntryChanged();
  // A loan of the borrower was double-clicked (or Enter pressed on it): the window goes to its
  // DVD.
  void DVDChosen(const QString& title);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Collection& collection_;
  class Form;

  void TypingName();
  // The borrower's loans and their summary; read only while the tab is in view.
  void ShowLoans();

  QComboBox* nameTxt_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QLineEdit* summaryTxt_ = nullptr;
  LoansList* loansList_ = nullptr;
  bool loansShown_ = false;  // the loans on show are those of the name in the box
  std::unique_ptr<Form> form_;
  int contentHeight_ = 0;
};
