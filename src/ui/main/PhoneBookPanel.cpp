#include "ui/main/PhoneBookPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <array>

#include "app/Collection.h"
#include "inventory/LoanJournal.h"
#include "phonebook/PhoneBookEntry.h"
#include "seams/Clock.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/LoanWords.h"
#include "ui/common/LoansList.h"
#include "ui/common/PanelRows.h"

// The tab as the entry form of the shared phone book operations.
class PhoneBookPanel::Form final : public PhoneBookEntry::Form {
 public:
  Form(PhoneBookPanel* panel, QComboBox* name, std::array<QLineEdit*, 8> lines,
       QPlainTextEdit* notes)
      : panel_(panel), name_(name), lines_(lines), notes_(notes) {}

  QString NameText() const override { return name_->currentText(); }

  QString FieldText(PhoneBookEntry::Field field) const override {
    if (field == PhoneBookEntry::Field::Notes) return PanelRows::FromEditor(notes_->toPlainText());
    return lines_[size_t(field)]->text();
  }

  void SetFieldText(PhoneBookEntry::Field field, const QString& text) override {
    if (field == PhoneBookEntry::Field::Notes) {
      notes_->setPlainText(PanelRows::ToEditor(text));
    } else {
      PanelRows::ShowText(lines_[size_t(field)], text);
    }
  }

  // The combo box holds the list: rebuilding it empties the box, and the name comes back only
  // when the list has an item exactly equal to it (letter case included). This is a rebuild,
  // not typing, so the typing sequence does not run.
  void SetNames(const QStringList& names) override {
    const QString remembered = name_->currentText();
    const QSignalBlocker quiet(name_);
    // Every selection change reloads the names; rebuilding an unchanged list of thousands would
    // make moving through the DVDs sluggish, and it ends in the same state.
    if (!HoldsItems(names)) {
      name_->clear();
      name_->addItems(names);
    }
    const int index = int(names.indexOf(remembered));
    name_->setCurrentIndex(index);
    if (index < 0) name_->clearEditText();
  }

  void FocusName() override { name_->setFocus(); }

  void Refresh() override { emit panel_->EntryChanged(); }

 private:
  bool HoldsItems(const QStringList& names) const {
    if (name_->count() != names.size()) return false;
    for (int i = 0; i < name_->count(); ++i) {
      if (name_->itemText(i) != names[i]) return false;
    }
    return true;
  }

  PhoneBookPanel* panel_;
  QComboBox* name_;
  std::array<QLineEdit*, 8> lines_;  // address, city, state, zip, phone, fax, cell, e-mail
  QPlainTextEdit* notes_;
};

