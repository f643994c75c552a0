#include "ui/dialogs/AddEditFrm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/Constants.h"
#include "inventory/InventoryRecords.h"
#include "inventory/InventoryWrites.h"
#include "scanner/ScannerFunctions.h"
#include "seams/MessageBox.h"
#include "ui/common/ChoiceModel.h"
#include "ui/common/DialogChrome.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/PanelRows.h"

using InventoryFunctions::DVDField;
using seams::MsgIcon;

AddEditFrm::AddEditFrm(QWidget* parent)
    : SavingDialog(parent),
      titleTxt_(new QLineEdit),
      categoryTxt_(ChoiceBox()),
      ratedTxt_(ChoiceBox()),
      starringTxt_(ChoiceBox()),
      barCodeTxt_(new QLineEdit),
      descriptionTxt_(NewLinesBox(QStringLiteral("DescriptionTxt"),
                                  QStringLiteral("Various info, reason for rating, other Stars, "
                                                 "etc..."))),
      checkCheck_(new QTimer(this)) {
  setObjectName(QStringLiteral("AddEditFrm"));
  AddRow(0, QStringLiteral("Title:"), QStringLiteral("TitleTxt"), titleTxt_,
         QStringLiteral("The title of your DVD."));
  AddRow(1, QStringLiteral("Category:"), QStringLiteral("CategoryTxt"), categoryTxt_,
         QStringLiteral("What type of movie is it? Action, Comedy, Sci-Fi, etc..."));
  AddRow(2, QStringLiteral("Rated:"), QStringLiteral("RatedTxt"), ratedTxt_,
         QStringLiteral("Movie Rating; G ~ PG ~ PG-13 ~ R ~ etc..."));
  AddRow(3, QStringLiteral("Starring:"), QStringLiteral("StarringTxt"), starringTxt_,
         QStringLiteral("The lead Star followed by any Co-Stars"));
  AddRow(4, QStringLiteral("Bar Code:"), QStringLiteral("BarCodeTxt"), barCodeTxt_,
         QStringLiteral("This field should be entered by the barcode scanner."));

  auto* descFrame = new QGroupBox(QStringLiteral("Description:"));
  descFrame->setObjectName(QStringLiteral("DescFrame"));
  auto* inFrame = new QVBoxLayout(descFrame);
  descriptionTxt_->setParent(descFrame);
  descriptionTxt_->setMinimumHeight(6 * descriptionTxt_->fontMetrics().lineSpacing());
  inFrame->addWidget(descriptionTxt_);
  Rows()->addWidget(descFrame, 5, 0, 1, 2);

  // Typing in a choice box completes from its own list.
  for (QComboBox* box : {categoryTxt_, ratedTxt_, starringTxt_}) {
    connect(box, &QComboBox::editTextChanged, this, [box] { FormHelpers::AutoComplete(box); });
  }

  FinishLayout(60 * fontMetrics().averageCharWidth());
  setTabOrder(titleTxt_, categoryTxt_);
  setTabOrder(categoryTxt_, ratedTxt_);
  setTabOrder(ratedTxt_, starringTxt_);
  setTabOrder(starringTxt_, barCodeTxt_);
  setTabOrder(barCodeTxt_, descriptionTxt_);
  setTabOrder(descriptionTxt_, OkButton());
  setTabOrder(OkButton(), CancelButton());

  checkCheck_->setObjectName(QStringLiteral("CheckCheck"));
  checkCheck_->setInterval(100);
  connect(checkCheck_, &QTimer::timeout, this, &AddEditFrm::CheckCheck);
}

AddEditFrm::~AddEditFrm() = default;

void AddEditFrm::LoadForm() {
  Chrome()->SetTitle(TitleCaption);
  Cancelled = false;
  barCodeTxt_->setText(BarCode);
  // A code given by the caller (a scan) can be neither typed over nor scanned again.
  barCodeTxt_->setEnabled(BarCode.isEmpty());
  if (!AddMode) {
    titleTxt_->setText(DVDTitle);
    titleTxt_->setCursorPosition(0);
    categoryTxt_->setEditText(Category);
    ratedTxt_->setEditText(Rated);
    starringTxt_->setEditText(Starring);
    descriptionTxt_->setPlainText(PanelRows::ToEditor(Description));
  }
  LoadCategories();
  LoadRatings();
  LoadStars();
  titleTxt_->setFocus();
}

void AddEditFrm::showEvent(QShowEvent* event) {
  SavingDialog::showEvent(event);
  checkCheck_->start();
}

void AddEditFrm::hideEvent(QHideEvent* event) {
  checkCheck_->stop();
  SavingDialog::hideEvent(event);
}

void AddEditFrm::FillChoices(QComboBox* box, DVDField field) {
  FormHelpers::SetChoices(box, field);
}

void AddEditFrm::LoadCategories() { FillChoices(categoryTxt_, DVDField::Category); }

void AddEditFrm::LoadRatings() { FillChoices(ratedTxt_, DVDField::Rated); }

void AddEditFrm::LoadStars() { FillChoices(starringTxt_, DVDField::Starring); }

void AddEditFrm::CheckCheck() {
  if (!ScannerFunctions::CheckScanner()) return;
  if (barCodeTxt_->isEnabled()) {
    barCodeTxt_->setText(ScannerFunctions::ScannedCode());
  } else {
    ScannerFunctions::SetCodeComplete(0);
  }
}

InventoryFunctions::DVDRecord AddEditFrm::Typed() const {
  InventoryFunctions::DVDRecord dvd;
  dvd.title = titleTxt_->text();
  dvd.category = categoryTxt_->currentText();
  dvd.rated = ratedTxt_->currentText();
  dvd.starring = starringTxt_->currentText();
  dvd.description = PanelRows::FromEditor(descriptionTxt_->toPlainText());
  dvd.barCode = barCodeTxt_->text();
  return dvd;
}

bool AddEditFrm::SaveStuff() {
  if (Cancelled) return true;
  const InventoryFunctions::DVDRecord dvd = Typed();
  using InventoryFunctions::DVDOutcome;
  const DVDOutcome outcome =
      AddMode ? InventoryFunctions::AddDVD(dvd) : InventoryFunctions::UpdateDVD(DVDTitle, dvd);
  switch (outcome) {
    case DVDOutcome::Saved:
      if (AddMode) DVDTitle = InventoryFunctions::StoredTitle(dvd.title);
      savedTitle_ = InventoryFunctions::StoredTitle(dvd.title);
      return true;
    case DVDOutcome::TitleMissing:
      seams::ShowMessage(QStringLiteral("You need to enter a title for the DVD."),
                         QStringLiteral("Enter Title"), MsgIcon::Exclamation);
      return false;
    case DVDOutcome::TitleTaken:
      seams::ShowMessage(
          QStringLiteral("There is a DVD with the title you entered. Please enter another title."),
          QStringLiteral("Enter Another Title"), MsgIcon::Exclamation);
      titleTxt_->setFocus();
      return false;
    case DVDOutcome::BarCodeTaken:
      seams::ShowMessage(QStringLiteral("There is already a DVD with the barcode you have "
                                        "entered. Please re-enter."),
                         QStringLiteral("Bar Code Already Entered"), MsgIcon::Information);
      if (barCodeTxt_->isEnabled()) barCodeTxt_->setFocus();
      return false;
    default:
      // Deleted behind the dialog; the user can still leave with Cancel.
      seams::ShowMessage(QStringLiteral("Error"), Constants::kAppTitle);
      return false;
  }
}
