// Export, import and backup of a large collection, each against a baseline measured in the same
// run:
//   exchange_bench [DVDS] [RUNS]
// export   DVD list read through the inventory owner, written as CSV (goal: under 2 s);
//          baseline: the bare statement over the same rows
// import   that CSV read, mapped, planned against an empty collection and written through the
//          domain's writes (ImportWrites) in one transaction (goal: under 5 s with the write);
//          baseline: reading the file's bytes
// update   the same CSV imported again over the collection it made, every row matching a DVD
//          there by its title and "Update" chosen; baseline as for the import
// backup   the collection copied with the online backup API, renamed into place (goal: under
//          1 s); baseline: a plain copy of the file's bytes
// restore  that backup checked (integrity and counts, as the question before a restore shows
//          them) and put in the place of a closed copy of the collection; baseline: the plain
//          copy
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "CollectionGenerator.h"
#include "app/Collection.h"
#include "data/DatabaseBackup.h"
#include "data/DatabaseFunctions.h"
#include "exchange/CsvFormat.h"
#include "exchange/DvdCsv.h"
#include "exchange/ExchangeFile.h"
#include "exchange/ImportMapping.h"
#include "exchange/ImportPlan.h"
#include "exchange/ImportWrites.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "phonebook/CustomerFunctions.h"
#include "upkeep/DatabaseMaintenance.h"

namespace {

using InventoryFunctions::DVDField;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The processor time this thread spent, which other programs on a loaded machine do not inflate
// as they do the time on the clock (the writes to disk are left out of it).
double CpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

template <typename Work>
double Milliseconds(Work&& work) {
  QElapsedTimer timer;
  timer.start();
  work();
  return double(timer.nsecsElapsed()) / 1e6;
}

// The collection exported from and imported into.
Collection& Opened() {
  static Collection collection;
  return collection;
}

int ExportCsv(const QString& path) {
  CsvFormat::Writer writer;
  writer.AddRow(DvdCsv::Header());
  int rows = 0;
  const std::vector<DVDField> all = {DVDField::Category, DVDField::Starring,    DVDField::Rated,
                                     DVDField::Name,     DVDField::Description, DVDField::BarCode};
  InventoryFunctions::ReadDVDs(Opened(), InventoryFunctions::DVDQuery::List(), all,
                               [&](const InventoryFunctions::DVDRecord& dvd) {
                                 writer.AddRow(DvdCsv::Fields(dvd));
                                 ++rows;
                               });
  if (const QString error = ExchangeFile::Save(path, writer.Bytes()); !error.isEmpty()) {
    std::fprintf(stderr, "export failed: %s\n", qUtf8Printable(error));
  }
  return rows;
}

// Reads, maps and plans against the open collection, then writes the rows as a user's import
// does. The rows added or updated.
int Import(const QString& csv, ImportPlan::Duplicates duplicates) {
  const CsvFormat::ReadResult read = CsvFormat::ReadFile(csv);
  if (read.status != CsvFormat::ReadStatus::Read) {
    std::fprintf(stderr, "import failed: %s\n", qUtf8Printable(read.message));
    return 0;
  }
  const auto mapping = ImportMapping::MapDvdColumns(read.table.header);
  const auto rows = ImportMapping::ApplyDvdMapping(read.table, mapping);
  const ImportPlan::Plan plan = ImportWrites::PlanDvds(Opened(), rows, duplicates);
  const ImportWrites::Result result = ImportWrites::WriteDvds(Opened(), rows, plan);
  if (result.status != ImportWrites::Status::Written) {
    std::fprintf(stderr, "import failed: %s\n", qUtf8Printable(result.message));
  }
  return result.added + result.updated;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  bench::CollectionSize size;
  if (argc > 1) size.dvds = std::atoi(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  bench::GenerateCollection(path, size);
  // The empty collections the import writes into, made first: the generator closes the shared
  // database.
  for (int run = 0; run < runs; ++run) {
    bench::GenerateCollection(dir.filePath(QStringLiteral("Empty%1.mdb").arg(run)), {0, 0, 0, 0});
  }
  DatabaseMaintenance::Open(Opened(), path);
  DatabaseHandle db = Opened().Db();
  const QString csv = dir.filePath(QStringLiteral("Export.csv"));

  std::vector<double> bare, exported, readBytes, imported, updated, plainCopy, backedUp, restored;
  std::vector<double> importedCpu, updatedCpu;
  int exportedRows = 0;
  int importedRows = 0;
  int updatedRows = 0;
  bench::BareQueryMs(db);  // warm the page cache
  for (int run = 0; run < runs; ++run) {
    bare.push_back(bench::BareQueryMs(db));
    exported.push_back(Milliseconds([&] { exportedRows = ExportCsv(csv); }));

    readBytes.push_back(Milliseconds([&] {
      QFile file(csv);
      file.open(QIODevice::ReadOnly);
      static volatile qsizetype sink = 0;
      sink = sink + file.readAll().size();
    }));
    DatabaseMaintenance::Open(Opened(), dir.filePath(QStringLiteral("Empty%1.mdb").arg(run)));
    double cpu = CpuMilliseconds();
    imported.push_back(
        Milliseconds([&] { importedRows = Import(csv, ImportPlan::Duplicates::Skip); }));
    importedCpu.push_back(CpuMilliseconds() - cpu);
    cpu = CpuMilliseconds();
    updated.push_back(
        Milliseconds([&] { updatedRows = Import(csv, ImportPlan::Duplicates::Update); }));
    updatedCpu.push_back(CpuMilliseconds() - cpu);
    DatabaseMaintenance::Open(Opened(), path);
    db = Opened().Db();

    const QString copy = dir.filePath(QStringLiteral("Copy.mdb"));
    QFile::remove(copy);
    plainCopy.push_back(Milliseconds([&] { QFile::copy(path, copy); }));
    const QString backup = dir.filePath(QStringLiteral("Backup.mdb"));
    backedUp.push_back(Milliseconds([&] { DatabaseBackup::BackUp(db, backup); }));
    restored.push_back(Milliseconds([&] {
      if (DatabaseBackup::Inspect(backup).usable) DatabaseBackup::Restore(backup, copy);
    }));
  }
  std::printf("DVDs: %d exported, %d imported, %d updated; file %.1f MB; runs: %d (medians)\n",
              exportedRows, importedRows, updatedRows, double(QFile(csv).size()) / 1e6, runs);
  std::printf("export to CSV:         %8.1f ms  (bare list statement %7.1f ms, ratio %.2f)\n",
              Median(exported), Median(bare), Median(exported) / Median(bare));
  std::printf(
      "import with the write: %8.1f ms  (reading the bytes   %7.1f ms, ratio %.2f; "
      "processor %.1f ms)\n",
      Median(imported), Median(readBytes), Median(imported) / Median(readBytes),
      Median(importedCpu));
  std::printf(
      "update-heavy import:   %8.1f ms  (reading the bytes   %7.1f ms, ratio %.2f; "
      "processor %.1f ms)\n",
      Median(updated), Median(readBytes), Median(updated) / Median(readBytes), Median(updatedCpu));
  std::printf("backup:                %8.1f ms  (plain file copy     %7.1f ms, ratio %.2f)\n",
              Median(backedUp), Median(plainCopy), Median(backedUp) / Median(plainCopy));
  std::printf("restore with checks:   %8.1f ms  (plain file copy     %7.1f ms, ratio %.2f)\n",
              Median(restored), Median(plainCopy), Median(restored) / Median(plainCopy));
  db.reset();
  DatabaseMaintenance::Close(Opened());
  return 0;
}