PhoneBookPanel::PhoneBookPanel(Collection& collection, QWidget* page, int labelWidth)
    : QFrame(page), collection_(collection) {
  setObjectName(QStringLiteral("PhoneBookFrame"));
  setAccessibleName(QStringLiteral("Phone Book"));
  nameTxt_ = new QComboBox(this);
  nameTxt_->setEditable(true);
  // AutoComplete does the completing; Qt's own completer and insertion would fight it.
  nameTxt_->setCompleter(nullptr);
  nameTxt_->setInsertPolicy(QComboBox::NoInsert);
  nameTxt_->setMaxVisibleItems(20);
  const int rowHeight = std::max(QLineEdit().sizeHint().height(), nameTxt_->sizeHint().height());
  PanelRows::Column rows(this, labelWidth, rowHeight);
  const QString who = QStringLiteral(" of the person you are loaning your DVD to.");
  rows.Add(QStringLiteral("Name:"), QStringLiteral("PhoneNameTxt"), nameTxt_,
           QStringLiteral("The name of the person you are loaning your DVD to."));
  struct Line {
    const char* caption;
    const char* name;
    QString hint;
  };
  const Line lines[] = {
      {"Address:", "PhoneAddressTxt", "The address" + who},
      {"City:", "PhoneCityTxt", "The city" + who},
      {"State:", "PhoneStateTxt", "The state" + who},
      {"Zip:", "PhoneZipTxt", "The zip-code" + who},
      {"Phone:", "PhonePhoneTxt", "The phone number" + who},
      {"Fax:", "PhoneFaxTxt", "The fax number" + who},
      {"Cell:", "PhoneCellTxt", "The mobile phone or pager number" + who},
      {"E-mail:", "PhoneEmailTxt", "The e-mail address" + who},
  };
  std::array<QLineEdit*, 8> boxes{};
  for (size_t i = 0; i < boxes.size(); ++i) {
    boxes[i] = rows.Add(QString::fromUtf8(lines[i].caption), QString::fromUtf8(lines[i].name),
                        new QLineEdit(this), lines[i].hint);
  }
  const LoansRows loans = AddLoansRows(
      rows, this, LoansList::Of::Borrower, QStringLiteral("Phone"), rowHeight, 4,
      QStringLiteral("What this person has and had: double click a loan to see its DVD."));
  summaryTxt_ = loans.summary;
  loansList_ = loans.list;
  connect(loansList_, &LoansList::Chosen, this, &PhoneBookPanel::DVDChosen);
  auto* notes = rows.Add(QStringLiteral("Notes:"), QStringLiteral("PhoneNotesTxt"),
                         PanelRows::NotesBox(this, false),
                         QStringLiteral("Extra notes such as, the names of other people in there "
                                        "house or they keep bringing DVDs back late."),
                         3 * rowHeight);
  findChild<QLabel*>(QStringLiteral("PhoneNotesLbl"))->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  saveButton_ = new QPushButton(QStringLiteral("&Save"), this);
  saveButton_->setObjectName(QStringLiteral("SaveButton"));
  deleteButton_ = new QPushButton(QStringLiteral("&Delete"), this);
  deleteButton_->setObjectName(QStringLiteral("DeleteButton"));
  const QSize buttonSize = saveButton_->sizeHint().expandedTo(deleteButton_->sizeHint());
  saveButton_->setGeometry(QRect(QPoint(labelWidth, rows.Top()), buttonSize));
  deleteButton_->setGeometry(
      QRect(QPoint(labelWidth + buttonSize.width() + PanelRows::kRowGap, rows.Top()), buttonSize));
  contentHeight_ = rows.Top() + buttonSize.height();

  form_ = std::make_unique<Form>(this, nameTxt_, boxes, notes);
  connect(nameTxt_, &QComboBox::editTextChanged, this, &PhoneBookPanel::TypingName);
  connect(nameTxt_, &QComboBox::activated, this, &PhoneBookPanel::LoadPhoneBookInfo);
  connect(saveButton_, &QPushButton::clicked, this, &PhoneBookPanel::SavePhoneInfo);
  connect(deleteButton_, &QPushButton::clicked, this, &PhoneBookPanel::DelPhoneInfo);
}

PhoneBookPanel::~PhoneBookPanel() = default;

void PhoneBookPanel::LoadPhoneNames() { PhoneBookEntry::LoadPhoneNames(collection_, *form_); }

void PhoneBookPanel::LoadPhoneBookInfo() {
  PhoneBookEntry::LoadPhoneBookInfo(collection_, *form_);
  loansShown_ = false;
  // Every move through the DVDs comes here; the loans are read when the tab is looked at.
  if (isVisible()) ShowLoans();
}

void PhoneBookPanel::ShowLoans() {
  loansShown_ = true;
  ShowBorrowerLoans(collection_, form_->NameText(), loansList_, summaryTxt_);
}

void PhoneBookPanel::showEvent(QShowEvent* event) {
  QFrame::showEvent(event);
  if (!loansShown_) ShowLoans();
}

void PhoneBookPanel::ShowEntry(const QString& name) {
  nameTxt_->setEditText(name);
  LoadPhoneBookInfo();
}

void PhoneBookPanel::ClearPhoneBookInfo() { PhoneBookEntry::ClearPhoneBookInfo(*form_); }

void PhoneBookPanel::SavePhoneInfo() { PhoneBookEntry::SavePhoneInfo(collection_, *form_); }

void PhoneBookPanel::DelPhoneInfo() {
  PhoneBookEntry::DelPhoneInfo(collection_, *form_,
                               LoanWords::StillHas(collection_, form_->NameText()));
}

// Apostrophes are kept: the SQL doubles them, and names such as O'Brien are real names.
void PhoneBookPanel::TypingName() {
  FormHelpers::AutoComplete(nameTxt_);
  LoadPhoneBookInfo();
}
