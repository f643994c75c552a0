#include "ui/main/ReelKeeperFrm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <array>

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "app/Constants.h"
#include "app/ErrorFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/StatusReport.h"
#include "phonebook/CustomerRecords.h"
#include "seams/Clock.h"
#include "seams/MessageBox.h"
#include "settings/SettingsTransaction.h"
#include "settings/WindowPlacement.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/DVDListView.h"
#include "ui/common/EscapeCloser.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/MainLayout.h"
#include "ui/common/PanelRows.h"
#include "ui/common/SeparatorDrag.h"
#include "ui/common/WindowLayout.h"
#include "ui/main/DVDInfoPanel.h"
#include "ui/main/HistoryPanel.h"
#include "ui/main/InventoryCommands.h"
#include "ui/main/LoanInfoPanel.h"
#include "ui/main/MainToolbar.h"
#include "ui/main/PhoneBookPanel.h"

// The pictures are compiled into the static ui library; a static library's resources are linked
// in only when something names them.
static void InitIcons() { Q_INIT_RESOURCE(icons); }

namespace {

const QString kWindowName = QStringLiteral("ReelKeeperFrm");
constexpr int kSeparatorWidth = 6;  // pixels
constexpr int kPanelMargin = 6;     // between the tab strip's frame and a panel

const char* const kCaptions[] = {
    "Title:",    "Status:",   "Category:", "Rated:", "Starring:", "Bar Code:", "Name:",
    "Address:",  "City:",     "State:",    "Zip:",   "Phone:",    "Fax:",      "Cell:",
    "Out Date:", "Due Date:", "Days Due:", "Notes:", "Summary:",  "Loans:"};

}  // namespace

ReelKeeperFrm::ReelKeeperFrm(Collection& collection, QWidget* parent)
    : QMainWindow(parent), collection_(collection) {
  InitIcons();
  setObjectName(kWindowName);
  setWindowTitle(Constants::kMainCaption);
  setWindowIcon(QIcon(QStringLiteral(":/icons/ReelKeeper.svg")));
  FormHelpers::SetMainWindow(this);

  auto* bar = new QStatusBar(this);
  bar->setObjectName(QStringLiteral("MessBar"));
  bar->setSizeGripEnabled(true);
  setStatusBar(bar);

  commands_ = new InventoryCommands(collection_, this);
  toolbar_ = MainToolbar::Build(collection_, this, commands_);

  // The area between toolbar and status bar; ResizeMe places its three parts by hand.
  auto* band = new QWidget(this);
  setCentralWidget(band);
  band->installEventFilter(this);

  list_ = new DVDListView(collection_, band);
  list_->setObjectName(QStringLiteral("DVDList"));
  list_->setAccessibleName(QStringLiteral("DVD List"));
  list_->setProperty("Tag",
                     QStringLiteral("Double click a title to loan or return it - right click to "
                                    "edit"));
  connect(list_, &DVDListView::ItemClicked, this, &ReelKeeperFrm::DVDSelected);
  connect(list_, &DVDListView::SelectionCleared, this, &ReelKeeperFrm::DVDSelected);
  connect(list_, &DVDListView::ItemDoubleClicked, commands_, [this] { commands_->LoanDVD(); });
  connect(list_, &DVDListView::EnterPressed, commands_, &InventoryCommands::EditDVD);
  connect(list_, &DVDListView::RightButtonPressed, commands_, &InventoryCommands::EditDVD);
  MainToolbar::ShareListKeys(toolbar_, list_);

  separator_ = SeparatorDrag::NewSeparator(band, kSeparatorWidth, [this] {
    ResetSeparatorRatio();
    ResizeMe();
  });

  tabs_ = new QTabWidget(band);
  tabs_->setObjectName(QStringLiteral("Tabs"));
  tabs_->setAccessibleName(QStringLiteral("DVD Details"));
  // One label column for all the panels, so that their boxes line up. A tab is one line here.
  const int labelWidth = PanelRows::LabelWidth(this, kCaptions);
  const auto page = [] { return new QWidget; };
  QWidget* pages[] = {page(), page(), page(), page()};
  dvdInfo_ = new DVDInfoPanel(pages[0], labelWidth);
  loanInfo_ = new LoanInfoPanel(pages[1], labelWidth);
  phoneBook_ = new PhoneBookPanel(collection_, pages[2], labelWidth);
  history_ = new HistoryPanel(collection_, pages[3], labelWidth);
  AddTab(QStringLiteral("DVD Info"), dvdInfo_, pages[0]);
  AddTab(QStringLiteral("Loan Info"), loanInfo_, pages[1]);
  AddTab(QStringLiteral("Phone Book"), phoneBook_, pages[2]);
  AddTab(QStringLiteral("History"), history_, pages[3]);
  connect(phoneBook_, &PhoneBookPanel::EntryChanged, this, &ReelKeeperFrm::UpdateDVDInfo);
  connect(tabs_, &QTabWidget::currentChanged, this, &ReelKeeperFrm::ResizeMe);
  connect(tabs_, &QTabWidget::currentChanged, this, &ReelKeeperFrm::ShowHistory);
  connect(history_, &HistoryPanel::BorrowerChosen, this, &ReelKeeperFrm::ShowBorrower);
  connect(phoneBook_, &PhoneBookPanel::DVDChosen, this, [this](const QString& title) {
    SelectDVD(title);
    DVDSelected();
  });
  tagTimer_ = FormHelpers::HintTimer(this);

  // Below this size the phone book tab's buttons would cover its boxes, the boxes would shrink to
  // nothing, the loan's dates would be cut short and its notes cut off; the window manager keeps
  // the window at least this large.
  const int tabChrome = tabs_->tabBar()->sizeHint().height() +
                        2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
  const int box = std::max(12 * fontMetrics().averageCharWidth(), loanInfo_->DateBoxWidth());
  const int half = labelWidth + box + 2 * kPanelMargin;
  band->setMinimumSize(2 * half + kSeparatorWidth,
                       std::max(phoneBook_->ContentHeight(), loanInfo_->ContentHeight()) +
                           2 * kPanelMargin + tabChrome);

  qApp->installEventFilter(new EscapeCloser(this));

  // What the window shows follows every committed write, whoever made it.
  ChangeNotice& notice = ChangeNotice::Instance();
  // The list's order is read again from its index, which costs less than working out where the
  // changed DVDs now stand.
  connect(&notice, &ChangeNotice::DVDsChanged, this, &ReelKeeperFrm::LoadDVDList);
  connect(&notice, &ChangeNotice::BorrowersChanged, this, &ReelKeeperFrm::UpdateDVDInfo);
  connect(&notice, &ChangeNotice::EverythingChanged, this, [this] {
    LoadDVDList();
    DVDSelected();
  });
}

