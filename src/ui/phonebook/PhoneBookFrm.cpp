#include "ui/phonebook/PhoneBookFrm.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <array>

#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "inventory/LoanJournal.h"
#include "phonebook/PhoneBookEntry.h"
#include "seams/Clock.h"
#include "settings/SettingsTransaction.h"
#include "settings/WindowPlacement.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/LoanWords.h"
#include "ui/common/LoansList.h"
#include "ui/common/MainLayout.h"
#include "ui/common/PanelRows.h"
#include "ui/common/SeparatorDrag.h"
#include "ui/common/WindowLayout.h"

namespace PhoneBookLayout {

Placement Place(const QRect& band, double ratio, int separatorWidth, int nameHeight) {
  const MainLayout::Halves halves = MainLayout::SplitBand(band, ratio, separatorWidth);
  const QRect& names = halves.list;
  Placement placement;
  placement.separator = halves.splitter;
  placement.infoFrame = halves.tabs;
  placement.nameTxt = QRect(names.left(), names.top(), names.width(), std::max(0, nameHeight));
  placement.nameList = QRect(names.left(), names.top() + nameHeight, names.width(),
                             std::max(0, names.height() - nameHeight));
  return placement;
}

FrameParts PlaceInFrame(const QSize& frame, int boxLeft, int notesTop, int buttonHeight, int gap) {
  FrameParts parts;
  parts.boxWidth = std::max(0, frame.width() - boxLeft);
  parts.buttonTop = frame.height() - buttonHeight;
  parts.notesHeight = std::max(0, parts.buttonTop - gap - notesTop);
  return parts;
}

}  // namespace PhoneBookLayout

namespace {

const QString kWindowName = QStringLiteral("PhoneBookFrm");
constexpr int kSeparatorWidth = 6;  // pixels
constexpr int kMargin = 6;          // between the window's edges and its two halves
const QString kWho = QStringLiteral(" of the person you are loaning your DVD to.");

const char* const kCaptions[] = {"Address:", "City:",   "State:",   "Zip:",   "Phone:", "Fax:",
                                 "Cell:",    "E-mail:", "Summary:", "Loans:", "Notes:"};

}  // namespace

// The window as the entry form of the shared phone book operations.
class PhoneBookFrm::Form final : public PhoneBookEntry::Form {
 public:
  explicit Form(PhoneBookFrm* window) : window_(window) {}

  QString NameText() const override { return window_->nameTxt_->text(); }

  QString FieldText(PhoneBookEntry::Field field) const override {
    if (field == PhoneBookEntry::Field::Notes)
      return PanelRows::FromEditor(window_->notes_->toPlainText());
    return window_->boxes_[size_t(field)]->text();
  }

  void SetFieldText(PhoneBookEntry::Field field, const QString& text) override {
    if (field == PhoneBookEntry::Field::Notes) {
      window_->notes_->setPlainText(PanelRows::ToEditor(text));
    } else {
      PanelRows::ShowText(window_->boxes_[size_t(field)], text);
    }
  }

  // The list is the window's own; the name box keeps whatever it holds.
  void SetNames(const QStringList& names) override {
    QListWidget* list = window_->nameList_;
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(names);
  }

  void FocusName() override { window_->nameTxt_->setFocus(); }

  void Refresh() override {
    window_->LoadPhoneNames();
    window_->LoadPhoneBookInfo();
  }

 private:
  PhoneBookFrm* window_;
};

