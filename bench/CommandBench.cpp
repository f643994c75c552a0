// What the user waits for around the DVD dialogs, on a large collection: opening the Add/Edit and
// Loan dialogs with their choice lists filled, and each command from the dialog's Ok (or the
// return question's Yes) to the refreshed list and detail panel. Each figure is the median of
// several runs, with its ratio to the bare list query measured in the same run.
//   command_bench [DVDS] [RUNS]   (default 100,000 DVDs, 5 runs)
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "CollectionGenerator.h"
#include "app/Collection.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "phonebook/CustomerFunctions.h"
#include "seams/MessageBox.h"
#include "settings/SettingsManager.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/DVDListView.h"
#include "ui/dialogs/AddEditFrm.h"
#include "ui/dialogs/LoanFrm.h"
#include "ui/main/InventoryCommands.h"
#include "ui/main/ReelKeeperFrm.h"
#include "upkeep/DatabaseMaintenance.h"

namespace {

Collection collection;
DatabaseHandle database;
QElapsedTimer elapsed;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Ms() { return double(elapsed.nsecsElapsed()) / 1e6; }

// Answers every question with Yes and notes when the answer was given.
class YesBox final : public seams::MessageBox {
 public:
  seams::MsgAnswer Show(const seams::MessageRequest&) override {
    answered = Ms();
    return seams::MsgAnswer::Yes;
  }
  double answered = 0;
};

// Runs `fill` on the dialog the command opens, notes the moment of its Ok and presses it.
template <class Dialog>
void OnOpen(double& pressed, std::function<void(Dialog&)> fill) {
  QTimer::singleShot(0, [&pressed, fill] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog) std::abort();
    fill(*dialog);
    pressed = Ms();
    dialog->template findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
  });
}

template <class Dialog>
double OpenMs(const std::function<void(Dialog&)>& set) {
  Dialog dialog(collection);
  set(dialog);
  const double start = Ms();
  dialog.show();
  QApplication::processEvents();  // laid out and painted
  const double opened = Ms() - start;
  dialog.template findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
  return opened;
}

void Report(const char* what, const std::vector<double>& runs, double bare, double limit) {
  const double median = Median(runs);
  std::printf("%-42s %8.1f ms  ratio %5.2f  (%s %.0f ms)\n", what, median, median / bare,
              median <= limit ? "within" : "OVER", limit);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  bench::CollectionSize size;
  if (argc > 1) size.dvds = std::max(1, std::atoi(argv[1]));
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  bench::GenerateOrCopyCollection(path, size);
  DatabaseMaintenance::Open(collection, path);
  database = collection.Db();
  YesBox yes;
  seams::SetMessages(&yes);
  elapsed.start();

  ReelKeeperFrm frm(collection);
  frm.LoadForm();
  frm.show();
  DVDListView* list = frm.findChild<DVDListView*>(QStringLiteral("DVDList"));
  const QString stocked = QStringLiteral("Bench Title");

  struct Commands {
    std::vector<double> add, edit, lend, giveBack;
  };
  int added = 0;
  // Add a DVD, edit it, lend it and take it back, each timed from its Ok (or Yes).
  auto runCommands = [&](Commands& times) {
    const QString title = stocked + QString::number(added++);
    double pressed = 0;
    OnOpen<AddEditFrm>(pressed, [&](AddEditFrm& d) {
      d.findChild<QLineEdit*>(QStringLiteral("TitleTxt"))->setText(title);
    });
    frm.Commands().AddDVD();
    times.add.push_back(Ms() - pressed);
    if (frm.GetSelectedDVD() != title) std::abort();

    OnOpen<AddEditFrm>(pressed, [](AddEditFrm& d) {
      d.findChild<QComboBox*>(QStringLiteral("RatedTxt"))->setEditText(QStringLiteral("PG"));
    });
    frm.Commands().EditDVD();
    times.edit.push_back(Ms() - pressed);

    OnOpen<LoanFrm>(pressed, [](LoanFrm& d) {
      d.findChild<QComboBox*>(QStringLiteral("NameTxt"))->setEditText(QStringLiteral("Bench"));
      d.findChild<QLineEdit*>(QStringLiteral("DaysDueTxt"))->setText(QStringLiteral("7"));
    });
    frm.Commands().LoanDVD();
    times.lend.push_back(Ms() - pressed);

    frm.Commands().LoanDVD();
    times.giveBack.push_back(Ms() - yes.answered);
    if (list->Model()->rowCount() != size.dvds + added) std::abort();
  };

  // The first opening after another program's write: the written row's keys are worked out
  // before the choice lists are read from their index.
  database->ExecuteRaw(QStringLiteral("UPDATE Inventory SET Rated = Rated WHERE rowid = 1"));
  const double coldOpen = OpenMs<AddEditFrm>([](AddEditFrm& d) { d.AddMode = true; });

  std::vector<double> bare, openAdd, openLoan;
  Commands unsorted, sorted, byStatus;
  for (int run = 0; run < runs; ++run) {
    bare.push_back(bench::BareQueryMs(database));
    openAdd.push_back(OpenMs<AddEditFrm>([](AddEditFrm& d) { d.AddMode = true; }));
    openLoan.push_back(OpenMs<LoanFrm>([](LoanFrm& d) { d.DVDTitle = QStringLiteral("x"); }));
    runCommands(unsorted);
  }
  // The same with the list sorted by title, as a restored layout often has it.
  list->SetSort(true, 0, Qt::AscendingOrder);
  for (int run = 0; run < runs; ++run) runCommands(sorted);
  // By status: those cells are not kept as keys; the ranks held are carried over instead.
  const auto& columns = list->Model()->Columns();
  const auto status = std::find_if(columns.begin(), columns.end(),
                                   [](const DVDListColumn& c) { return c.key == "Status"; });
  list->SetSort(true, int(status - columns.begin()), Qt::AscendingOrder);
  for (int run = 0; status != columns.end() && run < runs; ++run) runCommands(byStatus);

  std::printf("DVDs: %d, runs: %d; bare list query %.1f ms (median)\n", size.dvds, runs,
              Median(bare));
  const double b = Median(bare);
  std::printf("%-42s %8.1f ms  ratio %5.2f\n", "open Add/Edit after another's write", coldOpen,
              coldOpen / b);
  Report("open Add/Edit (lists filled)", openAdd, b, 100);
  Report("open Loan (names filled)", openLoan, b, 100);
  for (const auto& [name, times] : {std::pair{"", &unsorted}, std::pair{" (sorted)", &sorted},
                                    std::pair{" (by status)", &byStatus}}) {
    if (times->add.empty()) continue;
    const QString suffix = QString::fromUtf8(name);
    Report(qPrintable("add: Ok to refreshed window" + suffix), times->add, b, 300);
    Report(qPrintable("edit: Ok to refreshed window" + suffix), times->edit, b, 300);
    Report(qPrintable("lend: Ok to refreshed window" + suffix), times->lend, b, 300);
    Report(qPrintable("return: Yes to refreshed window" + suffix), times->giveBack, b, 300);
  }

  seams::SetMessages(nullptr);
  frm.hide();
  database.reset();
  return 0;
}