ReelKeeperFrm::~ReelKeeperFrm() = default;

void ReelKeeperFrm::AddTab(const QString& caption, QFrame* panel, QWidget* page) {
  page->installEventFilter(this);
  panel->installEventFilter(this);
  tabs_->addTab(page, caption);
  tabPanels_.push_back({page, panel});
}

void ReelKeeperFrm::LoadForm() {
  ::LoadWindow(collection_, this, kWindowName, 2, nullptr);
  list_->LoadListColumns();
  LoadListSettings();
  LoadDVDList();
  SeparatorRatio = SettingsManager::LoadSeparatorRatio(collection_, kWindowName);
  // The band must have its size before the splitter can be placed in it, shown or not.
  if (layout()) layout()->activate();
  ResizeMe();
  ResetSeparatorRatio();
  ResizeMe();
  DVDSelected();
  // The buttons come first in the Tab chain; the window still opens on the list.
  list_->setFocus();
  loaded_ = true;
  commands_->ScannerTimer()->start();
  tagTimer_->start();
}

bool ReelKeeperFrm::CheckOverdues() {
  const int overdue = InventoryFunctions::OverdueCount(collection_, seams::Today());
  if (overdue == 0) return false;
  const seams::MsgAnswer answer = seams::ShowMessage(
      QStringLiteral("You have %1 DVD(s) that are overdue. Would you like to view the status "
                     "report?")
          .arg(overdue),
      QStringLiteral("DVDs Overdue"), seams::MsgIcon::Information, seams::MsgButtons::YesNo,
      seams::MsgAnswer::No);
  if (answer != seams::MsgAnswer::Yes) return false;
  commands_->GetStatus();
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
  for (int tab = 0; tab < int(tabPanels_.size()); ++tab) FitPanel(tab);
  StretchPanel(tabs_->currentIndex());
}

void ReelKeeperFrm::FitPanel(int tab) {
  const Tab& fit = tabPanels_[size_t(tab)];
  fit.panel->setGeometry(
      fit.page->rect().adjusted(kPanelMargin, kPanelMargin, -kPanelMargin, -kPanelMargin));
}

void ReelKeeperFrm::StretchPanel(int tab) {
  if (tab < 0 || tab >= int(tabPanels_.size())) return;
  QFrame* panel = tabPanels_[size_t(tab)].panel;
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
      MainLayout::StretchPanel(tab + 1, panel->size(), controls, dvdInfo_->DescriptionInset());
  for (QWidget* w : children) {
    const auto it = placed.find(w->objectName());
    if (it != placed.end() && w->geometry() != *it) w->setGeometry(*it);
  }
}

void ReelKeeperFrm::LoadListSettings() { list_->LoadListLayout(QString(), 200); }

