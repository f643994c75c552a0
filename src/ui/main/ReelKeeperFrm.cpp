#include "ui/main/ReelKeeperFrm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <array>

#include "app/Constants.h"
#include "data/Recordset.h"
#include "inventory/InventoryFunctions.h"
#include "phonebook/PhoneBookEntry.h"
#include "seams/Clock.h"
#include "seams/MessageBox.h"
#include "settings/WindowPlacement.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/DVDListView.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/Twips.h"
#include "ui/common/WindowLayout.h"
#include "ui/main/MainLayout.h"

// The pictures are compiled into the static ui library; a static library's resources are linked
// in only when something names them.
static void InitIcons() { Q_INIT_RESOURCE(icons); }

namespace {

const QString kWindowName = QStringLiteral("ReelKeeperFrm");
const QString kDVDOfTitle =
    QStringLiteral("Select Inventory.* From Inventory Where Inventory.DVDTitle = ");
const QString kCustomerOfName =
    QStringLiteral("Select Customers.* From Customers Where Customers.Name = ");
const QString kListQuery = QStringLiteral(
    "Select Inventory.* From Inventory Order By Inventory.Status DESC, Inventory.DueDate, "
    "Inventory.DVDTitle");
const QString kDateFormat = QStringLiteral("MM/dd/yyyy - MMMM dd, yyyy");

const QString kDVDHint = QStringLiteral(
    "To edit this DVD click the \"Edit DVD\" button or right click the DVD in the list on the "
    "left.");
const QString kLoanHint =
    QStringLiteral("To edit this loan click the \"Edit Loan\" button in the list on the left.");

constexpr int kSeparatorWidth = 6;  // pixels
constexpr int kPanelMargin = 6;     // between the tab strip's frame and a panel
constexpr int kRowGap = 4;
constexpr double kDescriptionInsetTwips = 50;

struct ToolButtonEntry {
  const char* key;
  const char* caption;
  const char* tooltip;
  const char* description;
};

// In their order on the bar.
constexpr std::array<ToolButtonEntry, 9> kToolButtons = {{
    {"AddDVD", "Add DVD", "Add A New DVD Title To Your Collection.",
     "Adds a DVD to the list of available DVDs."},
    {"EditDVD", "Edit DVD", "Edit The Selected DVD's Information.",
     "Allows you to  edit the DVDs title or description."},
    {"DelDVD", "Del DVD", "Delete The Selected DVD From Your List.",
     "Deletes a DVD from the list of available DVDs."},
    {"LoanDVD", "Return DVD", "Loan Or Return The Selected DVD.",
     "Loans the selected DVD to someone."},
    {"EditLoan", "Edit Loan", "Change The Selected DVD's Loaned Info.",
     "Allows you to edit the loan info."},
    {"StatusReport", "Status", "How Many DVDs Do You Have And Where Are They?",
     "Gets the status report."},
    {"PhoneBook", "Phone Book", "Open Your Phone Book.", "Loads the phone book window."},
    {"Search", "Search", "Search For Any Stored Information.", "Opens the DVD Search Window."},
    {"About", "About", "Who Is Pelwyn And Where Can I Get More CooL Stuff?",
     "Opens the About Window."},
}};

const char* const kCaptions[] = {
    "Title:", "Status:",  "Category:", "Rated:",    "Starring:", "Bar Code:",
    "Name:",  "Address:", "City:",     "State:",    "Zip:",      "Phone:",
    "Fax:",   "Cell:",    "Out Date:", "Due Date:", "Days Due:", "Notes:"};

// The text boxes keep the program's CR LF line ends; the editor works with plain line feeds.
QString ToEditor(const QString& text) {
  return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
QString FromEditor(const QString& text) {
  return QString(text).replace(u'\n', QStringLiteral("\r\n"));
}

// Places label and box rows down a panel: labels in a column on the left, boxes from boxLeft.
class PanelRows {
 public:
  PanelRows(QWidget* panel, int boxLeft, int rowHeight)
      : panel_(panel), boxLeft_(boxLeft), rowHeight_(rowHeight) {}

  template <class Box>
  Box* Add(const QString& caption, const QString& name, Box* box, const QString& hint,
           int height = 0) {
    box->setObjectName(name);
    box->setProperty("Tag", hint);
    box->setGeometry(boxLeft_, y_, 100, height > 0 ? height : rowHeight_);
    auto* label = new QLabel(caption, panel_);
    QString labelName = name;
    labelName.replace(labelName.size() - 3, 3, QStringLiteral("Lbl"));
    label->setObjectName(labelName);
    label->setBuddy(box);
    label->setGeometry(0, y_, boxLeft_ - kRowGap, rowHeight_);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    y_ += (height > 0 ? height : rowHeight_) + kRowGap;
    return box;
  }
  int Top() const { return y_; }

 private:
  QWidget* panel_;
  int boxLeft_;
  int rowHeight_;
  int y_ = 0;
};

QLineEdit* DisplayBox(QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setReadOnly(true);
  return box;
}

QPlainTextEdit* NotesBox(QWidget* parent, bool readOnly) {
  auto* box = new QPlainTextEdit(parent);
  box->setReadOnly(readOnly);
  box->setTabChangesFocus(true);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  return box;
}

// What a date picker holds: the shown date as text in its Tag, or empty text and today.
void SetPickerDate(QDateEdit* picker, const QDate& date) {
  picker->setProperty("Tag", date.isValid() ? DVDListModel::DateText(date) : QString());
  picker->setProperty("StoredDate", date);
  picker->setDate(date.isValid() ? date : seams::Today());
}

// The pickers are for display: whatever the user picks, the stored date comes back.
void SnapBack(QDateEdit* picker) {
  const QDate stored = picker->property("Tag").toString().isEmpty()
                           ? seams::Today()
                           : picker->property("StoredDate").toDate();
  if (stored.isValid() && picker->date() != stored) picker->setDate(stored);
}

QDate DateOf(const QDateTime& value) { return value.isValid() ? value.date() : QDate(); }

// The window sees Escape before its controls do, wherever the focus is in it; an open drop-down
// or calendar takes its own Escape, and other windows have theirs.
class EscapeCloser final : public QObject {
 public:
  explicit EscapeCloser(QWidget* window) : QObject(window), window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_ || QApplication::activePopupWidget()) return false;
    window_->close();
    return true;
  }

