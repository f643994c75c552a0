#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "inventory/DVDRecord.h"
#include "inventory/InventoryRecords.h"

class Collection;

class DialogChrome;
class DVDListView;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;

// "Search For DVD": finds DVDs by up to five criteria and shows them in a list built like the main
// list; "Go To DVD..." hands the chosen one to whoever opened it. Opened modally, one use each.
// The results follow the change notice while they are shown.
class SearchFrm final : public QDialog {
  Q_OBJECT

 public:
  // Centred over the parent.
  explicit SearchFrm(Collection& collection, QWidget* parent = nullptr);
  ~SearchFrm() override;

  // The load: the four choice lists, the result columns and the stored list layout; centred over
  // the owner. False when the collection could not be read (the failure has been reported); the
  // dialog is then not to be shown.
  bool LoadForm();

  // The choice lists of the four combo boxes: the distinct stored values, in order.
  void LoadCategories();
  void LoadRatings();
  void LoadStars();
  void LoadTitles();
  // The result list's columns and their layout, shared with the main list.
  void LoadListColumns();
  void LoadListSettings();
  void SaveListSettings();

  // Builds the statement from the criteria and fills the result list.
  void Search();
  // The selected result's title, or empty text.
  QString GetSelectedDVD() const;
  // Announces the chosen DVD (DVDChosen) and closes; asks for a selection first.
  void GoToDVD();
  // Empties the five criteria; results, matching and conjunction stay.
  void Clear();
  // Saves the results, in the list's order, as a CSV file the user picks.
  void ExportResults();

  // Shows a text (a hover hint) in the status bar.
  Q_INVOKABLE void Message(const QString& text);

 signals:
  void DVDChosen(const QString& title);

 public slots:
  // Every way of closing ends here: the unload stores the list layout once.
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Collection& collection_;
  QComboBox* AddCombo(const QString& name, const QString& hint);
  // What the box gives the search: its text, without a completion the user has not accepted.
  static QString Criterion(const QComboBox* box);
  void LoadChoices(QComboBox* box, InventoryFunctions::DVDField field);
  // The search's own line in the status bar, which hover hints never overwrite.
  void ShowState(const QString& text);
  // "Export Results...": the results list's context menu (Menu key, Shift+F10) and a shortcut.
  void AddExportAction();
  // Runs the work; a failure of the database engine is reported and the dialog stays usable.
  bool Reported(const QString& message, const std::function<void()>& work);

  // The statement whose rows the list shows, run again when the DVDs change.
  std::optional<InventoryFunctions::DVDQuery> shown_;
  DialogChrome* chrome_ = nullptr;
  QComboBox* titleTxt_ = nullptr;
  QComboBox* categoryTxt_ = nullptr;
  QComboBox* ratedTxt_ = nullptr;
  QComboBox* starringTxt_ = nullptr;
  QPlainTextEdit* descriptionTxt_ = nullptr;
  QCheckBox* exactMatchChk_ = nullptr;
  QButtonGroup* andOr_ = nullptr;
  QPushButton* searchButton_ = nullptr;
  DVDListView* results_ = nullptr;
  QStatusBar* messBar_ = nullptr;
  QLabel* state_ = nullptr;
  QTimer* tagTimer_ = nullptr;
  QAction* exportResults_ = nullptr;
  bool loaded_ = false;
  bool unloaded_ = false;
};
