// The search dialog with a large collection: from the click on Search to the filled result list,
// against the bare SQLite loop over the search's statement as written (every row tried by the
// Like; a title part narrows through the title index first) on the same connection in the same
// run; and the dialog's opening, which fills the four choice lists.
//   search_bench [--benchmark_filter=...] [DVDS]   (default 100,000 DVDs)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdlib>

#include "CollectionGenerator.h"
#include "WindowBench.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/SearchQuery.h"
#include "settings/SettingsManager.h"
#include "ui/common/DVDListModel.h"
#include "ui/common/DVDListView.h"
#include "ui/search/SearchFrm.h"

namespace {

using InventoryFunctions::SearchCriteria;

SearchCriteria TitleOnly(const char* title) {
  SearchCriteria criteria;
  criteria.title = QString::fromUtf8(title);
  return criteria;
}

// Any of five criteria, each common in the generated collection: about a third of it matches.
SearchCriteria AnyOfFive() {
  SearchCriteria criteria;
  criteria.title = QStringLiteral("lisbon");
  criteria.category = QStringLiteral("Drama");
  criteria.rated = QStringLiteral("NC-17");
  criteria.starring = QStringLiteral("O'Brien");
  criteria.description = QStringLiteral("heist");
  criteria.matchAll = false;
  return criteria;
}

// Types the criteria into the dialog's boxes as they stand (without the type-ahead, which would
// complete them to stored values).
void Enter(SearchFrm& dialog, const SearchCriteria& criteria) {
  auto set = [&](const char* name, const QString& text) {
    auto* box = dialog.findChild<QComboBox*>(QString::fromUtf8(name));
    const QSignalBlocker quiet(box);
    box->setEditText(text);
  };
  set("TitleTxt", criteria.title);
  set("CategoryTxt", criteria.category);
  set("RatedTxt", criteria.rated);
  set("StarringTxt", criteria.starring);
  dialog.findChild<QPlainTextEdit*>(QStringLiteral("DescriptionTxt"))
      ->setPlainText(criteria.description);
  dialog.findChild<QRadioButton*>(QString::fromUtf8(criteria.matchAll ? "AndOr0" : "AndOr1"))
      ->setChecked(true);
}

void RunSearch(benchmark::State& state, const SearchCriteria& criteria, bool sorted) {
  SearchFrm dialog(bench::Opened());
  if (!dialog.LoadForm()) {
    state.SkipWithError("the dialog could not load");
    return;
  }
  auto* results = dialog.findChild<DVDListView*>(QStringLiteral("DVDList"));
  if (sorted) results->SetSort(true, 1, Qt::AscendingOrder);  // by category, as a user may leave it
  dialog.show();
  Enter(dialog, criteria);
  auto* search = dialog.findChild<QPushButton*>(QStringLiteral("SearchButton"));
  const QString sql = InventoryFunctions::SearchQuery(criteria)->Sql();
  double bare = 0;
  double clicked = 0;
  for (auto _ : state) {
    bare += bench::BareQueryMs(bench::Opened().Db(), sql);
    QElapsedTimer timer;
    timer.start();
    search->click();
    QApplication::processEvents();  // the view lays out and paints the new rows
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    clicked += ms;
    state.SetIterationTime(ms / 1e3);
  }
  state.counters["rows"] = results->Model()->rowCount();
  state.counters["bare_ms"] = bare / double(state.iterations());
  state.counters["ratio_to_bare"] = clicked / bare;
  dialog.close();
}

void BM_SearchTitlePartial(benchmark::State& state) {
  RunSearch(state, TitleOnly("lisbon"), false);
}
BENCHMARK(BM_SearchTitlePartial)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// A title part that a quarter of the collection holds: the list fill dominates.
void BM_SearchTitleBroad(benchmark::State& state) { RunSearch(state, TitleOnly("the"), false); }
BENCHMARK(BM_SearchTitleBroad)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_SearchOrAllFive(benchmark::State& state) { RunSearch(state, AnyOfFive(), false); }
BENCHMARK(BM_SearchOrAllFive)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_SearchOrAllFiveSorted(benchmark::State& state) { RunSearch(state, AnyOfFive(), true); }
BENCHMARK(BM_SearchOrAllFiveSorted)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// Opening the dialog: four choice lists (all titles among them), the columns and their layout.
// The lists' first screens are read from their index.
void BM_OpenDialog(benchmark::State& state) {
  for (auto _ : state) {
    SearchFrm dialog(bench::Opened());
    dialog.LoadForm();
    dialog.show();
    QApplication::processEvents();
    state.PauseTiming();
    dialog.close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenDialog)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
