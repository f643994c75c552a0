#include "WindowBench.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

#include "CollectionGenerator.h"
#include "data/DatabaseFunctions.h"
#include "upkeep/DatabaseMaintenance.h"

Collection& bench::Opened() {
  static Collection collection;
  return collection;
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  bench::CollectionSize size;
  if (argc > 1) size.dvds = std::max(1, std::atoi(argv[1]));

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  bench::GenerateOrCopyCollection(path, size);
  {
    DatabaseMaintenance::Open(bench::Opened(), path);
    bench::BareQueryMs(bench::Opened().Db());  // the page cache is warm for everyone
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DatabaseMaintenance::Close(bench::Opened());
  return 0;
}
