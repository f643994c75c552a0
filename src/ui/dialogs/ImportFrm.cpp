#include "ui/dialogs/ImportFrm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "exchange/ImportWrites.h"
#include "seams/MessageBox.h"
#include "ui/common/FormHelpers.h"

namespace {

using ImportMapping::BorrowerField;
using ImportMapping::DvdField;

// A file longer than this shows its progress while it is written.
constexpr qsizetype kRowsWorthAProgressBar = 2000;

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setAccessibleName(QString(QString::fromUtf8(caption)).remove(u'&'));
  return button;
}

// A column's first value that is not blank, to show the user what the column holds.
QString Sample(const CsvFormat::Table& table, qsizetype column) {
  for (const CsvFormat::Row& row : table.rows) {
    if (column < row.fields.size() && !row.fields[column].trimmed().isEmpty()) {
      QString text = row.fields[column].simplified();
      if (text.size() > 40) text = text.left(39) + QChar(0x2026);
      return text;
    }
  }
  return {};
}

}  // namespace

ImportFrm::ImportFrm(Collection& collection, Kind kind, QWidget* parent)
    : QDialog(parent), collection_(collection), kind_(kind) {
  setObjectName(QStringLiteral("ImportFrm"));
  setWindowTitle(kind == Kind::DVDs ? QStringLiteral("Import DVDs")
                                    : QStringLiteral("Import Borrowers"));
  setAccessibleName(windowTitle());
  resize(560, 480);

  steps_ = new QStackedWidget(this);
  columnsPage_ = new QWidget(steps_);
  auto* columnsLayout = new QVBoxLayout(columnsPage_);
  auto* columnsIntro = new QLabel(
      QStringLiteral("Which field of the program does each column of the file fill? Columns set "
                     "to \"(not imported)\" are left out."),
      columnsPage_);
  columnsIntro->setWordWrap(true);
  programLbl_ = new QLabel(columnsPage_);
  programLbl_->setObjectName(QStringLiteral("ProgramText"));
  columnsLayout->addWidget(columnsIntro);
  columnsLayout->addWidget(programLbl_);
  auto* scroll = new QScrollArea(columnsPage_);
  scroll->setObjectName(QStringLiteral("ColumnsArea"));
  scroll->setWidgetResizable(true);
  scroll->setWidget(new QWidget(scroll));
  new QFormLayout(scroll->widget());
  columnsLayout->addWidget(scroll, 1);
  steps_->addWidget(columnsPage_);

  auto* planPage = new QWidget(steps_);
  auto* planLayout = new QVBoxLayout(planPage);
  summaryLbl_ = new QLabel(planPage);
  summaryLbl_->setObjectName(QStringLiteral("SummaryText"));
  summaryLbl_->setWordWrap(true);
  auto* duplicatesLbl = new QLabel(QStringLiteral("&Already in the collection:"), planPage);
  duplicatesLbl->setObjectName(QStringLiteral("DuplicatesLbl"));
  duplicatesTxt_ = new QComboBox(planPage);
  duplicatesTxt_->setObjectName(QStringLiteral("DuplicatesTxt"));
  duplicatesTxt_->setAccessibleName(QStringLiteral("Already in the collection"));
  duplicatesTxt_->addItems({QStringLiteral("Skip them: keep the collection's as they are"),
                            QStringLiteral("Update them with the file's values")});
  duplicatesLbl->setBuddy(duplicatesTxt_);
  auto* problemsLbl = new QLabel(QStringLiteral("&Rows that cannot be used:"), planPage);
  problemsLbl->setObjectName(QStringLiteral("ProblemsLbl"));
  problemsTxt_ = new QPlainTextEdit(planPage);
  problemsTxt_->setObjectName(QStringLiteral("ProblemsTxt"));
  problemsTxt_->setAccessibleName(QStringLiteral("Rows that cannot be used"));
  problemsTxt_->setReadOnly(true);
  problemsTxt_->setTabChangesFocus(true);
  problemsLbl->setBuddy(problemsTxt_);
  auto* duplicatesRow = new QHBoxLayout;
  duplicatesRow->addWidget(duplicatesLbl);
  duplicatesRow->addWidget(duplicatesTxt_, 1);
  planLayout->addWidget(summaryLbl_);
  planLayout->addLayout(duplicatesRow);
  planLayout->addWidget(problemsLbl);
  planLayout->addWidget(problemsTxt_, 1);
  steps_->addWidget(planPage);

  backButton_ = Button(this, "BackButton", "< &Back");
  nextButton_ = Button(this, "NextButton", "&Next >");
  importButton_ = Button(this, "ImportButton", "&Import");
  cancelButton_ = Button(this, "CancelButton", "Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* button : {backButton_, nextButton_, importButton_, cancelButton_}) {
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(steps_, 1);
  layout->addLayout(buttons);

  connect(backButton_, &QPushButton::clicked, this, &ImportFrm::ShowColumns);
  connect(nextButton_, &QPushButton::clicked, this, &ImportFrm::ShowPlan);
  connect(importButton_, &QPushButton::clicked, this, &ImportFrm::Import);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(duplicatesTxt_, &QComboBox::currentIndexChanged, this, &ImportFrm::Replan);
}

QString ImportFrm::Noun(int count) const {
  if (kind_ == Kind::DVDs) return count == 1 ? QStringLiteral("DVD") : QStringLiteral("DVDs");
  return count == 1 ? QStringLiteral("borrower") : QStringLiteral("borrowers");
}

void ImportFrm::SetTable(const CsvFormat::Table& table) {
  table_ = table;
  mapped_ = false;
  mapping_ = kind_ == Kind::DVDs ? ImportMapping::MapDvdColumns(table.header)
                                 : ImportMapping::MapBorrowerColumns(table.header);
  programLbl_->setText(
      mapping_.program.isEmpty()
          ? QString()
          : QStringLiteral("Recognised: CSV exported from %1.").arg(mapping_.program));
  programLbl_->setVisible(!mapping_.program.isEmpty());
  auto* form = static_cast<QFormLayout*>(
      columnsPage_->findChild<QScrollArea*>(QStringLiteral("ColumnsArea"))->widget()->layout());
  const int fields =
      kind_ == Kind::DVDs ? ImportMapping::kDvdFieldCount : int(BorrowerField::Count);
  for (qsizetype column = 0; column < table.header.size(); ++column) {
    const QString header = table.header[column].trimmed();
    const QString sample = Sample(table, column);
    auto* label = new QLabel(
        (header.isEmpty() ? QStringLiteral("Column %1").arg(column + 1) : header).toHtmlEscaped() +
            (sample.isEmpty()
                 ? QString()
                 : QStringLiteral(" <small>(%1)</small>").arg(sample.toHtmlEscaped())) +
            QStringLiteral(":"),
        form->parentWidget());
    label->setObjectName(QStringLiteral("ColumnLbl%1").arg(column));
    auto* box = new QComboBox(form->parentWidget());
    box->setObjectName(QStringLiteral("ColumnTxt%1").arg(column));
    box->setAccessibleName(header.isEmpty() ? QStringLiteral("Column %1").arg(column + 1) : header);
    box->addItem(QStringLiteral("(not imported)"));
    for (int field = 1; field < fields; ++field) {
      box->addItem(kind_ == Kind::DVDs ? ImportMapping::Caption(DvdField(field))
                                       : ImportMapping::Caption(BorrowerField(field)));
    }
    box->setCurrentIndex(mapping_.fieldOfColumn[size_t(column)]);
    label->setBuddy(box);
    form->addRow(label, box);
    fieldBoxes_.push_back(box);
  }
  ShowColumns();
}

void ImportFrm::SetRows(std::vector<ImportMapping::MappedRow> rows) {
  rows_ = std::move(rows);
  mapped_ = true;
  ShowPlan();
}

void ImportFrm::ShowColumns() {
  steps_->setCurrentIndex(0);
  backButton_->setEnabled(false);
  nextButton_->setEnabled(true);
  nextButton_->setDefault(true);
  importButton_->setEnabled(false);
  if (!fieldBoxes_.empty()) fieldBoxes_.front()->setFocus();
}

void ImportFrm::ShowPlan() {
  if (!mapped_) {
    for (size_t column = 0; column < fieldBoxes_.size(); ++column) {
      mapping_.fieldOfColumn[column] = fieldBoxes_[column]->currentIndex();
    }
    rows_ = kind_ == Kind::DVDs ? ImportMapping::ApplyDvdMapping(table_, mapping_)
                                : ImportMapping::ApplyBorrowerMapping(table_, mapping_);
  }
  steps_->setCurrentIndex(1);
  backButton_->setEnabled(!mapped_);
  nextButton_->setEnabled(false);
  Replan();
  importButton_->setDefault(true);
  duplicatesTxt_->setFocus();
}

void ImportFrm::Replan() {
  const auto duplicates = duplicatesTxt_->currentIndex() == 1 ? ImportPlan::Duplicates::Update
                                                              : ImportPlan::Duplicates::Skip;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  plan_ = kind_ == Kind::DVDs ? ImportWrites::PlanDvds(collection_, rows_, duplicates)
                              : ImportWrites::PlanBorrowers(collection_, rows_, duplicates);
  QGuiApplication::restoreOverrideCursor();
  const int there = plan_.updates + plan_.skips;
  const QLocale locale;
  summaryLbl_->setText(
      QStringLiteral("%1 new %2; %3 already in the collection (%4); %5 %6 that cannot be used.")
          .arg(locale.toString(plan_.adds), Noun(plan_.adds), locale.toString(there),
               plan_.updates > 0 ? QStringLiteral("to be updated") : QStringLiteral("skipped"),
               locale.toString(plan_.unusable),
               plan_.unusable == 1 ? QStringLiteral("row") : QStringLiteral("rows")));
  summaryLbl_->setAccessibleName(summaryLbl_->text());
  QStringList reasons;
  for (const ImportPlan::PlannedRow& row : plan_.rows) {
    if (row.action == ImportPlan::Action::Unusable) reasons << row.reason;
  }
  problemsTxt_->setPlainText(reasons.isEmpty() ? QStringLiteral("None.") : reasons.join(u'\n'));
  importButton_->setEnabled(plan_.adds + plan_.updates > 0);
}

void ImportFrm::Import() {
  std::unique_ptr<QProgressDialog> progress;
  if (qsizetype(plan_.rows.size()) >= kRowsWorthAProgressBar) {
    progress = std::make_unique<QProgressDialog>(QStringLiteral("Importing..."),
                                                 QStringLiteral("&Cancel"), 0, 1000, this);
    progress->setObjectName(QStringLiteral("ImportProgress"));
    progress->setAccessibleName(QStringLiteral("Importing"));
    progress->setWindowTitle(windowTitle());
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(400);
    progress->setAutoReset(false);
  }
  const ImportWrites::Progress tell = [&progress](qsizetype done, qsizetype total) {
    if (!progress) return true;
    progress->setValue(total > 0 ? int(done * 1000 / total) : 0);
    return !progress->wasCanceled();
  };
  ImportWrites::Result result;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const bool ran = ErrorFunctions::CarryOn(
      QStringLiteral("The import failed; nothing was imported."),
      ErrorFunctions::Report::ShowUnlessPassing, [&] {
        result = kind_ == Kind::DVDs
                     ? ImportWrites::WriteDvds(collection_, rows_, plan_, tell)
                     : ImportWrites::WriteBorrowers(collection_, rows_, plan_, tell);
      });
  QGuiApplication::restoreOverrideCursor();
  if (progress) progress->close();
  if (!ran) return;
  switch (result.status) {
    case ImportWrites::Status::Cancelled:
      FormHelpers::MainMessage(QStringLiteral("Cancelled: nothing was imported."));
      return;
    case ImportWrites::Status::Refused:
      seams::ShowMessage(result.message + QStringLiteral("\r\n\r\nNothing was imported."),
                         QStringLiteral("Not Imported"), seams::MsgIcon::Exclamation);
      Replan();
      return;
    case ImportWrites::Status::Written:
      break;
  }
  Imported = true;
  const QLocale locale;
  FormHelpers::MainMessage(QStringLiteral("Imported: %1 new, %2 updated, %3 skipped.")
                               .arg(locale.toString(result.added), locale.toString(result.updated),
                                    locale.toString(result.skipped)));
  accept();
}
