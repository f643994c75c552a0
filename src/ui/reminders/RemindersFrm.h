#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "inventory/Reminders.h"

class Collection;

class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTimer;
class QTreeWidget;

// The Reminders window: every borrower with DVDs overdue or soon due, each with their DVDs, and
// for the selected one a friendly letter, from a template the user edits here, sent by e-mail,
// copied for a message, printed or saved as a PDF file. Opened modally by the main window.
class RemindersFrm final : public QDialog {
  Q_OBJECT

 public:
  explicit RemindersFrm(Collection& collection, QWidget* parent = nullptr);
  ~RemindersFrm() override;

  // The load: placement, the setting of days, the template and the list. False when the
  // collection could not be read (the failure has been reported); the window is then not shown.
  bool LoadForm();

  // The borrowers again from the collection; the selected borrower stays selected.
  void LoadBorrowers();
  // The selected borrower's name, or empty text.
  QString SelectedBorrower() const;
  void SelectBorrower(const QString& name);

  // The four ways to send the selected borrower's reminder. Each builds the letter from the
  // collection as it is now and notes the reminder in the loan history once it has gone.
  void EmailReminder();
  void CopyReminder();
  void PrintReminder();
  void SaveReminderAsPdf();

  // Shows a text in the status bar when it differs from what is shown; the hover hints come here.
  Q_INVOKABLE void Message(const QString& text);

 public slots:
  // Every way of closing ends here: the template and the placement are stored once.
  void done(int result) override;

 private:
  Collection& collection_;
  // The selected borrower as the collection has them now, or none (and the user told why).
  std::optional<Reminders::Borrower> Current();
  QString Letter(const Reminders::Borrower& borrower);
  void Copy(const Reminders::Borrower& borrower);
  void Print(bool toPdf);
  void Record(const Reminders::Borrower& borrower, const QString& how);
  void SaveTemplate();
  void UpdateButtons();
  // Runs the work; a failure of the database engine is reported and the window stays usable.
  bool Reported(const std::function<void()>& work);

  QSpinBox* daysTxt_ = nullptr;
  QTreeWidget* borrowersList_ = nullptr;
  QPlainTextEdit* templateTxt_ = nullptr;
  QPushButton* emailButton_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QPushButton* printButton_ = nullptr;
  QPushButton* pdfButton_ = nullptr;
  QPushButton* defaultButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QStatusBar* messBar_ = nullptr;
  QTimer* tagTimer_ = nullptr;
  bool loaded_ = false;
  bool unloaded_ = false;
};
