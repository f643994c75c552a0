#include "ui/search/SearchFrm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/SearchQuery.h"
#include "seams/MessageBox.h"
#include "ui/common/ChoiceModel.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/DVDListView.h"
#include "ui/common/DialogChrome.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/PanelRows.h"

using InventoryFunctions::DVDField;

namespace {

// A criterion box's typed text while a completion of it is only proposed.
const char* const kTypedPart = "TypedPart";

// Room for the result list's usual columns, and for a dozen results.
constexpr int kListWidth = 860;
constexpr int kListHeight = 300;

QLabel* BuddyLabel(const QString& caption, QWidget* box, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  QString name = box->objectName();
  name.replace(name.size() - 3, 3, QStringLiteral("Lbl"));
  label->setObjectName(name);
  label->setBuddy(box);
  return label;
}

}  // namespace

SearchFrm::SearchFrm(Collection& collection, QWidget* parent)
    : QDialog(parent), collection_(collection) {
  setObjectName(QStringLiteral("SearchFrm"));
  chrome_ = new DialogChrome(this);
  chrome_->SetTitle(QStringLiteral("Search For DVD"));
  connect(chrome_, &DialogChrome::XClicked, this, &SearchFrm::close);

  titleTxt_ = AddCombo(QStringLiteral("TitleTxt"),
                       QStringLiteral("Type 1 of or part of 1 or more words in the DVD's title."));
  categoryTxt_ =
      AddCombo(QStringLiteral("CategoryTxt"),
               QStringLiteral("What type of movie is it? Action, Comedy, Sci-Fi, etc..."));
  ratedTxt_ = AddCombo(QStringLiteral("RatedTxt"), QString());
  starringTxt_ = AddCombo(QStringLiteral("StarringTxt"),
                          QStringLiteral("To search for to find movies with 2 or more stars put "
                                         "both names and click the \"and\" button."));

  auto* frame = new QGroupBox(QStringLiteral("Description:"), this);
  frame->setObjectName(QStringLiteral("Frame1"));
  descriptionTxt_ = PanelRows::NotesBox(frame, false);
  descriptionTxt_->setObjectName(QStringLiteral("DescriptionTxt"));
  descriptionTxt_->setAccessibleName(QStringLiteral("Description:"));
  descriptionTxt_->setProperty(
      "Tag", QStringLiteral("Type in 1 or more words that whould be in the description box."));
  descriptionTxt_->installEventFilter(this);
  // As tall as the criteria beside it, whatever text box would like.
  descriptionTxt_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->addWidget(descriptionTxt_);

  exactMatchChk_ = new QCheckBox(QStringLiteral("Exact Match"), this);
  exactMatchChk_->setObjectName(QStringLiteral("ExactMatchChk"));
  exactMatchChk_->setProperty(
      "Tag",
      QStringLiteral("Check this box if you would like an exact match on your search criteria."));
  andOr_ = new QButtonGroup(this);
  andOr_->setObjectName(QStringLiteral("AndOr"));
  const char* const options[] = {"&And", "&Or"};
  const char* const optionHints[] = {"EVERY", "ANY"};
  for (int i = 0; i < 2; ++i) {
    auto* option = new QRadioButton(QString::fromUtf8(options[i]), this);
    option->setObjectName(QStringLiteral("AndOr%1").arg(i));
    option->setProperty("Tag", QStringLiteral("Check this box if you would like a match on %1 "
                                              "item you enter in your search criteria.")
                                   .arg(QString::fromUtf8(optionHints[i])));
    andOr_->addButton(option, i);
  }
  andOr_->button(0)->setChecked(true);

  const std::pair<const char*, const char*> buttonTexts[] = {{"SearchButton", "&Search"},
                                                             {"ClearButton", "Cl&ear"},
                                                             {"GoToDVDButton", "Go To DVD..."},
                                                             {"CancelButton", "&Close"}};
  QPushButton* buttons[4] = {};
  for (int i = 0; i < 4; ++i) {
    buttons[i] = new QPushButton(QString::fromUtf8(buttonTexts[i].second), this);
    buttons[i]->setObjectName(QString::fromUtf8(buttonTexts[i].first));
    buttons[i]->setAutoDefault(false);
  }
  searchButton_ = buttons[0];
  searchButton_->setDefault(true);
  connect(buttons[0], &QPushButton::clicked, this, &SearchFrm::Search);
  connect(buttons[1], &QPushButton::clicked, this, &SearchFrm::Clear);
  connect(buttons[2], &QPushButton::clicked, this, &SearchFrm::GoToDVD);
  connect(buttons[3], &QPushButton::clicked, this, &SearchFrm::close);

  results_ = new DVDListView(collection_, this);
  results_->setAccessibleName(QStringLiteral("Search Results"));
  results_->setMinimumSize(kListWidth, kListHeight);
  results_->Model()->SetStatusCellStyle(InventoryFunctions::StatusCellStyle::SearchResults);
  connect(results_, &DVDListView::ItemDoubleClicked, this, &SearchFrm::GoToDVD);
  // The rows shown follow every change, keeping the selection.
  const auto reread = [this] {
    if (!shown_) return;
    const QString selected = GetSelectedDVD();
    Reported(QStringLiteral("The search could not be run."), [&] { results_->Reload(*shown_); });
    if (!selected.isEmpty()) results_->SelectTitle(selected);
  };
  connect(&ChangeNotice::Instance(), &ChangeNotice::DVDsChanged, this, reread);
  connect(&ChangeNotice::Instance(), &ChangeNotice::EverythingChanged, this, reread);
  // The list takes Enter for itself (the main window edits with it); here it searches, as Enter
  // does everywhere else in the dialog.
  connect(results_, &DVDListView::EnterPressed, this, &SearchFrm::Search);
  AddExportAction();

  messBar_ = new QStatusBar(this);
  messBar_->setObjectName(QStringLiteral("MessBar"));
  messBar_->setSizeGripEnabled(false);
  state_ = new QLabel(messBar_);
  state_->setObjectName(QStringLiteral("SearchState"));
  messBar_->addPermanentWidget(state_);

  // The criteria and the matching options on the left, the description beside them, the buttons
  // in a column on the right; the results below.
  auto* criteria = new QGridLayout;
  criteria->addWidget(BuddyLabel(QStringLiteral("Title:"), titleTxt_, this), 0, 0);
  criteria->addWidget(titleTxt_, 0, 1, 1, 3);
  criteria->addWidget(BuddyLabel(QStringLiteral("Category:"), categoryTxt_, this), 1, 0);
  criteria->addWidget(categoryTxt_, 1, 1);
  criteria->addWidget(BuddyLabel(QStringLiteral("Rated:"), ratedTxt_, this), 1, 2);
  criteria->addWidget(ratedTxt_, 1, 3);
  criteria->addWidget(BuddyLabel(QStringLiteral("Starring:"), starringTxt_, this), 2, 0);
  criteria->addWidget(starringTxt_, 2, 1, 1, 3);
  auto* matching = new QHBoxLayout;
  matching->addWidget(exactMatchChk_);
  matching->addSpacing(16);
  matching->addWidget(andOr_->button(0));
  matching->addWidget(andOr_->button(1));
  matching->addStretch(1);
  criteria->addLayout(matching, 3, 1, 1, 3);
  criteria->setColumnStretch(1, 3);
  criteria->setColumnStretch(3, 1);
  criteria->setVerticalSpacing(8);

  auto* column = new QVBoxLayout;
  for (QPushButton* button : buttons) column->addWidget(button);
  column->addStretch(1);

  auto* top = new QHBoxLayout;
  top->addLayout(criteria, 5);
  top->addWidget(frame, 3);
  top->addSpacing(4);
  top->addLayout(column);

  auto* content = new QVBoxLayout;
  content->setContentsMargins(8, 8, 8, 4);
  content->setSpacing(10);
  content->addLayout(top);
  content->addWidget(results_, 1);
  auto* outer = new QVBoxLayout(this);
  // The title strip and the raised frame are the chrome's, placed by hand above the layout.
  outer->setContentsMargins(2, chrome_->StripHeight() + 2, 2, 2);
  outer->setSpacing(0);
  outer->addLayout(content, 1);
  outer->addWidget(messBar_);

  QWidget* order[] = {titleTxt_,       categoryTxt_,   ratedTxt_,         starringTxt_,
                      descriptionTxt_, exactMatchChk_, andOr_->button(0), andOr_->button(1),
                      buttons[0],      buttons[1],     buttons[2],        buttons[3],
                      results_};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  tagTimer_ = FormHelpers::HintTimer(this);
}

