#include "WindowBench.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

#include "CollectionGenerator.h"
#include "data/DatabaseFunctions.h"
#include "upkeep/DatabaseMaintenance.h"

DatabaseHandle bench::Collection() { return DatabaseFunctions::GetDatabase(); }

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
    const DatabaseHandle database = DatabaseFunctions::OpenSharedDatabase(path);
    DatabaseMaintenance::InitTablesOn(database);
    bench::BareQueryMs(database);  // the page cache is warm for everyone
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DatabaseFunctions::CloseDatabase();
  return 0;
}
