#include "ui/main/ReelKeeperFrm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <array>

#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/StatusReport.h"
#include "phonebook/CustomerRecords.h"
#include "scanner/ScannerFunctions.h"
#include "seams/Clock.h"
#include "seams/MessageBox.h"
#include "settings/SettingsTransaction.h"
#include "settings/WindowPlacement.h"
#include "ui/about/AboutFrm.h"
#include "ui/common/DVDListView.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/WindowLayout.h"
#include "ui/main/DVDInfoPanel.h"
#include "ui/main/LoanInfoPanel.h"
#include "ui/main/MainLayout.h"
#include "ui/main/PanelRows.h"
#include "ui/main/PhoneBookPanel.h"
#include "ui/phonebook/PhoneBookFrm.h"
#include "ui/report/DVDReportFrm.h"
#include "ui/search/SearchFrm.h"

// The pictures are compiled into the static ui library; a static library's resources are linked
// in only when something names them.
static void InitIcons() { Q_INIT_RESOURCE(icons); }

namespace {

const QString kWindowName = QStringLiteral("ReelKeeperFrm");
constexpr int kSeparatorWidth = 6;  // pixels
constexpr int kPanelMargin = 6;     // between the tab strip's frame and a panel

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

// The window sees Escape before its controls do, wherever the focus is in it; an open drop-down
// or calendar takes its own Escape, and other windows have theirs.
class EscapeCloser final : public QObject {
 public:
  explicit EscapeCloser(QWidget* window) : QObject(window), window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // A repeat is an Escape held down since before: it may have been meant for a box that has
    // closed, or for a window of another program.
    if (key->key() != Qt::Key_Escape || key->isAutoRepeat()) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_ || QApplication::activePopupWidget()) return false;
    window_->close();
    return true;
  }

 private:
  QWidget* window_;
};

}  // namespace

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
  connect(list_, &DVDListView::SelectionCleared, this, &ReelKeeperFrm::DVDSelected);
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
  const QString tabCaptions[] = {QStringLiteral("DVD Info"), QStringLiteral("Loan Info"),
                                 QStringLiteral("Phone Book")};
  for (int i = 0; i < 3; ++i) {
    pages_[i] = new QWidget;
    pages_[i]->installEventFilter(this);
    tabs_->addTab(pages_[i], tabCaptions[i]);
  }
  // One label column for all three panels, so that their boxes line up.
  const int labelWidth = PanelRows::LabelWidth(this, kCaptions);
  dvdInfo_ = new DVDInfoPanel(pages_[0], labelWidth);
  loanInfo_ = new LoanInfoPanel(pages_[1], labelWidth);
  phoneBook_ = new PhoneBookPanel(pages_[2], labelWidth);
  connect(phoneBook_, &PhoneBookPanel::EntryChanged, this, &ReelKeeperFrm::UpdateDVDInfo);
  panels_[0] = dvdInfo_;
  panels_[1] = loanInfo_;
  panels_[2] = phoneBook_;
  for (QFrame* panel : panels_) panel->installEventFilter(this);
  connect(tabs_, &QTabWidget::currentChanged, this, &ReelKeeperFrm::ResizeMe);

  scannerTimer_ = new QTimer(this);
  scannerTimer_->setObjectName(QStringLiteral("ScannerTimer"));
  scannerTimer_->setInterval(100);
  connect(scannerTimer_, &QTimer::timeout, this, &ReelKeeperFrm::ScannerTick);
  tagTimer_ = new QTimer(this);
  tagTimer_->setObjectName(QStringLiteral("TagTimer"));
  tagTimer_->setInterval(100);
  connect(tagTimer_, &QTimer::timeout, this, [this] { FormHelpers::ShowHint(this); });

  // Below this size the phone book tab's buttons would cover its boxes, the boxes would shrink to
  // nothing and the loan's notes would be cut off; the window manager keeps the window at least
  // this large.
  const int tabChrome = tabs_->tabBar()->sizeHint().height() +
                        2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
  const int half = labelWidth + 12 * fontMetrics().averageCharWidth() + 2 * kPanelMargin;
  band->setMinimumSize(2 * half + kSeparatorWidth,
                       std::max(phoneBook_->ContentHeight(), loanInfo_->ContentHeight()) +
                           2 * kPanelMargin + tabChrome);

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

bool ReelKeeperFrm::CheckOverdues() {
  const int overdue = InventoryFunctions::OverdueCount(seams::Today());
  if (overdue == 0) return false;
  const seams::MsgAnswer answer = seams::ShowMessage(
      QStringLiteral("You have %1 DVD(s) that are overdue. Would you like to view the status "
                     "report?")
          .arg(overdue),
      QStringLiteral("DVDs Overdue"), seams::MsgIcon::Information, seams::MsgButtons::YesNo,
      seams::MsgAnswer::No);
  if (answer != seams::MsgAnswer::Yes) return false;
  GetStatus();
  return true;
}

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
  controls.insert(QStringLiteral("TitleTxt"), dvdInfo_->TitleBox()->geometry());
  for (const QWidget* w : children) controls.insert(w->objectName(), w->geometry());
  const QHash<QString, QRect> placed =
      MainLayout::StretchPanel(tab, panel->size(), controls, dvdInfo_->DescriptionInset());
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
  listMark_ = InventoryFunctions::CurrentInventoryMark();
  listDay_ = seams::Today();
  list_->Reload(InventoryFunctions::DVDQuery::List());
  if (!selected.isEmpty()) SelectDVD(selected);
}

QString ReelKeeperFrm::GetSelectedDVD() const { return list_->SelectedTitle(); }