PhoneBookFrm::PhoneBookFrm(Collection& collection, QWidget* parent)
    : QDialog(parent), collection_(collection) {
  setObjectName(kWindowName);
  setWindowTitle(QStringLiteral("Phone Book"));
  // A window the user sizes, maximizes and closes, but never minimizes: a minimized modal window
  // would leave the main window blocked behind nothing.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setSizeGripEnabled(false);

  nameTxt_ = new QLineEdit(this);
  nameTxt_->setObjectName(QStringLiteral("NameTxt"));
  nameTxt_->setAccessibleName(QStringLiteral("Name"));
  nameTxt_->setProperty("Tag", QStringLiteral("The name") + kWho);
  nameTxt_->installEventFilter(this);

  nameList_ = new QListWidget(this);
  nameList_->setObjectName(QStringLiteral("NameList"));
  nameList_->setAccessibleName(QStringLiteral("Names"));
  nameList_->setSortingEnabled(false);
  nameList_->installEventFilter(this);

  separator_ = SeparatorDrag::NewSeparator(this, kSeparatorWidth, [this] {
    ResetSeparatorRatio();
    ResizeMe();
  });

  infoFrame_ = new QFrame(this);
  infoFrame_->setObjectName(QStringLiteral("InfoFrame"));
  infoFrame_->setAccessibleName(QStringLiteral("Phone Book Entry"));
  boxLeft_ = PanelRows::LabelWidth(this, kCaptions);
  const int rowHeight = nameTxt_->sizeHint().height();
  nameTxt_->resize(nameTxt_->width(), rowHeight);
  PanelRows::Column rows(infoFrame_, boxLeft_, rowHeight);
  struct Line {
    const char* caption;
    const char* name;
    const char* hint;
  };
  const Line lines[] = {
      {"Address:", "PhoneAddressTxt", "The address"},
      {"City:", "PhoneCityTxt", "The city"},
      {"State:", "PhoneStateTxt", "The state"},
      {"Zip:", "PhoneZipTxt", "The zip-code"},
      {"Phone:", "PhonePhoneTxt", "The phone number"},
      {"Fax:", "PhoneFaxTxt", "The fax number"},
      {"Cell:", "PhoneCellTxt", "The mobile phone or pager number"},
      {"E-mail:", "PhoneEmailTxt", "The e-mail address"},
  };
  for (size_t i = 0; i < boxes_.size(); ++i) {
    boxes_[i] = rows.Add(QString::fromUtf8(lines[i].caption), QString::fromUtf8(lines[i].name),
                         new QLineEdit(infoFrame_), QString::fromUtf8(lines[i].hint) + kWho);
  }
  const LoansRows loans = AddLoansRows(
      rows, infoFrame_, LoansList::Of::Borrower, QStringLiteral("Phone"), rowHeight, 4,
      QStringLiteral("What this person has and had: double click a loan to see its DVD."));
  summaryTxt_ = loans.summary;
  loansList_ = loans.list;
  notes_ = rows.Add(QStringLiteral("Notes:"), QStringLiteral("PhoneNotesTxt"),
                    PanelRows::NotesBox(infoFrame_, false),
                    QStringLiteral("Extra notes such as, the names of other people in there "
                                   "house or they keep bringing DVDs back late."),
                    3 * rowHeight);
  infoFrame_->findChild<QLabel*>(QStringLiteral("PhoneNotesLbl"))
      ->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  const std::pair<const char*, const char*> buttons[] = {
      {"SaveButton", "&Save"}, {"DeleteButton", "&Delete"}, {"CloseButton", "&Close"}};
  QSize buttonSize;
  for (size_t i = 0; i < 3; ++i) {
    buttons_[i] = new QPushButton(QString::fromUtf8(buttons[i].second), infoFrame_);
    buttons_[i]->setObjectName(QString::fromUtf8(buttons[i].first));
    // Enter in a box must not press a button of its own accord.
    buttons_[i]->setAutoDefault(false);
    buttonSize = buttonSize.expandedTo(buttons_[i]->sizeHint());
  }
  for (size_t i = 0; i < 3; ++i) {
    buttons_[i]->setGeometry(
        QRect(QPoint(boxLeft_ + int(i) * (buttonSize.width() + PanelRows::kRowGap), rows.Top()),
              buttonSize));
  }

  messBar_ = new QStatusBar(this);
  messBar_->setObjectName(QStringLiteral("MessBar"));
  messBar_->setSizeGripEnabled(true);

  QWidget* order[] = {nameTxt_,  nameList_,   boxes_[0],   boxes_[1],  boxes_[2],   boxes_[3],
                      boxes_[4], boxes_[5],   boxes_[6],   boxes_[7],  summaryTxt_, loansList_,
                      notes_,    buttons_[0], buttons_[1], buttons_[2]};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  // Below this the entry's boxes and buttons would run into each other.
  const int halfWidth = boxLeft_ + 3 * buttonSize.width() + 2 * PanelRows::kRowGap;
  setMinimumSize(2 * halfWidth + kSeparatorWidth + 2 * kMargin,
                 rows.Top() + buttonSize.height() + messBar_->sizeHint().height() + 2 * kMargin);

  form_ = std::make_unique<Form>(this);
  connect(nameTxt_, &QLineEdit::textChanged, this, &PhoneBookFrm::TypingName);
  connect(nameList_, &QListWidget::currentRowChanged, this, &PhoneBookFrm::NamePicked);
  connect(nameList_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { NamePicked(nameList_->row(item)); });
  connect(buttons_[0], &QPushButton::clicked, this, &PhoneBookFrm::SavePhoneInfo);
  connect(buttons_[1], &QPushButton::clicked, this, &PhoneBookFrm::DelPhoneInfo);
  connect(buttons_[2], &QPushButton::clicked, this, &PhoneBookFrm::close);
  connect(loansList_, &LoansList::Chosen, this, [this](const QString& title) {
    emit DVDChosen(title);
    accept();
  });

  tagTimer_ = FormHelpers::HintTimer(this);
}

