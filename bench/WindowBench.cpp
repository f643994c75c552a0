#include "WindowBench.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

#include "CollectionGenerator.h"
#include "app/DatabaseMaintenance.h"
#include "data/DatabaseFunctions.h"

namespace bench {

int RunWindowBenchmarks(int argc, char** argv,
                        const std::function<void(const DatabaseHandle&)>& ready) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  CollectionSize size;
  if (argc > 1) size.dvds = std::max(1, std::atoi(argv[1]));

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  GenerateCollection(path, size);
  {
    DatabaseHandle database = DatabaseFunctions::OpenSharedDatabase(path);
    DatabaseMaintenance::InitTablesOn(database);
    BareQueryMs(database);  // the page cache is warm for everyone
    if (ready) ready(database);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DatabaseFunctions::CloseDatabase();
  return 0;
}

}  // namespace bench
