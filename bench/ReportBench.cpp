// The status report with a large collection: from the click on Status to the filled, painted
// report window, against the bare SQLite loops over the report's own list statements on the same
// connection in the same run; the report's lines alone; printing the inventory list; and the
// overdue check at start.
//   report_bench [--benchmark_filter=...] [DVDS]   (default 100,000 DVDs)
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "CollectionGenerator.h"
#include "WindowBench.h"
#include "data/DatabaseFunctions.h"
#include "data/Recordset.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/StatusReport.h"
#include "phonebook/CustomerFunctions.h"
#include "seams/MessageBox.h"
#include "seams/Printer.h"
#include "settings/SettingsManager.h"
#include "ui/main/ReelKeeperFrm.h"
#include "ui/report/DVDReportFrm.h"
#include "ui/report/ReportView.h"

namespace {

// The question at start is answered No at once, as a user who does not want the report would.
class AnswerNo final : public seams::MessageBox {
 public:
  seams::MsgAnswer Show(const seams::MessageRequest&) override { return seams::MsgAnswer::No; }
};

// The report's three lists as bare statements: what the report cannot do faster than.
double BareListsMs() {
  const QString today = SqlText(QDate::currentDate());
  const QString head = QStringLiteral("Select Inventory.* From Inventory Where ");
  const QString tail = QStringLiteral(" Order By Inventory.DVDTitle");
  return bench::BareQueryMs(bench::Opened().Db(),
                            head + QStringLiteral("Inventory.Status = 1 And ") + today +
                                QStringLiteral(" > Inventory.DueDate") + tail) +
         bench::BareQueryMs(bench::Opened().Db(),
                            head + QStringLiteral("Inventory.Status = 1 And ") + today +
                                QStringLiteral(" <= Inventory.DueDate") + tail) +
         bench::BareQueryMs(bench::Opened().Db(),
                            head + QStringLiteral("Inventory.Status = 0") + tail);
}

void BM_StatusReportClickToFilledWindow(benchmark::State& state) {
  ReelKeeperFrm main(bench::Opened());
  qsizetype lines = 0;
  double bare = 0;
  double clicked = 0;
  for (auto _ : state) {
    bare += BareListsMs();
    QElapsedTimer timer;
    // Polls until the modal window's own loop runs with the report in the text box (the window
    // is already up, empty, while the collection is read).
    std::function<void()> whenFilled = [&] {
      auto* report = qobject_cast<DVDReportFrm*>(QApplication::activeModalWidget());
      auto* text = report ? report->findChild<ReportView*>(QStringLiteral("ReportTxt")) : nullptr;
      if (!text || text->Lines().size() < 2) {
        QTimer::singleShot(0, whenFilled);
        return;
      }
      report->repaint();
      const double ms = double(timer.nsecsElapsed()) / 1e6;
      clicked += ms;
      state.SetIterationTime(ms / 1e3);
      lines = text->Lines().size();
      report->close();
    };
    QTimer::singleShot(0, whenFilled);
    timer.start();
    main.findChild<QAction*>(QStringLiteral("StatusReport"))->trigger();
  }
  state.counters["lines"] = double(lines);
  state.counters["bare_lists_ms"] = bare / double(state.iterations());
  state.counters["ratio_to_bare"] = clicked / bare;
}
BENCHMARK(BM_StatusReportClickToFilledWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The core's part: the report's statements and lines, without a window.
void BM_StatusReportLines(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        InventoryFunctions::StatusReportLines(bench::Opened(), QDate::currentDate()));
  }
}
BENCHMARK(BM_StatusReportLines)->Unit(benchmark::kMillisecond)->Iterations(5);

// A printer that only notes how large each document it is sent is.
class CountingPrinter final : public seams::Printer {
 public:
  QString DefaultPrinter() override { return QStringLiteral("Bench"); }
  QString PrintPdf(const QString&, const QString& pdfFile, const QString&,
                   const QString&) override {
    bytes = QFileInfo(pdfFile).size();
    return {};
  }
  QString ChoosePdfFile(const QString&) override { return {}; }
  qint64 bytes = 0;
};

// Print Inventory with the whole collection: every title laid out, drawn and handed over.
void BM_PrintInventory(benchmark::State& state) {
  CountingPrinter printer;
  seams::SetPrinter(&printer);
  DVDReportFrm report(bench::Opened());
  for (auto _ : state) report.PrintInventory();
  state.counters["pdf_mb"] = double(printer.bytes) / 1e6;
  seams::SetPrinter(nullptr);
}
BENCHMARK(BM_PrintInventory)->Unit(benchmark::kMillisecond)->Iterations(2);

// Print Inventory with the whole collection, from the click to the progress window on screen
// (then cancelled): how long the window sits still before it shows that it is working.
void BM_PrintInventoryClickToProgress(benchmark::State& state) {
  CountingPrinter printer;
  seams::SetPrinter(&printer);
  DVDReportFrm report(bench::Opened());
  report.show();
  double shownAfter = 0;
  for (auto _ : state) {
    QElapsedTimer timer;
    std::function<void()> whenShown = [&] {
      auto* progress = report.findChild<QProgressDialog*>(QStringLiteral("PrintProgress"));
      if (!progress || !progress->isVisible()) {
        QTimer::singleShot(1, whenShown);
        return;
      }
      const double ms = double(timer.nsecsElapsed()) / 1e6;
      shownAfter += ms;
      state.SetIterationTime(ms / 1e3);
      progress->cancel();
    };
    QTimer::singleShot(0, whenShown);
    timer.start();
    report.PrintInventory();
  }
  state.counters["shown_after_ms"] = shownAfter / double(state.iterations());
  seams::SetPrinter(nullptr);
}
BENCHMARK(BM_PrintInventoryClickToProgress)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The check a start runs before the window is shown.
void BM_CheckOverdues(benchmark::State& state) {
  AnswerNo no;
  seams::SetMessages(&no);
  ReelKeeperFrm main(bench::Opened());
  for (auto _ : state) benchmark::DoNotOptimize(main.CheckOverdues());
  seams::SetMessages(nullptr);
}
BENCHMARK(BM_CheckOverdues)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