SearchFrm::~SearchFrm() = default;

QComboBox* SearchFrm::AddCombo(const QString& name, const QString& hint) {
  QComboBox* box = FormHelpers::NewChoiceBox(this, 8);
  box->setObjectName(name);
  box->setProperty("Tag", hint);
  QLineEdit* edit = box->lineEdit();
  connect(box, &QComboBox::editTextChanged, this, [box, edit] {
    FormHelpers::AutoComplete(box);
    // Right after a completion the proposed rest is selected behind the caret: until the user
    // accepts it, only what was typed is searched for.
    const bool proposed = edit->hasSelectedText() && edit->selectionStart() > 0 &&
                          edit->selectionEnd() == edit->text().size();
    box->setProperty(kTypedPart,
                     proposed ? QVariant(edit->text().left(edit->selectionStart())) : QVariant());
  });
  // Moving the caret or leaving the box by keyboard takes the completion as it stands.
  connect(edit, &QLineEdit::selectionChanged, this, [box, edit] {
    if (edit->hasFocus() && !edit->hasSelectedText()) box->setProperty(kTypedPart, QVariant());
  });
  edit->installEventFilter(this);
  return box;
}

QString SearchFrm::Criterion(const QComboBox* box) {
  const QVariant typed = box->property(kTypedPart);
  return typed.isValid() ? typed.toString() : box->currentText();
}