void ReelKeeperFrm::SelectDVD(const QString& title) { list_->SelectTitle(title); }

bool ReelKeeperFrm::IsDVD(const QString& barCode) const {
  return InventoryFunctions::IsDVD(barCode);
}

// ---- the detail panel -----------------------------------------------------------------------

std::optional<InventoryFunctions::DVDRecord> ReelKeeperFrm::ReadDVD(const QString& title) const {
  if (selectedRow_ && selectedRow_->title == title) return selectedRow_->row;
  return InventoryFunctions::FindDVD(title);
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
  const auto dvd = title.isEmpty() ? std::nullopt : ReadDVD(title);
  if (dvd) {
    const bool inStock = dvd->status == InventoryFunctions::InStock;
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
    const auto dvd = ReadDVD(title);
    if (!dvd) {
      // The row went away behind the list.
      ClearDVDInfo();
      seams::ShowMessage(QStringLiteral("Error."), Constants::kAppTitle);
      return;
    }
    const QDate today = seams::Today();
    dvdInfo_->Show(*dvd, today);
    const auto borrower =
        dvd->name.isEmpty() ? std::nullopt : CustomerFunctions::FindCustomer(dvd->name);
    if (borrower) {
      loanInfo_->Show(*dvd, *borrower, today);
    } else {
      ClearLoanInfo();
    }
  }
  LoadPhoneNames();
  LoadPhoneBookInfo();
}

void ReelKeeperFrm::ClearDVDInfo() { dvdInfo_->Clear(); }

void ReelKeeperFrm::ClearLoanInfo() { loanInfo_->Clear(); }

// ---- the phone book tab ---------------------------------------------------------------------

void ReelKeeperFrm::LoadPhoneNames() { phoneBook_->LoadPhoneNames(); }

void ReelKeeperFrm::LoadPhoneBookInfo() { phoneBook_->LoadPhoneBookInfo(); }

void ReelKeeperFrm::ClearPhoneBookInfo() { phoneBook_->ClearPhoneBookInfo(); }

void ReelKeeperFrm::SavePhoneInfo() { phoneBook_->SavePhoneInfo(); }

void ReelKeeperFrm::DelPhoneInfo() { phoneBook_->DelPhoneInfo(); }

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

// AddDVD, EditDVD, DeleteDVD, LoanDVD and EditLoan are in InventoryCommands.cpp.

void ReelKeeperFrm::GetStatus() {
  DVDReportFrm report(this);
  report.LoadForm();
  report.Clear();
  // The window is up (and takes no clicks meanwhile) while the collection is read.
  report.setWindowModality(Qt::ApplicationModal);
  report.show();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  for (const QString& line : InventoryFunctions::StatusReportLines(seams::Today())) {
    report.AddLine(line);
  }
  report.ShowModal();
}

void ReelKeeperFrm::GoPhoneBook() {
  PhoneBookFrm phoneBook(this);
  if (phoneBook.LoadForm()) phoneBook.exec();
  // The window may have changed the phone book the detail panel shows.
  UpdateDVDInfo();
}

void ReelKeeperFrm::SearchForDVD() {
  SearchFrm search(this);
  if (search.LoadForm()) search.exec();
}

void ReelKeeperFrm::About() {
  AboutFrm about(this);
  about.LoadForm();
  about.exec();
  // The clean-up gave every table owner a new connection, and a salvage may have kept fewer rows.
  if (about.CleanedUp) {
    LoadDVDList();
    DVDSelected();
  }
}

void ReelKeeperFrm::ScannerTick() {
  if (!ScannerFunctions::CheckScanner()) return;
  // Taken while another window is open (the Add/Edit dialog polls for itself), a scan is dropped:
  // it must not start a second command over the one under way.
  if (QApplication::activeModalWidget()) return;
  const QString code = ScannerFunctions::ScannedCode();
  if (code.isEmpty()) {
    seams::ShowMessage(QStringLiteral("There was a problem reading the scanned bar code. It is "
                                      "possible the scanner you are using does not support the "
                                      "bar code type you are trying to scan. Try to restart your "
                                      "computer to rectify the situation."),
                       QStringLiteral("Uh Oh"), seams::MsgIcon::Information);
    return;
  }
  if (isMinimized()) showNormal();
  // Only the window's own events: a click queued meanwhile must not start a command first.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  raise();
  activateWindow();
  if (IsDVD(code)) {
    LoanDVD(code);
  } else {
    AddDVD(code);
  }
}

// ---- events ---------------------------------------------------------------------------------

void ReelKeeperFrm::SaveLayout() {
  try {
    // One transaction: a kill in the middle leaves the last layout whole, never half of each.
    SettingsManager::SettingsTransaction batch;
    SaveWindow();
    SaveListSettings();
    SaveSeparatorRatio();
    batch.Commit();
  } catch (const DatabaseError& error) {
    // The layout is a convenience; a file that cannot take it now (held by another program, a
    // full disk) must not keep the program from ending. The user's data is not at stake.
    try {
      ErrorFunctions::LogError(ErrorFunctions::ErrorText(
          QStringLiteral("The window layout could not be saved."), false, error));
    } catch (const DatabaseError&) {
      // Nowhere left to tell it.
    }
  }
}

void ReelKeeperFrm::closeEvent(QCloseEvent* event) {
  if (!unloaded_) {
    unloaded_ = true;
    if (loaded_) SaveLayout();
    emit Unloaded();
  }
  event->accept();
}

void ReelKeeperFrm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    if (!event->isAutoRepeat()) close();
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
