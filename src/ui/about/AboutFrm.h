#pragma once

#include <QDialog>
#include <QString>

class Collection;

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

// The About window: the program's name, version and home page, the overdue check at log-on, the
// database clean-up with the number of automatic backups it keeps, and the documentation. Opened
// modally by the main window.
class AboutFrm final : public QDialog {
  Q_OBJECT

 public:
  explicit AboutFrm(Collection& collection, QWidget* parent = nullptr);
  ~AboutFrm() override;

  // The load: the log-on box shows whether the log-on entry is there, switched on and runs
  // something.
  void LoadForm();

  // Set once a clean-up ran: the caller reads its list again (a salvage may have kept fewer rows).
  bool CleanedUp = false;

  // The documentation file of that name beside the program, else in the installed documentation
  // folder; empty when it is in neither.
  static QString FindDocument(const QString& name);

 protected:
  // Whatever closes the window: the log-on entry follows the box.
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Collection& collection_;
  void CleanUpDatabase();
  void OpenDocumentation();
  void OpenHomePage();
  void SaveLogOnEntry();
  void SaveBackupsKept();

  QCheckBox* checkChk_ = nullptr;
  QSpinBox* keptBox_ = nullptr;
  QLabel* label3_ = nullptr;
  QLabel* image1_ = nullptr;
  QTimer* tagTimer_ = nullptr;
  bool saved_ = false;
};
