#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class Collection;

class QPushButton;
class ReportView;
class QTimer;

// The "DVD Status Report" window: the report the main window composes, in a scrollable text
// box, printed on the default printer; and the inventory list, printed from here as well.
class DVDReportFrm final : public QDialog {
  Q_OBJECT

 public:
  explicit DVDReportFrm(Collection& collection, QWidget* parent = nullptr);
  ~DVDReportFrm() override;

  // The load: the stored placement (by default the window's own size, over its owner).
  void LoadForm();

  // The caller's sequence: Clear, one AddLine per line, ShowModal.
  void AddLine(const QString& line);
  void Clear();
  // Shows the window modally; returns when it has been closed.
  void ShowModal();

  void ResizeMe();
  void LoadWindow();
  void SaveWindow();

  // Print the report text, or the inventory list, on the default printer; without a printer the
  // user may save the pages as a PDF file instead. A failure is reported and changes nothing
  // here, so printing can be tried again.
  void PrintReport();
  void PrintInventory();

  // Shows a hover hint in the main window's status bar.
  Q_INVOKABLE void Message(const QString& text);

 public slots:
  // Every way of closing ends here: the unload stores the placement once.
  void done(int result) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  Collection& collection_;
  // The text box gets the lines in one go: a large collection's report has a million of them.
  void ShowText();
  // Widens the window to the widest line of the text, as far as the screen allows.
  void FitToText();

  ReportView* reportTxt_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QPushButton* printButton_ = nullptr;
  QPushButton* printInventoryButton_ = nullptr;
  QTimer* tagTimer_ = nullptr;
  // The text after the last line end is a line too: the lines added, then an empty one.
  QStringList lines_{QString()};
  bool textShown_ = true;
  bool fitToText_ = false;
  QString lastHint_;
  bool loaded_ = false;
  bool unloaded_ = false;
};