PhoneBookFrm::~PhoneBookFrm() = default;

bool PhoneBookFrm::LoadForm() {
  const bool loaded = Reported([this] {
    LoadSeparatorRatio();
    LoadWindow();
    PhoneBookEntry::LoadPhoneNames(collection_, *form_);
  });
  if (!loaded) return false;
  // A stored ratio is taken as it is; one beyond the bounds would put the separator out of reach,
  // so it is pulled inside at once, as the main window does with its own.
  ResizeMe();
  ResetSeparatorRatio();
  ResizeMe();
  loaded_ = true;
  tagTimer_->start();
  return true;
}

bool PhoneBookFrm::Reported(const std::function<void()>& work) {
  // Another program's lock, a full disk or a read-only folder gets the program's one message
  // for them, at the error boundary, and the window stays as it is for another try. The file
  // taken away is said here, and what is typed stays.
  return ErrorFunctions::CarryOn(QStringLiteral("The phone book could not be read or changed."),
                                 ErrorFunctions::Report::ShowUnlessPassing, work);
}

// ---- the record operations -------------------------------------------------------------------

void PhoneBookFrm::LoadPhoneNames() {
  Reported([this] { PhoneBookEntry::LoadPhoneNames(collection_, *form_); });
}

void PhoneBookFrm::LoadPhoneBookInfo() {
  Reported([this] {
    PhoneBookEntry::LoadPhoneBookInfo(collection_, *form_);
    ShowLoans();
  });
}

void PhoneBookFrm::ShowLoans() {
  ShowBorrowerLoans(collection_, nameTxt_->text(), loansList_, summaryTxt_);
}

void PhoneBookFrm::ClearPhoneBookInfo() { PhoneBookEntry::ClearPhoneBookInfo(*form_); }

void PhoneBookFrm::SavePhoneInfo() {
  Reported([this] { PhoneBookEntry::SavePhoneInfo(collection_, *form_); });
}

void PhoneBookFrm::DelPhoneInfo() {
  Reported([this] {
    PhoneBookEntry::DelPhoneInfo(collection_, *form_,
                                 LoanWords::StillHas(collection_, form_->NameText()));
  });
}

// Apostrophes are kept, as in the main window's tab: the SQL doubles them, and names such as
// O'Brien are real names.
void PhoneBookFrm::TypingName() {
  // The completion writes the box again, which calls back in here; the outer call loads.
  if (typing_) return;
  typing_ = true;
  FormHelpers::AutoComplete(nameTxt_, nameList_);
  typing_ = false;
  LoadPhoneBookInfo();
}

