// The History tab on a large collection with a long history: from the selection to the filled
// tab for the DVD lent most often (1,000 loans among 20,000), against reading its loans alone.
// Then the Reminders window, from opening to its filled and painted list, against reading the
// reminder list alone. Lend, loan change and return with their history writes are CommandBench's.
//   history_bench [DVDS] [RUNS]   (default 100,000 DVDs, 20 runs)
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "CollectionGenerator.h"
#include "app/Collection.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/LoanJournal.h"
#include "inventory/Reminders.h"
#include "phonebook/CustomerFunctions.h"
#include "settings/SettingsManager.h"
#include "ui/main/HistoryPanel.h"
#include "ui/reminders/RemindersFrm.h"
#include "upkeep/DatabaseMaintenance.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  bench::CollectionSize size;
  if (argc > 1) size.dvds = std::max(1, std::atoi(argv[1]));
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  bench::GenerateCollection(path, size);
  Collection collection;
  DatabaseMaintenance::Open(collection, path);
  DatabaseHandle db = collection.Db();
  Statement busiest = db->PrepareRaw(QStringLiteral(
      "SELECT DVDTitle, count(*) FROM Loans GROUP BY DVDTitle ORDER BY 2 DESC LIMIT 1"));
  if (!busiest.Step()) return 1;
  const QString title = busiest.Text(0);
  const qint64 loans = busiest.Int64(1);
  busiest.Finalize();

  QWidget page;
  HistoryPanel panel(collection, &page, 80);
  page.resize(600, 400);
  page.show();
  QElapsedTimer timer;
  std::vector<double> read, filled;
  for (int run = 0; run < runs; ++run) {
    timer.start();
    const auto found = InventoryFunctions::LoansOfDVD(collection, title);
    read.push_back(double(timer.nsecsElapsed()) / 1e6);
    timer.start();
    panel.Show(title, QDate::currentDate());
    QApplication::processEvents();  // laid out and painted
    filled.push_back(double(timer.nsecsElapsed()) / 1e6);
    if (qint64(found.size()) != loans) return 1;
  }
  std::sort(read.begin(), read.end());
  std::sort(filled.begin(), filled.end());
  const double median = filled[filled.size() / 2];
  std::printf("DVDs: %d, past loans: %d, runs: %d; \"%s\" has %lld loans\n", size.dvds,
              size.pastLoans, runs, qPrintable(title), loans);
  std::printf("%-42s %8.1f ms\n", "read its loans (median)", read[read.size() / 2]);
  std::printf("%-42s %8.1f ms  (%s 50 ms)\n", "History tab filled and painted (median)", median,
              median <= 50 ? "within" : "OVER");

  std::vector<double> listed, opened;
  size_t borrowers = 0;
  for (int run = 0; run < runs; ++run) {
    timer.start();
    borrowers =
        Reminders::DueBorrowers(collection, QDate::currentDate(), Reminders::WithinDays(collection))
            .size();
    listed.push_back(double(timer.nsecsElapsed()) / 1e6);
    timer.start();
    RemindersFrm window(collection);
    if (!window.LoadForm()) return 1;
    window.show();
    QApplication::processEvents();  // laid out and painted
    opened.push_back(double(timer.nsecsElapsed()) / 1e6);
    window.close();
  }
  std::sort(listed.begin(), listed.end());
  std::sort(opened.begin(), opened.end());
  const double open = opened[opened.size() / 2];
  std::printf("%-42s %8.1f ms  (%zu borrowers)\n", "read the reminder list (median)",
              listed[listed.size() / 2], borrowers);
  std::printf("%-42s %8.1f ms  (%s 300 ms)\n", "Reminders window open and painted (median)", open,
              open <= 300 ? "within" : "OVER");
  db.reset();
  DatabaseMaintenance::Close(collection);
  return 0;
}
