// What the user waits for in the collection menu's Back Up... and Restore... and in the automatic
// copies, on a large collection opened as at start, each the median of several runs, with the
// longest time the window would go without a report of progress (the bar still, Cancel unheard):
//   backup_bench [DVDS] [RUNS]   (default 100,000 DVDs, 5 runs; REELKEEPER_BENCH_COLLECTION
//                                 names a file to copy instead of generating one)
// back up    Back Up...: a copy of the open collection to a chosen file
// automatic  an automatic copy into the Backups folder, older ones pruned (no bar)
// check      the backup checked before the question (integrity, tables, counts)
// swap-in    after Yes: the backup checked again, copied into the collection's place, the
//            collection opened again and its old self copied to the Backups folder
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "CollectionGenerator.h"
#include "app/Collection.h"
#include "data/DatabaseFunctions.h"
#include "upkeep/CollectionBackups.h"
#include "upkeep/DatabaseMaintenance.h"

namespace {

struct Run {
  double ms = 0;
  double stillMs = 0;  // the longest stretch without a report
  int reports = 0;
  qint64 lastDone = 0;  // how far the bar got, out of the total
  qint64 total = 0;
};

template <typename Work>
Run Timed(Work&& work) {
  QElapsedTimer timer;
  timer.start();
  Run run;
  double last = 0;
  work([&](qint64 done, qint64 total) {
    const double now = double(timer.nsecsElapsed()) / 1e6;
    run.stillMs = std::max(run.stillMs, now - last);
    last = now;
    ++run.reports;
    run.lastDone = done;
    run.total = total;
    return true;
  });
  run.ms = double(timer.nsecsElapsed()) / 1e6;
  run.stillMs = std::max(run.stillMs, run.ms - last);
  return run;
}

void Report(const char* what, std::vector<Run> runs) {
  std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.ms < b.ms; });
  const Run& median = runs[runs.size() / 2];
  double still = 0;
  for (const Run& run : runs) still = std::max(still, run.stillMs);
  std::printf("%-10s %8.1f ms  (%.1f to %.1f); %d reports, at most %.0f ms apart, last %lld/%lld\n",
              what, median.ms, runs.front().ms, runs.back().ms, median.reports, still,
              median.lastDone, median.total);
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  bench::CollectionSize size;
  if (argc > 1) size.dvds = std::max(1, std::atoi(argv[1]));
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  bench::GenerateOrCopyCollection(path, size);
  Collection collection;
  DatabaseMaintenance::Open(collection, path);
  const QString backup = dir.filePath(QStringLiteral("Backup.mdb"));

  std::vector<Run> backedUp, automatic, checked, swapped;
  for (int run = 0; run < runs; ++run) {
    backedUp.push_back(Timed(
        [&](const auto& progress) { CollectionBackups::BackUpTo(collection, backup, progress); }));
    automatic.push_back(
        Timed([&](const auto&) { CollectionBackups::BackUpAutomatically(collection); }));
    checked.push_back(Timed([&](const auto& progress) {
      if (!CollectionBackups::Inspect(backup, progress).usable) std::abort();
    }));
    swapped.push_back(Timed([&](const auto& progress) {
      if (CollectionBackups::Restore(collection, backup, progress)) std::abort();
    }));
  }
  std::printf("file %.1f MB, runs: %d (medians, lowest to highest)\n",
              double(QFile(path).size()) / 1e6, runs);
  Report("back up", backedUp);
  Report("automatic", automatic);
  Report("check", checked);
  Report("swap-in", swapped);
  DatabaseMaintenance::Close(collection);
  return 0;
}
