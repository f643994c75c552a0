#pragma once

#include <QDialog>
#include <QString>

class DialogChrome;
class QComboBox;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;

// What the Add/Edit and Loan dialogs share: the borderless chrome, the hint line `MessBar` with
// its `TagTimer`, the Ok and Cancel buttons, and one rule for closing. Ok clears `Cancelled`,
// Cancel, the X label and Esc set it; every close request, whatever its source (the window
// manager's included), first runs SaveStuff and is refused when that returns false, so that the
// dialog stays open with everything typed.
class SavingDialog : public QDialog {
  Q_OBJECT

 public:
  ~SavingDialog() override;

  // True when the dialog was closed by Cancel, Esc or the X.
  bool Cancelled = false;

  // Validates and writes; true lets the dialog close. Run by every close request, never by the
  // caller.
  virtual bool SaveStuff() = 0;

  // Shows a text in the hint line, only when it differs from what is shown (ShowHint calls it by
  // name).
  Q_INVOKABLE void Message(const QString& mess);

  void done(int result) override;

 protected:
  explicit SavingDialog(QWidget* parent);

  // Runs once, when the dialog is first shown: the caller has set the public variables by then.
  virtual void LoadForm() = 0;

  // The grid the dialog's own rows go into: captions in column 0, controls from column 1.
  QGridLayout* Rows() const { return rows_; }
  // Puts a caption and its control into a row of the grid: the label is named after the control
  // ("TitleLbl" for "TitleTxt") and is its buddy, which also gives the control its accessible
  // name; the hint goes into the control's Tag.
  QLabel* AddRow(int row, const QString& caption, const QString& name, QWidget* control,
                 const QString& hint, int columnSpan = 1);
  // A multi-line box in which Enter starts a new line: Ok is not the default button while it has
  // the focus, and Tab moves on instead of typing a tab.
  QPlainTextEdit* NewLinesBox(const QString& name, const QString& hint);
  // An editable drop-down whose completing is AutoComplete's (Qt's own completer and insertion
  // are off), cheap to fill with many thousands of choices.
  QComboBox* ChoiceBox();
  // Adds the button row and the hint line, fixes the dialog's size at least `minimumWidth` wide,
  // and places the title strip.
  void FinishLayout(int minimumWidth);

  DialogChrome* Chrome() const { return chrome_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  void setVisible(bool visible) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CancelClose();

  DialogChrome* chrome_;
  QWidget* content_;
  QGridLayout* rows_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QStatusBar* messBar_ = nullptr;
  QTimer* tagTimer_;
  bool loaded_ = false;
};
