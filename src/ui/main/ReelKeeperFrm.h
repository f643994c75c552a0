#pragma once

#include <QMainWindow>
#include <optional>
#include <vector>

#include "inventory/DVDRecord.h"
#include "inventory/InventoryRecords.h"

class Collection;

class DVDInfoPanel;
class DVDListView;
class HistoryPanel;
class InventoryCommands;
class LoanInfoPanel;
class PhoneBookPanel;
class QFrame;
class QLabel;
class QTabWidget;
class QTimer;
class QToolBar;

// The program's main window: the DVD list, the detail tabs and the toolbar. It shows the
// collection and follows the change notice; its commands are InventoryCommands'. Closing it ends
// the program.
class ReelKeeperFrm : public QMainWindow {
  Q_OBJECT

 public:
  explicit ReelKeeperFrm(Collection& collection, QWidget* parent = nullptr);
  ~ReelKeeperFrm() override;

  // The window's load handling: placement, list columns and layout, the list, the separator.
  // Runs before the window is shown; database failures propagate as DatabaseError.
  void LoadForm();

  // Looks for overdue loans and offers the status report; True when the user saw it.
  bool CheckOverdues();

  // Shows a text in the status bar (only when it differs from what is shown). Invokable by name,
  // which is how the hover hints and MainMessage reach it.
  Q_INVOKABLE void Message(const QString& text);

  // Lays out list, splitter and tabs at SeparatorRatio, and stretches the visible panel.
  void ResizeMe();
  // The splitter's centre as a fraction of the width between list and tabs.
  float SeparatorRatio = 0.5f;
  // Everything the unload writes (placement, list layout, separator) in one transaction; a
  // failure is logged to "ErrorLog" and does not stop the unload.
  void SaveLayout();
  void LoadListSettings();

  // All rows again with the selection kept; RefreshList only when the list no longer shows the
  // table (another program wrote, or the day changed).
  void LoadDVDList();
  void RefreshList();
  void FocusList();

  // The rowids of the list's DVDs as it shows them, top to bottom.
  std::vector<qint64> ShownIds() const;
  // The selected DVD's title, or empty text.
  QString GetSelectedDVD() const;
  // Selects (and scrolls to) the first row with that title, letter case ignored; the detail
  // panel is not refreshed.
  void SelectDVD(const QString& title);

  // The detail panel: the loan buttons, then the tabs.
  void DVDSelected();
  void UpdateDVDInfo();

  InventoryCommands& Commands() const { return *commands_; }

 signals:
  // Emitted once, as the last step of the unload handling (after the layout is saved); the
  // program's shutdown is connected here.
  void Unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Collection& collection_;
  // The selected DVD's row. During DVDSelected the row read once serves both the loan buttons and
  // the panel: each read is a scan of the whole collection.
  std::optional<InventoryFunctions::DVDRecord> ReadDVD(const QString& title) const;
  void UpdateLoanButton();
  // Fills the History tab for the selected DVD when it is the tab in view.
  void ShowHistory();
  // Shows the borrower's entry in the Phone Book tab.
  void ShowBorrower(const QString& name);
  // One detail tab: its page in the tab strip and the panel laid out in it.
  struct Tab {
    QWidget* page;
    QFrame* panel;
  };
  void AddTab(const QString& caption, QFrame* panel, QWidget* page);
  void FitPanel(int tab);
  void StretchPanel(int tab);
  void ResetSeparatorRatio();

  InventoryCommands* commands_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  DVDListView* list_ = nullptr;
  QLabel* separator_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  std::vector<Tab> tabPanels_;
  DVDInfoPanel* dvdInfo_ = nullptr;
  LoanInfoPanel* loanInfo_ = nullptr;
  PhoneBookPanel* phoneBook_ = nullptr;
  HistoryPanel* history_ = nullptr;
  QTimer* tagTimer_ = nullptr;

  bool loaded_ = false;
  bool unloaded_ = false;
  bool updatingInfo_ = false;  // UpdateDVDInfo's running mark
  struct ReadRow {
    QString title;
    std::optional<InventoryFunctions::DVDRecord> row;
  };
  std::optional<ReadRow> selectedRow_;  // set only while DVDSelected runs
  // Where the table stood, and which day it was, when the list was last filled from it.
  InventoryFunctions::InventoryMark listMark_;
  QDate listDay_;
};