void ReelKeeperFrm::ResetSeparatorRatio() {
  SeparatorRatio = MainLayout::RatioFromSplitter(separator_->x(), separator_->width(),
                                                 centralWidget()->width(), SeparatorRatio);
}

// ---- the list -------------------------------------------------------------------------------

void ReelKeeperFrm::LoadDVDList() {
  const QString selected = GetSelectedDVD();
  listMark_ = InventoryFunctions::CurrentInventoryMark(collection_);
  listDay_ = seams::Today();
  list_->Reload(InventoryFunctions::DVDQuery::List());
  if (!selected.isEmpty()) SelectDVD(selected);
}

void ReelKeeperFrm::RefreshList() {
  if (InventoryFunctions::CurrentInventoryMark(collection_) != listMark_ ||
      listDay_ != seams::Today()) {
    LoadDVDList();
  }
}

void ReelKeeperFrm::FocusList() { list_->setFocus(); }

std::vector<qint64> ReelKeeperFrm::ShownIds() const { return list_->Model()->ShownIds(); }

QString ReelKeeperFrm::GetSelectedDVD() const { return list_->SelectedTitle(); }

void ReelKeeperFrm::SelectDVD(const QString& title) { list_->SelectTitle(title); }

// ---- the detail panel -----------------------------------------------------------------------

std::optional<InventoryFunctions::DVDRecord> ReelKeeperFrm::ReadDVD(const QString& title) const {
  if (selectedRow_ && selectedRow_->title == title) return selectedRow_->row;
  return InventoryFunctions::FindDVD(collection_, title);
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
  const QString title = GetSelectedDVD();
  const auto dvd = title.isEmpty() ? std::nullopt : ReadDVD(title);
  const bool inStock = dvd && dvd->status == InventoryFunctions::InStock;
  MainToolbar::ShowLoanButtons(toolbar_, dvd.has_value(),
                               inStock ? QStringLiteral("Loan DVD") : QStringLiteral("Return DVD"),
                               dvd && !inStock);
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
    dvdInfo_->Clear();
    loanInfo_->Clear();
  } else {
    const auto dvd = ReadDVD(title);
    if (!dvd) {
      // The row went away behind the list.
      dvdInfo_->Clear();
      seams::ShowMessage(QStringLiteral("Error."), Constants::kAppTitle);
      return;
    }
    const QDate today = seams::Today();
    dvdInfo_->Show(*dvd, today);
    if (dvd->name.isEmpty()) {
      loanInfo_->Clear();
    } else {
      // A borrower no longer in the phone book still has the DVD: the loan's own name and dates
      // stay on show, with empty address boxes.
      CustomerFunctions::Customer unlisted;
      unlisted.name = dvd->name;
      loanInfo_->Show(
          *dvd, CustomerFunctions::FindCustomer(collection_, dvd->name).value_or(unlisted), today);
    }
  }
  phoneBook_->LoadPhoneNames();
  phoneBook_->LoadPhoneBookInfo();
  ShowHistory();
}

void ReelKeeperFrm::ShowBorrower(const QString& name) {
  tabs_->setCurrentWidget(tabPanels_[2].page);
  phoneBook_->ShowEntry(name);
}

void ReelKeeperFrm::ShowHistory() {
  // Read only while the tab is in view: a DVD lent a thousand times costs a read of its own.
  if (tabs_->currentWidget() != tabPanels_.back().page) return;
  const QString title = GetSelectedDVD();
  if (title.isEmpty()) {
    history_->Clear();
  } else {
    history_->Show(title, seams::Today());
  }
}

// ---- events ---------------------------------------------------------------------------------

void ReelKeeperFrm::SaveLayout() {
  // The layout is a convenience; a file that cannot take it now (held by another program, a full
  // disk) must not keep the program from ending. The user's data is not at stake.
  ErrorFunctions::CarryOn(QStringLiteral("The window layout could not be saved."),
                          ErrorFunctions::Report::LogOnly, [this] {
                            // One transaction: a kill in the middle leaves the last layout whole,
                            // never half of each.
                            SettingsManager::SettingsTransaction batch(collection_);
                            ::SaveWindow(collection_, this, kWindowName);
                            list_->SaveListLayout(QString());
                            SettingsManager::SaveSeparatorRatio(collection_, kWindowName,
                                                                SeparatorRatio);
                            batch.Commit();
                          });
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
  if (event->type() == QEvent::Resize) {
    if (watched == centralWidget()) {
      ResizeMe();
    } else {
      for (int tab = 0; tab < int(tabPanels_.size()); ++tab) {
        if (watched == tabPanels_[size_t(tab)].page) FitPanel(tab);
        if (watched == tabPanels_[size_t(tab)].panel) StretchPanel(tab);
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
