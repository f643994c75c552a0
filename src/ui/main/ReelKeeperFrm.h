#pragma once

#include <QMainWindow>
#include <QPoint>
#include <optional>

#include "inventory/DVDRecord.h"
#include "inventory/InventoryRecords.h"

class DVDInfoPanel;
class DVDListView;
class LoanInfoPanel;
class PhoneBookPanel;
class QFrame;
class QLabel;
class QTabWidget;
class QTimer;
class QToolBar;

// The program's main window: the DVD list, the detail tabs and the toolbar. Closing it ends the
// program.
class ReelKeeperFrm : public QMainWindow {
  Q_OBJECT

 public:
  explicit ReelKeeperFrm(QWidget* parent = nullptr);
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

  // Layout persistence under the window's name and the list's.
  void LoadWindow();
  void SaveWindow();
  void LoadListSettings();
  void SaveListSettings();
  void LoadSeparatorRatio();
  void SaveSeparatorRatio();
  // Everything the unload writes (placement, list layout, separator) in one transaction; a
  // failure is logged to "ErrorLog" and does not stop the unload.
  void SaveLayout();
  // SeparatorRatio from where the splitter stands now, held within 1/8 and 7/8.
  void ResetSeparatorRatio();

  // The list: its columns, and all rows again with the selection kept.
  void LoadListColumns();
  void LoadDVDList();

  // The selected DVD's title, or empty text.
  QString GetSelectedDVD() const;
  // Selects (and scrolls to) the first row with that title, letter case ignored; the detail
  // panel is not refreshed.
  void SelectDVD(const QString& title);
  // True when some DVD has that bar code.
  bool IsDVD(const QString& barCode) const;

  // The detail panel: the loan buttons, then the three tabs.
  void DVDSelected();
  void UpdateLoanButton();
  void UpdateDVDInfo();
  void ClearDVDInfo();
  void ClearLoanInfo();
  // Shows the panel of the selected tab, fitted to the tab strip.
  void UpdateTabs();

  // The phone book tab's record operations.
  void LoadPhoneNames();
  void LoadPhoneBookInfo();
  void ClearPhoneBookInfo();
  void SavePhoneInfo();
  void DelPhoneInfo();

  // Runs the toolbar command of a button key ("AddDVD", "EditDVD", ...); other keys do nothing.
  void ButtonClick(const QString& key);

  // The commands behind the toolbar, the list's gestures and the scanner.
  void AddDVD(const QString& barCode);
  void EditDVD();
  void DeleteDVD();
  void LoanDVD(const QString& barCode);
  void EditLoan();
  void GetStatus();
  void GoPhoneBook();
  void SearchForDVD();
  void About();

 signals:
  // Emitted once, as the last step of the unload handling (after the layout is saved); the
  // program's shutdown is connected here.
  void Unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The selected DVD's row. During DVDSelected the row read once serves both the loan buttons and
  // the panel: each read is a scan of the whole collection.
  std::optional<InventoryFunctions::DVDRecord> ReadDVD(const QString& title) const;

  // The list after a command that wrote only the DVDs of some titles. When the list showed the
  // whole table before the command (nothing written since it was filled, the same day) and no
  // other program wrote meanwhile, only those DVDs are read again; else the whole list is. The
  // rows and their order are the same either way.
  struct ListCheck {
    InventoryFunctions::InventoryMark start;
    bool current = false;
  };
  ListCheck CheckList() const;
  void ReloadListAfter(const ListCheck& check, const QStringList& titles);

  void BuildToolbar();
  void StretchPanel(int tab);
  void FitPanel(QWidget* page);
  void SeparatorMouse(QEvent* event);
  void ScannerTick();

  QToolBar* toolbar_ = nullptr;
  DVDListView* list_ = nullptr;
  QLabel* separator_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QWidget* pages_[3] = {};
  QFrame* panels_[3] = {};
  DVDInfoPanel* dvdInfo_ = nullptr;
  LoanInfoPanel* loanInfo_ = nullptr;
  PhoneBookPanel* phoneBook_ = nullptr;
  QTimer* scannerTimer_ = nullptr;
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
  bool dragging_ = false;
  QPoint dragStart_;
};
