#pragma once

#include <QDate>
#include <QFrame>
#include <QString>

class Collection;

class LoansList;
class QLineEdit;

// The "History" tab of the main window (HistoryFrame): every loan of the selected DVD, newest
// first, with a summary line. Read from the loan history each time it is shown.
class HistoryPanel final : public QFrame {
  Q_OBJECT

 public:
  HistoryPanel(Collection& collection, QWidget* page, int labelWidth);

  void Show(const QString& title, const QDate& today);
  void Clear();

 signals:
  // A loan was double-clicked (or Enter pressed on it): the window goes to its borrower.
  void BorrowerChosen(const QString& name);

 private:
  Collection& collection_;
  QLineEdit* summaryTxt_ = nullptr;
  LoansList* loansList_ = nullptr;
};