void PhoneBookFrm::NamePicked(int row) {
  // The completion's own choice of a list row is not the user's pick.
  if (typing_ || row < 0) return;
  nameTxt_->setText(nameList_->item(row)->text());
}

// ---- layout ----------------------------------------------------------------------------------

QRect PhoneBookFrm::Band() const {
  const int above = height() - messBar_->sizeHint().height();
  return QRect(kMargin, kMargin, std::max(0, width() - 2 * kMargin),
               std::max(0, above - 2 * kMargin));
}

void PhoneBookFrm::ResizeMe() {
  messBar_->setGeometry(0, height() - messBar_->sizeHint().height(), width(),
                        messBar_->sizeHint().height());
  const PhoneBookLayout::Placement placed =
      PhoneBookLayout::Place(Band(), SeparatorRatio, kSeparatorWidth, nameTxt_->height());
  separator_->setGeometry(placed.separator);
  nameTxt_->setGeometry(placed.nameTxt);
  nameList_->setGeometry(placed.nameList);
  infoFrame_->setGeometry(placed.infoFrame);

  const PhoneBookLayout::FrameParts parts = PhoneBookLayout::PlaceInFrame(
      infoFrame_->size(), boxLeft_, notes_->y(), buttons_[0]->height(), PanelRows::kRowGap);
  for (QLineEdit* box : boxes_) box->resize(parts.boxWidth, box->height());
  summaryTxt_->resize(parts.boxWidth, summaryTxt_->height());
  loansList_->resize(parts.boxWidth, loansList_->height());
  notes_->resize(parts.boxWidth, parts.notesHeight);
  for (QPushButton* button : buttons_) button->move(button->x(), parts.buttonTop);
}

void PhoneBookFrm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  ResizeMe();
}

void PhoneBookFrm::LoadWindow() {
  ::LoadWindow(collection_, this, kWindowName, -1, nullptr);
  // Stored while minimized (some window managers allow it): opened normal, or it could not be
  // reached at all.
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
}

void PhoneBookFrm::SaveWindow() { ::SaveWindow(collection_, this, kWindowName); }

void PhoneBookFrm::LoadSeparatorRatio() {
  SeparatorRatio = SettingsManager::LoadSeparatorRatio(collection_, kWindowName);
}

void PhoneBookFrm::SaveSeparatorRatio() {
  SettingsManager::SaveSeparatorRatio(collection_, kWindowName, SeparatorRatio);
}

void PhoneBookFrm::ResetSeparatorRatio() {
  const QRect band = Band();
  SeparatorRatio = MainLayout::RatioFromSplitter(separator_->x() - band.x(), separator_->width(),
                                                 band.width(), SeparatorRatio);
}

void PhoneBookFrm::Message(const QString& text) {
  if (messBar_->currentMessage() != text) messBar_->showMessage(text);
}

// ---- events ----------------------------------------------------------------------------------

void PhoneBookFrm::SaveLayout() {
  // The layout is a convenience: a file that cannot take it now must not keep the window open.
  ErrorFunctions::CarryOn(QStringLiteral("The phone book window's layout could not be saved."),
                          ErrorFunctions::Report::LogOnly, [this] {
                            SettingsManager::SettingsTransaction batch(collection_);
                            SaveSeparatorRatio();
                            SaveWindow();
                            batch.Commit();
                          });
}

void PhoneBookFrm::done(int result) {
  if (!unloaded_) {
    unloaded_ = true;
    tagTimer_->stop();
    if (loaded_) SaveLayout();
  }
  QDialog::done(result);
}

bool PhoneBookFrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == nameTxt_ && event->type() == QEvent::MouseButtonPress) {
    LoadPhoneBookInfo();
  } else if (watched == nameList_ && event->type() == QEvent::FocusIn &&
             nameList_->currentRow() < 0 && nameList_->count() > 0) {
    // Tabbing into the list makes its first row current; that is not the user's pick, and taking
    // it would replace the name being typed (and then save over that entry).
    const QSignalBlocker quiet(nameList_);
    nameList_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
  }
  return QDialog::eventFilter(watched, event);
}
