#pragma once

#include <QDate>
#include <QFrame>

#include "inventory/DVDRecord.h"

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;

// The "DVD Info" tab of the main window (DVDInfoFrame): the selected DVD's catalogue data, for
// display only; changes go through the window's commands.
class DVDInfoPanel final : public QFrame {
  Q_OBJECT

 public:
  DVDInfoPanel(QWidget* page, int labelWidth);

  void Show(const InventoryFunctions::DVDRecord& dvd, const QDate& today);
  void Clear();

  // The title box: the other panels' rows line up with it.
  QLineEdit* TitleBox() const { return titleTxt_; }
  // Inset of the description box inside its frame, in pixels.
  int DescriptionInset() const;

 private:
  QLineEdit* titleTxt_ = nullptr;
  QLineEdit* statusTxt_ = nullptr;
  QLineEdit* categoryTxt_ = nullptr;
  QLineEdit* ratedTxt_ = nullptr;
  QLineEdit* starringTxt_ = nullptr;
  QLineEdit* barCodeTxt_ = nullptr;
  QGroupBox* descFrame_ = nullptr;
  QPlainTextEdit* descriptionTxt_ = nullptr;
};
