#pragma once

#include <QObject>
#include <QString>

class Collection;

class QTimer;
class ReelKeeperFrm;

// The main window's commands: the toolbar's, the list's gestures and the scanner's. Each asks the
// domain for its write (through the dialog it opens) and leaves the refreshing to the change
// notice; what is left to a command is where the window's selection and focus end up.
class InventoryCommands final : public QObject {
  Q_OBJECT

 public:
  explicit InventoryCommands(Collection& collection, ReelKeeperFrm* window);

  // The scanner's poll, started once the window has loaded.
  QTimer* ScannerTimer() const { return scannerTimer_; }

 public slots:
  void AddDVD(const QString& barCode = QString());
  void EditDVD();
  void DeleteDVD();
  void LoanDVD(const QString& barCode = QString());
  void EditLoan();
  void GetStatus();
  void GoPhoneBook();
  void SearchForDVD();
  void GoReminders();
  void About();

 private:
  Collection& collection_;
  // What every command that may have written ends with: the list (picking up what another
  // program wrote meanwhile), the focus on it, the detail panel.
  void Finish();
  void ScannerTick();

  ReelKeeperFrm* window_;
  QTimer* scannerTimer_;
};
