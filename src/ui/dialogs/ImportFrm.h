#pragma once

#include <QDialog>
#include <vector>

#include "exchange/CsvFormat.h"
#include "exchange/ImportMapping.h"
#include "exchange/ImportPlan.h"

class Collection;

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

// The import window, in two steps. "Columns": each column of the file with the field it feeds,
// chosen from the header (and from the known exports of other programs) and changed by the user.
// "What Will Happen": the dry run against the collection (how many new, how many already there
// and whether to skip or update them, which lines cannot be used and why); only Import writes,
// all rows or none, with a progress bar and Cancel. Cards from an address book come already
// mapped and start on the second step.
class ImportFrm final : public QDialog {
  Q_OBJECT

 public:
  enum class Kind { DVDs, Borrowers };
  ImportFrm(Collection& collection, Kind kind, QWidget* parent = nullptr);

  void SetTable(const CsvFormat::Table& table);
  void SetRows(std::vector<ImportMapping::MappedRow> rows);

  // True once the rows are written.
  bool Imported = false;

 private:
  Collection& collection_;
  void ShowColumns();
  void ShowPlan();
  void Replan();
  void Import();
  QString Noun(int count) const;

  Kind kind_;
  CsvFormat::Table table_;
  bool mapped_ = false;  // the rows came mapped (cards): no column step
  ImportMapping::Mapping mapping_;
  std::vector<ImportMapping::MappedRow> rows_;
  ImportPlan::Plan plan_;

  QStackedWidget* steps_ = nullptr;
  QWidget* columnsPage_ = nullptr;
  QLabel* programLbl_ = nullptr;
  std::vector<QComboBox*> fieldBoxes_;
  QLabel* summaryLbl_ = nullptr;
  QComboBox* duplicatesTxt_ = nullptr;
  QPlainTextEdit* problemsTxt_ = nullptr;
  QPushButton* backButton_ = nullptr;
  QPushButton* nextButton_ = nullptr;
  QPushButton* importButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};