bool SearchFrm::LoadForm() {
  const bool loaded =
      Reported(QStringLiteral("The collection could not be read for the search."), [this] {
        LoadCategories();
        LoadRatings();
        LoadStars();
        LoadTitles();
        LoadListColumns();
        LoadListSettings();
      });
  if (!loaded) return false;
  resize(sizeHint());
  chrome_->Fit();
  chrome_->CenterOver(parentWidget());
  titleTxt_->setFocus();
  loaded_ = true;
  tagTimer_->start();
  return true;
}

bool SearchFrm::Reported(const QString& message, const std::function<void()>& work) {
  // The file was taken away or is held by another program: say so, and keep what is typed.
  return ErrorFunctions::CarryOn(message, ErrorFunctions::Report::Show, work);
}

// ---- choice lists and columns ----------------------------------------------------------------

void SearchFrm::LoadChoices(QComboBox* box, DVDField field) {
  // Refilling is not typing: no completion runs.
  FormHelpers::SetChoices(collection_, box, field);
}

void SearchFrm::LoadCategories() { LoadChoices(categoryTxt_, DVDField::Category); }

void SearchFrm::LoadRatings() { LoadChoices(ratedTxt_, DVDField::Rated); }

void SearchFrm::LoadStars() { LoadChoices(starringTxt_, DVDField::Starring); }

void SearchFrm::LoadTitles() { LoadChoices(titleTxt_, DVDField::Title); }

void SearchFrm::LoadListColumns() { results_->LoadListColumns(); }

void SearchFrm::LoadListSettings() { results_->LoadListLayout(QString(), 200); }

void SearchFrm::SaveListSettings() { results_->SaveListLayout(QString()); }

// ---- the search ------------------------------------------------------------------------------

void SearchFrm::Search() {
  ShowState(QStringLiteral("Searching..."));
  results_->Model()->Clear();

  InventoryFunctions::SearchCriteria criteria;
  criteria.title = Criterion(titleTxt_);
  criteria.category = Criterion(categoryTxt_);
  criteria.rated = Criterion(ratedTxt_);
  criteria.starring = Criterion(starringTxt_);
  // Stored descriptions end their lines in CR LF, the box in LF.
  criteria.description = PanelRows::FromEditor(descriptionTxt_->toPlainText());
  criteria.exactMatch = exactMatchChk_->isChecked();
  criteria.matchAll = andOr_->checkedId() == 0;

  const std::optional<InventoryFunctions::DVDQuery> query =
      InventoryFunctions::SearchQuery(criteria);
  if (!query) {
    seams::ShowMessage(QStringLiteral("You need to enter search criteria."),
                       QStringLiteral("Enter Criteria"), seams::MsgIcon::Information);
    ShowState(QString());
    titleTxt_->setFocus();
    return;
  }
  shown_ = query;
  const bool done =
      Reported(QStringLiteral("The search could not be run."), [&] { results_->Reload(*query); });
  ShowState(
      done ? QStringLiteral("Search complete. Matches found: %1").arg(results_->Model()->rowCount())
           : QString());
}

QString SearchFrm::GetSelectedDVD() const { return results_->SelectedTitle(); }

void SearchFrm::GoToDVD() {
  const QString title = GetSelectedDVD();
  if (title.isEmpty()) {
    seams::ShowMessage(QStringLiteral("You need to select a DVD before you can go to it."),
                       QStringLiteral("Select A DVD"), seams::MsgIcon::Information);
    return;
  }
  emit DVDChosen(title);
  accept();
}

void SearchFrm::Clear() {
  for (QComboBox* box : {titleTxt_, categoryTxt_, ratedTxt_, starringTxt_}) box->setEditText({});
  descriptionTxt_->clear();
}

void SearchFrm::Message(const QString& text) {
  if (messBar_->currentMessage() != text) messBar_->showMessage(text);
}

void SearchFrm::ShowState(const QString& text) { state_->setText(text); }

// ---- events ----------------------------------------------------------------------------------

void SearchFrm::done(int result) {
  if (!unloaded_) {
    unloaded_ = true;
    tagTimer_->stop();
    // The layout is a convenience: a file that cannot take it now must not keep the dialog open.
    if (loaded_) {
      ErrorFunctions::CarryOn(QStringLiteral("The search list's layout could not be saved."),
                              ErrorFunctions::Report::LogOnly, [this] { SaveListSettings(); });
    }
  }
  QDialog::done(result);
}

bool SearchFrm::eventFilter(QObject* watched, QEvent* event) {
  // Enter starts a new line in the description, and a search anywhere else.
  if (watched == descriptionTxt_) {
    if (event->type() == QEvent::FocusIn) searchButton_->setDefault(false);
    if (event->type() == QEvent::FocusOut) searchButton_->setDefault(true);
  } else if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
    auto* box = static_cast<QComboBox*>(edit->parentWidget());
    if (event->type() == QEvent::FocusOut) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
        box->setProperty(kTypedPart, QVariant());
    } else if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      // The combo box would take Enter as accepting the completion before the search runs.
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Search();
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}