 private:
  QWidget* window_;
};

}  // namespace

// The phone book tab as the entry form of the shared phone book operations.
class ReelKeeperFrm::PhoneTab final : public PhoneBookEntry::Form {
 public:
  PhoneTab(ReelKeeperFrm* window, QComboBox* name, std::array<QLineEdit*, 7> lines,
           QPlainTextEdit* notes)
      : window_(window), name_(name), lines_(lines), notes_(notes) {}

  QString NameText() const override { return name_->currentText(); }

  QString FieldText(PhoneBookEntry::Field field) const override {
    if (field == PhoneBookEntry::Field::Notes) return FromEditor(notes_->toPlainText());
    return lines_[size_t(field)]->text();
  }

  void SetFieldText(PhoneBookEntry::Field field, const QString& text) override {
    if (field == PhoneBookEntry::Field::Notes) {
      notes_->setPlainText(ToEditor(text));
    } else {
      lines_[size_t(field)]->setText(text);
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

  // The tab refreshes through the detail panel, which ends by reloading the tab.
  void Refresh() override { window_->UpdateDVDInfo(); }

 private:
  bool HoldsItems(const QStringList& names) const {
    if (name_->count() != names.size()) return false;
    for (int i = 0; i < name_->count(); ++i) {
      if (name_->itemText(i) != names[i]) return false;
    }
    return true;
  }

  ReelKeeperFrm* window_;
  QComboBox* name_;
  std::array<QLineEdit*, 7> lines_;  // address, city, state, zip, phone, fax, cell
  QPlainTextEdit* notes_;
};

ReelKeeperFrm::ReelKeeperFrm(QWidget* parent) : QMainWindow(parent) {
  InitIcons();
  setObjectName(kWindowName);
  setWindowTitle(Constants::kMainCaption);
  setWindowIcon(QIcon(QStringLiteral(":/icons/ReelKeeper.svg")));
  FormHelpers::SetMainWindow(this);

  auto* bar = new QStatusBar(this);
  bar->setObjectName(QStringLiteral("MessBar"));
  bar->setSizeGripEnabled(true);
  setStatusBar(bar);

  BuildToolbar();

  // The area between toolbar and status bar; ResizeMe places its three parts by hand.
  auto* band = new QWidget(this);
  setCentralWidget(band);
  band->installEventFilter(this);

  list_ = new DVDListView(band);
  list_->setObjectName(QStringLiteral("DVDList"));
  list_->setAccessibleName(QStringLiteral("DVD List"));
  list_->setProperty("Tag",
                     QStringLiteral("Double click a title to loan or return it - right click to "
                                    "edit"));
  connect(list_, &DVDListView::ItemClicked, this, &ReelKeeperFrm::DVDSelected);
  connect(list_, &DVDListView::ItemDoubleClicked, this, [this] { LoanDVD(QString()); });
  connect(list_, &DVDListView::EnterPressed, this, &ReelKeeperFrm::EditDVD);
  connect(list_, &DVDListView::RightButtonPressed, this, &ReelKeeperFrm::EditDVD);

  separator_ = new QLabel(band);
  separator_->setObjectName(QStringLiteral("SeparatorButton"));
  separator_->setCursor(Qt::SplitHCursor);
  separator_->resize(kSeparatorWidth, separator_->height());
  separator_->installEventFilter(this);

  tabs_ = new QTabWidget(band);
  tabs_->setObjectName(QStringLiteral("Tabs"));
  tabs_->setAccessibleName(QStringLiteral("DVD Details"));
  const QString panelNames[] = {QStringLiteral("DVDInfoFrame"), QStringLiteral("LoanInfoFrame"),
                                QStringLiteral("PhoneBookFrame")};
  const QString tabCaptions[] = {QStringLiteral("DVD Info"), QStringLiteral("Loan Info"),
                                 QStringLiteral("Phone Book")};
  for (int i = 0; i < 3; ++i) {
    pages_[i] = new QWidget;
    pages_[i]->installEventFilter(this);
    panels_[i] = new QFrame(pages_[i]);
    panels_[i]->setObjectName(panelNames[i]);
    panels_[i]->setAccessibleName(tabCaptions[i]);
    panels_[i]->installEventFilter(this);
    tabs_->addTab(pages_[i], tabCaptions[i]);
  }

  int labelWidth = 0;
  for (const char* caption : kCaptions) {
    labelWidth = std::max(labelWidth, fontMetrics().horizontalAdvance(QString::fromUtf8(caption)));
  }
  labelWidth += 2 * kRowGap;
  BuildDVDInfoPanel(labelWidth);
  BuildLoanInfoPanel(labelWidth);
  BuildPhoneBookPanel(labelWidth);
  connect(tabs_, &QTabWidget::currentChanged, this, &ReelKeeperFrm::ResizeMe);

  scannerTimer_ = new QTimer(this);
  scannerTimer_->setObjectName(QStringLiteral("ScannerTimer"));
  scannerTimer_->setInterval(100);
  connect(scannerTimer_, &QTimer::timeout, this, &ReelKeeperFrm::ScannerTick);
  tagTimer_ = new QTimer(this);
  tagTimer_->setObjectName(QStringLiteral("TagTimer"));
  tagTimer_->setInterval(100);
  connect(tagTimer_, &QTimer::timeout, this, [this] { FormHelpers::ShowHint(this); });

  qApp->installEventFilter(new EscapeCloser(this));
}

ReelKeeperFrm::~ReelKeeperFrm() = default;

void ReelKeeperFrm::BuildToolbar() {
  toolbar_ = new QToolBar(this);
  toolbar_->setObjectName(QStringLiteral("MainToolbar"));
  toolbar_->setAccessibleName(QStringLiteral("Toolbar"));
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolbar_->setIconSize(QSize(32, 32));
  toolbar_->toggleViewAction()->setEnabled(false);
  addToolBar(Qt::TopToolBarArea, toolbar_);
  for (const ToolButtonEntry& entry : kToolButtons) {
    const QString key = QString::fromUtf8(entry.key);
    QAction* action = toolbar_->addAction(QIcon(QStringLiteral(":/icons/%1.svg").arg(key)),
                                          QString::fromUtf8(entry.caption));
    action->setObjectName(key);
    action->setToolTip(QString::fromUtf8(entry.tooltip));
    QWidget* button = toolbar_->widgetForAction(action);
    button->setObjectName(key);
    button->setAccessibleDescription(QString::fromUtf8(entry.description));
  }
  connect(toolbar_, &QToolBar::actionTriggered, this,
          [this](QAction* action) { ButtonClick(action->objectName()); });
}

void ReelKeeperFrm::BuildDVDInfoPanel(int labelWidth) {
  QFrame* panel = panels_[0];
  const int rowHeight = QLineEdit().sizeHint().height();
  PanelRows rows(panel, labelWidth, rowHeight);
  titleTxt_ =
      rows.Add(QStringLiteral("Title:"), QStringLiteral("TitleTxt"), DisplayBox(panel), kDVDHint);
  statusTxt_ =
      rows.Add(QStringLiteral("Status:"), QStringLiteral("StatusTxt"), DisplayBox(panel), kDVDHint);
  categoryTxt_ = rows.Add(QStringLiteral("Category:"), QStringLiteral("CategoryTxt"),
                          DisplayBox(panel), kDVDHint);
  ratedTxt_ =
      rows.Add(QStringLiteral("Rated:"), QStringLiteral("RatedTxt"), DisplayBox(panel), kDVDHint);
  starringTxt_ = rows.Add(QStringLiteral("Starring:"), QStringLiteral("StarringTxt"),
                          DisplayBox(panel), kDVDHint);
  barCodeTxt_ = rows.Add(QStringLiteral("Bar Code:"), QStringLiteral("BarCodeTxt"),
                         DisplayBox(panel), kDVDHint);

  descFrame_ = new QGroupBox(QStringLiteral("Description:"), panel);
  descFrame_->setObjectName(QStringLiteral("DescFrame"));
  descFrame_->setGeometry(0, rows.Top(), 200, 200);
  descriptionTxt_ = NotesBox(descFrame_, true);
  descriptionTxt_->setObjectName(QStringLiteral("DescriptionTxt"));
  descriptionTxt_->setProperty("Tag", kDVDHint);
  const int inset = TwipsToPixels(kDescriptionInsetTwips, this);
  descriptionTxt_->setGeometry(std::max(inset, descFrame_->contentsMargins().left()),
                               std::max(inset, descFrame_->contentsMargins().top()), 100, 100);
}

void ReelKeeperFrm::BuildLoanInfoPanel(int labelWidth) {
  QFrame* panel = panels_[1];
  auto* outDate = new QDateEdit(panel);
  auto* dueDate = new QDateEdit(panel);
  const int rowHeight = std::max(QLineEdit().sizeHint().height(), outDate->sizeHint().height());
  PanelRows rows(panel, labelWidth, rowHeight);
  nameTxt_ =
      rows.Add(QStringLiteral("Name:"), QStringLiteral("NameTxt"), DisplayBox(panel), kLoanHint);
  addressTxt_ = rows.Add(QStringLiteral("Address:"), QStringLiteral("AddressTxt"),
                         DisplayBox(panel), kLoanHint);
  cityTxt_ =
      rows.Add(QStringLiteral("City:"), QStringLiteral("CityTxt"), DisplayBox(panel), kLoanHint);
  stateTxt_ =
      rows.Add(QStringLiteral("State:"), QStringLiteral("StateTxt"), DisplayBox(panel), kLoanHint);
  zipTxt_ =
      rows.Add(QStringLiteral("Zip:"), QStringLiteral("ZipTxt"), DisplayBox(panel), kLoanHint);
  phoneTxt_ =
      rows.Add(QStringLiteral("Phone:"), QStringLiteral("PhoneTxt"), DisplayBox(panel), kLoanHint);
  faxTxt_ =
      rows.Add(QStringLiteral("Fax:"), QStringLiteral("FaxTxt"), DisplayBox(panel), kLoanHint);
  cellTxt_ =
      rows.Add(QStringLiteral("Cell:"), QStringLiteral("CellTxt"), DisplayBox(panel), kLoanHint);
  // The pickers' Tag holds the date they show (empty when no loan is shown), not a hint.
  outDateTxt_ =
      rows.Add(QStringLiteral("Out Date:"), QStringLiteral("OutDateTxt"), outDate, QString());
  dueDateTxt_ =
      rows.Add(QStringLiteral("Due Date:"), QStringLiteral("DueDateTxt"), dueDate, QString());
  for (QDateEdit* picker : {outDateTxt_, dueDateTxt_}) {
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(kDateFormat);
    connect(picker, &QDateEdit::dateChanged, this, [picker] { SnapBack(picker); });
  }
  daysDueTxt_ = rows.Add(QStringLiteral("Days Due:"), QStringLiteral("DaysDueTxt"),
                         DisplayBox(panel), kLoanHint);
  notesTxt_ = rows.Add(QStringLiteral("Notes:"), QStringLiteral("NotesTxt"), NotesBox(panel, true),
                       kLoanHint, 3 * rowHeight);
  panel->findChild<QLabel*>(QStringLiteral("NotesLbl"))->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void ReelKeeperFrm::BuildPhoneBookPanel(int labelWidth) {
  QFrame* panel = panels_[2];
  phoneNameTxt_ = new QComboBox(panel);
  phoneNameTxt_->setEditable(true);
  // AutoComplete does the completing; Qt's own completer and insertion would fight it.
  phoneNameTxt_->setCompleter(nullptr);
  phoneNameTxt_->setInsertPolicy(QComboBox::NoInsert);
  phoneNameTxt_->setMaxVisibleItems(20);
  const int rowHeight =
      std::max(QLineEdit().sizeHint().height(), phoneNameTxt_->sizeHint().height());
  PanelRows rows(panel, labelWidth, rowHeight);
  const QString who = QStringLiteral(" of the person you are loaning your DVD to.");
  rows.Add(QStringLiteral("Name:"), QStringLiteral("PhoneNameTxt"), phoneNameTxt_,
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
  };
  std::array<QLineEdit*, 7> boxes{};
  for (size_t i = 0; i < boxes.size(); ++i) {
    boxes[i] = rows.Add(QString::fromUtf8(lines[i].caption), QString::fromUtf8(lines[i].name),
                        new QLineEdit(panel), lines[i].hint);
  }
  auto* notes =
      rows.Add(QStringLiteral("Notes:"), QStringLiteral("PhoneNotesTxt"), NotesBox(panel, false),
               QStringLiteral("Extra notes such as, the names of other people in there "
                              "house or they keep bringing DVDs back late."),
               3 * rowHeight);
  panel->findChild<QLabel*>(QStringLiteral("PhoneNotesLbl"))
      ->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  saveButton_ = new QPushButton(QStringLiteral("&Save"), panel);
  saveButton_->setObjectName(QStringLiteral("SaveButton"));
  deleteButton_ = new QPushButton(QStringLiteral("&Delete"), panel);
  deleteButton_->setObjectName(QStringLiteral("DeleteButton"));
  const QSize buttonSize = saveButton_->sizeHint().expandedTo(deleteButton_->sizeHint());
  saveButton_->setGeometry(QRect(QPoint(labelWidth, rows.Top()), buttonSize));
  deleteButton_->setGeometry(
      QRect(QPoint(labelWidth + buttonSize.width() + kRowGap, rows.Top()), buttonSize));

  phoneTab_ = std::make_unique<PhoneTab>(this, phoneNameTxt_, boxes, notes);
  connect(phoneNameTxt_, &QComboBox::editTextChanged, this, &ReelKeeperFrm::TypingPhoneName);
  connect(phoneNameTxt_, &QComboBox::activated, this, &ReelKeeperFrm::LoadPhoneBookInfo);
  connect(saveButton_, &QPushButton::clicked, this, &ReelKeeperFrm::SavePhoneInfo);
  connect(deleteButton_, &QPushButton::clicked, this, &ReelKeeperFrm::DelPhoneInfo);
}

void ReelKeeperFrm::LoadForm() {
  LoadWindow();
  LoadListColumns();
  LoadListSettings();
  LoadDVDList();
  LoadSeparatorRatio();
  // The band must have its size before the splitter can be placed in it, shown or not.
  if (layout()) layout()->activate();
  ResizeMe();
  ResetSeparatorRatio();
  ResizeMe();
  DVDSelected();
  UpdateTabs();
  loaded_ = true;
  scannerTimer_->start();
  tagTimer_->start();
}

bool ReelKeeperFrm::CheckOverdues() { return false; }

void ReelKeeperFrm::Message(const QString& text) {
  if (statusBar()->currentMessage() != text) statusBar()->showMessage(text);
}

// ---- layout ---------------------------------------------------------------------------------

void ReelKeeperFrm::ResizeMe() {
  const MainLayout::Halves halves =
      MainLayout::SplitBand(centralWidget()->rect(), SeparatorRatio, kSeparatorWidth);
  separator_->setGeometry(halves.splitter);
  list_->setGeometry(halves.list);
  tabs_->setGeometry(halves.tabs);
  UpdateTabs();
  StretchPanel(tabs_->currentIndex() + 1);
}

void ReelKeeperFrm::UpdateTabs() {
  for (QWidget* page : pages_) FitPanel(page);
}

void ReelKeeperFrm::FitPanel(QWidget* page) {
  for (int i = 0; i < 3; ++i) {
    if (pages_[i] == page) {
      panels_[i]->setGeometry(
          page->rect().adjusted(kPanelMargin, kPanelMargin, -kPanelMargin, -kPanelMargin));
    }
  }
}

void ReelKeeperFrm::StretchPanel(int tab) {
  if (tab < 1 || tab > 3) return;
  QFrame* panel = panels_[tab - 1];
  // Only the program's own controls: the parts Qt builds inside a control (a text box's
  // viewport, its scroll bars) carry names of their own and are laid out by that control.
  QList<QWidget*> children = panel->findChildren<QWidget*>();
  children.removeIf([](const QWidget* w) {
    return w->objectName().isEmpty() || w->objectName().startsWith(u"qt_");
  });
  QHash<QString, QRect> controls;
  controls.insert(QStringLiteral("TitleTxt"), titleTxt_->geometry());
  for (const QWidget* w : children) controls.insert(w->objectName(), w->geometry());
  const QHash<QString, QRect> placed = MainLayout::StretchPanel(
      tab, panel->size(), controls, TwipsToPixels(kDescriptionInsetTwips, this));
  for (QWidget* w : children) {
    const auto it = placed.find(w->objectName());
    if (it != placed.end() && w->geometry() != *it) w->setGeometry(*it);
  }
}

void ReelKeeperFrm::LoadWindow() { ::LoadWindow(this, kWindowName, 2, nullptr); }

void ReelKeeperFrm::SaveWindow() { ::SaveWindow(this, kWindowName); }

void ReelKeeperFrm::LoadListSettings() { list_->LoadListLayout(QString(), 200); }

void ReelKeeperFrm::SaveListSettings() { list_->SaveListLayout(QString()); }

void ReelKeeperFrm::LoadSeparatorRatio() {
  SeparatorRatio = SettingsManager::LoadSeparatorRatio(kWindowName);
}

void ReelKeeperFrm::SaveSeparatorRatio() {
  SettingsManager::SaveSeparatorRatio(kWindowName, SeparatorRatio);
}

void ReelKeeperFrm::ResetSeparatorRatio() {
  SeparatorRatio = MainLayout::RatioFromSplitter(separator_->x(), separator_->width(),
                                                 centralWidget()->width(), SeparatorRatio);
}

void ReelKeeperFrm::SeparatorMouse(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return;
  const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
  switch (type) {
    case QEvent::MouseButtonPress:
      dragging_ = true;
      dragStart_ = at;
      break;
    case QEvent::MouseMove:
      if (!dragging_) return;
      separator_->move(separator_->pos() + at - dragStart_);
      ResetSeparatorRatio();
      ResizeMe();
      break;
    case QEvent::MouseButtonRelease:
      dragging_ = false;
      ResetSeparatorRatio();
      ResizeMe();
      break;
    default:
      break;
  }
}

// ---- the list -------------------------------------------------------------------------------

void ReelKeeperFrm::LoadListColumns() { list_->LoadListColumns(); }

void ReelKeeperFrm::LoadDVDList() {
  const QString selected = GetSelectedDVD();
  list_->Reload(kListQuery);
  if (!selected.isEmpty()) SelectDVD(selected);
}

QString ReelKeeperFrm::GetSelectedDVD() const { return list_->SelectedTitle(); }

void ReelKeeperFrm::SelectDVD(const QString& title) { list_->SelectTitle(title); }

bool ReelKeeperFrm::IsDVD(const QString& barCode) const {
  RecordsetPtr records = OpenRecords(
      QStringLiteral("Select Inventory.BarCode From Inventory Where Inventory.BarCode = ") +
      SqlText(barCode));
  const bool found = !NoRecords(records);
  CloseRecords(records);
  return found;
}

// ---- the detail panel -----------------------------------------------------------------------

std::optional<ReelKeeperFrm::DVDRow> ReelKeeperFrm::ReadDVD(const QString& title) const {
  if (selectedRow_ && selectedRow_->title == title) return selectedRow_->row;
  // The first matching row is current right after opening; counting the matches first would
  // read the whole table once more.
  RecordsetPtr records = OpenRecords(kDVDOfTitle + SqlText(title));
  if (NoRecords(records)) return std::nullopt;
  DVDRow row;
  row.title = records->Text(QStringLiteral("DVDTitle"));
  row.category = records->Text(QStringLiteral("Category"));
  row.rated = records->Text(QStringLiteral("Rated"));
  row.starring = records->Text(QStringLiteral("Starring"));
  row.name = records->Text(QStringLiteral("Name"));
  row.description = records->Text(QStringLiteral("Description"));
  row.barCode = records->Text(QStringLiteral("BarCode"));
  row.status = records->Long(QStringLiteral("Status"));
  row.outDate = records->Date(QStringLiteral("Date"));
  row.dueDate = records->Date(QStringLiteral("DueDate"));
  CloseRecords(records);
  return row;
}

void ReelKeeperFrm::DVDSelected() {
  struct Forget {
    std::optional<ReadRow>& row;
    ~Forget() { row.reset(); }
  } forget{selectedRow_};
  const QString title = GetSelectedDVD();
  if (!title.isEmpty()) selectedRow_ = ReadRow{title, ReadDVD(title)};
  UpdateLoanButton();
  UpdateDVDInfo();
}

void ReelKeeperFrm::UpdateLoanButton() {
  QAction* loan = toolbar_->findChild<QAction*>(QStringLiteral("LoanDVD"));
  QAction* editLoan = toolbar_->findChild<QAction*>(QStringLiteral("EditLoan"));
  const QString title = GetSelectedDVD();
  const std::optional<DVDRow> row = title.isEmpty() ? std::nullopt : ReadDVD(title);
  if (row) {
    const bool inStock = row->status == InventoryFunctions::InStock;
    loan->setVisible(true);
    loan->setText(inStock ? QStringLiteral("Loan DVD") : QStringLiteral("Return DVD"));
    editLoan->setVisible(!inStock);
  } else {
    loan->setVisible(false);
    editLoan->setVisible(false);
  }
}

void ReelKeeperFrm::UpdateDVDInfo() {
  if (updatingInfo_) return;
  updatingInfo_ = true;
  struct Mark {
    bool& running;
    ~Mark() { running = false; }
  } mark{updatingInfo_};

  const QString title = GetSelectedDVD();
  if (title.isEmpty()) {
    ClearDVDInfo();
    ClearLoanInfo();
  } else {
    const std::optional<DVDRow> dvd = ReadDVD(title);
    if (!dvd) {
      // The row went away behind the list.
      ClearDVDInfo();
      seams::ShowMessage(QStringLiteral("Error."), Constants::kAppTitle);
      return;
    }
    const QDate today = seams::Today();
    QString suffix;
    if (dvd->status == InventoryFunctions::Loaned && dvd->dueDate.isValid()) {
      const QDate due = dvd->dueDate.date();
      if (today > due) {
        suffix = QStringLiteral(" - %1 day(s) Overdue").arg(due.daysTo(today));
      } else if (due == today && dvd->dueDate != dvd->outDate) {
        suffix = QStringLiteral(" - Due Today");
      }
    }
    titleTxt_->setText(dvd->title);
    statusTxt_->setText(InventoryFunctions::StatusText(dvd->status) + suffix);
    categoryTxt_->setText(dvd->category);
    ratedTxt_->setText(dvd->rated);
    starringTxt_->setText(dvd->starring);
    descriptionTxt_->setPlainText(ToEditor(dvd->description));
    barCodeTxt_->setText(dvd->barCode);

    RecordsetPtr customer;
    if (!dvd->name.isEmpty()) customer = OpenRecords(kCustomerOfName + SqlText(dvd->name));
    if (NoRecords(customer)) {
      ClearLoanInfo();
    } else {
      nameTxt_->setText(customer->Text(QStringLiteral("Name")));
      addressTxt_->setText(customer->Text(QStringLiteral("Address")));
      cityTxt_->setText(customer->Text(QStringLiteral("City")));
      stateTxt_->setText(customer->Text(QStringLiteral("State")));
      zipTxt_->setText(customer->Text(QStringLiteral("Zip")));
      phoneTxt_->setText(customer->Text(QStringLiteral("Phone")));
      cellTxt_->setText(customer->Text(QStringLiteral("Cell")));
      faxTxt_->setText(customer->Text(QStringLiteral("Fax")));
      SetPickerDate(outDateTxt_, DateOf(dvd->outDate));
      SetPickerDate(dueDateTxt_, DateOf(dvd->dueDate));
      daysDueTxt_->setText(
          dvd->dueDate.isValid() ? QString::number(today.daysTo(dvd->dueDate.date())) : QString());
      notesTxt_->setPlainText(ToEditor(customer->Text(QStringLiteral("Notes"))));
    }
    CloseRecords(customer);
  }
  LoadPhoneNames();
  LoadPhoneBookInfo();
}

void ReelKeeperFrm::ClearDVDInfo() {
  for (QLineEdit* box :
       {titleTxt_, statusTxt_, categoryTxt_, ratedTxt_, starringTxt_, barCodeTxt_}) {
    box->clear();
  }
  descriptionTxt_->clear();
}

void ReelKeeperFrm::ClearLoanInfo() {
  for (QLineEdit* box :
       {nameTxt_, addressTxt_, cityTxt_, stateTxt_, zipTxt_, phoneTxt_, cellTxt_, faxTxt_}) {
    box->clear();
  }
  SetPickerDate(outDateTxt_, QDate());
  SetPickerDate(dueDateTxt_, QDate());
  daysDueTxt_->clear();
  notesTxt_->clear();
}

// ---- the phone book tab ---------------------------------------------------------------------

void ReelKeeperFrm::LoadPhoneNames() { PhoneBookEntry::LoadPhoneNames(*phoneTab_); }

void ReelKeeperFrm::LoadPhoneBookInfo() { PhoneBookEntry::LoadPhoneBookInfo(*phoneTab_); }

void ReelKeeperFrm::ClearPhoneBookInfo() { PhoneBookEntry::ClearPhoneBookInfo(*phoneTab_); }

void ReelKeeperFrm::SavePhoneInfo() { PhoneBookEntry::SavePhoneInfo(*phoneTab_); }

void ReelKeeperFrm::DelPhoneInfo() { PhoneBookEntry::DelPhoneInfo(*phoneTab_); }

// Apostrophes are kept: the SQL doubles them, and names such as O'Brien are real names.
void ReelKeeperFrm::TypingPhoneName() {
  FormHelpers::AutoComplete(phoneNameTxt_);
  LoadPhoneBookInfo();
}

// ---- commands -------------------------------------------------------------------------------

void ReelKeeperFrm::ButtonClick(const QString& key) {
  if (key == u"AddDVD") {
    AddDVD(QString());
  } else if (key == u"EditDVD") {
    EditDVD();
  } else if (key == u"DelDVD") {
    DeleteDVD();
  } else if (key == u"LoanDVD") {
    LoanDVD(QString());
  } else if (key == u"EditLoan") {
    EditLoan();
  } else if (key == u"StatusReport") {
    GetStatus();
  } else if (key == u"PhoneBook") {
    GoPhoneBook();
  } else if (key == u"Search") {
    SearchForDVD();
  } else if (key == u"About") {
    About();
  }
}

void ReelKeeperFrm::AddDVD(const QString& barCode) { Q_UNUSED(barCode); }

void ReelKeeperFrm::EditDVD() {}

void ReelKeeperFrm::DeleteDVD() {}

void ReelKeeperFrm::LoanDVD(const QString& barCode) { Q_UNUSED(barCode); }

void ReelKeeperFrm::EditLoan() {}

void ReelKeeperFrm::GetStatus() {}

void ReelKeeperFrm::GoPhoneBook() {}

void ReelKeeperFrm::SearchForDVD() {}

void ReelKeeperFrm::About() {}

void ReelKeeperFrm::ScannerTick() {}

// ---- events ---------------------------------------------------------------------------------

void ReelKeeperFrm::closeEvent(QCloseEvent* event) {
  if (!unloaded_) {
    unloaded_ = true;
    if (loaded_) {
      SaveWindow();
      SaveListSettings();
      SaveSeparatorRatio();
    }
    emit Unloaded();
  }
  event->accept();
}

void ReelKeeperFrm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

bool ReelKeeperFrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == separator_) {
    SeparatorMouse(event);
  } else if (event->type() == QEvent::Resize) {
    if (watched == centralWidget()) {
      ResizeMe();
    } else if (auto* widget = qobject_cast<QWidget*>(watched)) {
      for (int i = 0; i < 3; ++i) {
        if (widget == pages_[i]) FitPanel(widget);
        if (widget == panels_[i]) StretchPanel(i + 1);
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
