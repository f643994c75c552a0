#pragma once

#include <QString>

#include "inventory/DVDRecord.h"
#include "ui/dialogs/SavingDialog.h"

class Collection;

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QStringListModel;
class QTimer;

// The modal dialog through which a DVD's catalogue data is added or edited. The caller sets the
// public variables before exec() and reads Cancelled and DVDTitle afterwards; Ok asks the
// inventory owner to write the DVD and shows its answer. The loan columns are never touched here.
class AddEditFrm final : public SavingDialog {
  Q_OBJECT

 public:
  explicit AddEditFrm(Collection& collection, QWidget* parent = nullptr);
  ~AddEditFrm() override;

  // Shown in the title strip.
  QString TitleCaption;
  // True: a new DVD. False: the DVD titled DVDTitle.
  bool AddMode = false;
  // Edit: the title when the dialog opened, the key of the record (also after a title change).
  // Add: after a successful save, the title the DVD was stored under.
  QString DVDTitle;
  // The boxes' first texts in edit mode.
  QString Category;
  QString Rated;
  QString Starring;
  QString Description;
  // The first bar code; when it is not empty the box is locked and scanned codes are dropped.
  QString BarCode;

  bool SaveStuff() override;
  // The title the DVD was stored under by the save that closed the dialog (in edit mode too);
  // empty when nothing was saved.
  const QString& SavedTitle() const { return savedTitle_; }

  // The three choice lists from the distinct values stored; the text in the box stays.
  void LoadCategories();
  void LoadRatings();
  void LoadStars();

 protected:
  void LoadForm() override;
  // The dialog polls the scanner only while it is shown.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  Collection& collection_;
  void FillChoices(QComboBox* box, InventoryFunctions::DVDField field);
  void CheckCheck();
  InventoryFunctions::DVDRecord Typed() const;

  QLineEdit* titleTxt_;
  QComboBox* categoryTxt_;
  QComboBox* ratedTxt_;
  QComboBox* starringTxt_;
  QLineEdit* barCodeTxt_;
  QPlainTextEdit* descriptionTxt_;
  QTimer* checkCheck_;
  QString savedTitle_;
};
