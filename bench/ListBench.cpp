// The DVD list with a large collection: filling it from the list's query, against the bare SQLite
// loop over the same query on the same connection in the same run, and sorting it by a column.
//   list_bench [--benchmark_filter=...] [DVDS]   (default 100,000 DVDs)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "CollectionGenerator.h"
#include "WindowBench.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "settings/SettingsManager.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/DVDListView.h"

namespace {

using InventoryFunctions::DVDQuery;

// The columns the main window shows with the stock display properties.
std::vector<DVDListColumn> ListColumns() {
  return {{"DVDTitle", "Title"}, {"Category", "Category"}, {"Starring", "Starring"},
          {"Rated", "Rated"},    {"Status", "Status"},     {"DueDate", "Due Date"}};
}

double BareQueryMs() { return bench::BareQueryMs(bench::Opened().Db()); }

void BM_BareQuery(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(BareQueryMs() / 1e3);
}
BENCHMARK(BM_BareQuery)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// The model's fill, with the bare loop run beside it in each iteration for the ratio.
void BM_LoadFromQuery(benchmark::State& state) {
  DVDListModel model(bench::Opened());
  model.SetColumns(ListColumns());
  double bare = 0;
  double loaded = 0;
  for (auto _ : state) {
    bare += BareQueryMs();
    QElapsedTimer timer;
    timer.start();
    model.LoadFromQuery(DVDQuery::List());
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    loaded += ms;
    state.SetIterationTime(ms / 1e3);
  }
  state.counters["rows"] = model.rowCount();
  state.counters["bare_ms"] = bare / double(state.iterations());
  state.counters["ratio_to_bare"] = loaded / bare;
}
BENCHMARK(BM_LoadFromQuery)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// A first sort by a column after a reload: collation keys are computed, then the rows ordered.
void BM_SortColumn(benchmark::State& state) {
  const int column = int(state.range(0));
  DVDListModel model(bench::Opened());
  model.SetColumns(ListColumns());
  for (auto _ : state) {
    state.PauseTiming();
    model.LoadFromQuery(DVDQuery::List());
    state.ResumeTiming();
    model.SortBy(column, Qt::AscendingOrder);
  }
  state.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_SortColumn)
    ->Arg(0)  // titles: nearly all distinct
    ->Arg(1)  // categories: a handful of texts
    ->Arg(4)  // statuses: a few texts
    ->Arg(5)  // due dates: mostly empty
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Clicking the same header again: the keys of the column are kept, only the order is rebuilt.
void BM_ReverseSort(benchmark::State& state) {
  DVDListModel model(bench::Opened());
  model.SetColumns(ListColumns());
  model.LoadFromQuery(DVDQuery::List());
  model.SortBy(0, Qt::AscendingOrder);
  bool descending = false;
  for (auto _ : state) {
    descending = !descending;
    model.SortBy(0, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  }
}
BENCHMARK(BM_ReverseSort)->Unit(benchmark::kMillisecond)->MinTime(1);

// What the user waits for after a command: the list view refilled while sorted by title, with
// the selection put back.
void BM_ViewReloadSorted(benchmark::State& state) {
  DVDListView view(bench::Opened());
  view.resize(900, 700);
  view.LoadListColumns();
  view.Reload(DVDQuery::List());
  view.SetSort(true, 0, Qt::AscendingOrder);
  view.SelectTitle(view.Model()->TitleAt(view.Model()->rowCount() / 2));
  for (auto _ : state) {
    const QString title = view.SelectedTitle();
    view.Reload(DVDQuery::List());
    view.SelectTitle(title);
  }
  state.counters["rows"] = view.Model()->rowCount();
}
BENCHMARK(BM_ViewReloadSorted)->Unit(benchmark::kMillisecond)->Iterations(5);

// The parts of the above: a refill without sorting, and a header click on a filled view.
void BM_ViewReloadUnsorted(benchmark::State& state) {
  DVDListView view(bench::Opened());
  view.resize(900, 700);
  view.LoadListColumns();
  for (auto _ : state) view.Reload(DVDQuery::List());
}
BENCHMARK(BM_ViewReloadUnsorted)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ViewHeaderClick(benchmark::State& state) {
  DVDListView view(bench::Opened());
  view.resize(900, 700);
  view.LoadListColumns();
  int column = 0;
  for (auto _ : state) {
    state.PauseTiming();
    view.Reload(DVDQuery::List());
    column = column == 0 ? 2 : 0;
    state.ResumeTiming();
    SortListByColumn(&view, column);
  }
}
BENCHMARK(BM_ViewHeaderClick)->Unit(benchmark::kMillisecond)->Iterations(5);

// A key typed into the list: the next row whose title starts with what was typed so far.
void BM_TypeAhead(benchmark::State& state) {
  DVDListModel model(bench::Opened());
  model.SetColumns(ListColumns());
  model.LoadFromQuery(DVDQuery::List());
  model.SortBy(0, Qt::AscendingOrder);
  const QStringList typed = {"s", "si", "sil", "silent r", "v", "vi", "vien"};
  int next = 0;
  int found = 0;
  for (auto _ : state) {
    const QString text = typed[next++ % typed.size()];
    found += int(model.match(model.index(model.rowCount() / 3, 0), Qt::DisplayRole, text).size());
  }
  state.counters["found"] = found;
}
BENCHMARK(BM_TypeAhead)->Unit(benchmark::kMillisecond)->MinTime(1);

// Scrolling to the end with the scroll bar: the rows of the last screen are read.
void BM_ScrollToEnd(benchmark::State& state) {
  DVDListView view(bench::Opened());
  view.resize(900, 700);
  view.LoadListColumns();
  view.Reload(DVDQuery::List());
  view.show();
  for (auto _ : state) {
    view.scrollToTop();
    QApplication::processEvents();
    view.scrollToBottom();
    view.viewport()->repaint();
  }
}
BENCHMARK(BM_ScrollToEnd)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
