// Reading the whole DVD list through a record set against the bare SQLite loop over the same
// query, on the same connection (same collation and functions), in the same run.
//   recordset_bench [DVDS] [RUNS]
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "CollectionGenerator.h"
#include "data/DatabaseFunctions.h"
#include "data/JetDialect.h"
#include "data/Recordset.h"

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double ThroughRecordset(const DatabaseHandle& db, int& rows) {
  QElapsedTimer timer;
  timer.start();
  RecordsetPtr records = OpenRecords(bench::ListSql(), db);
  size_t bytes = 0;
  rows = 0;
  if (!NoRecords(records)) {
    FetchAllRecords(records);
    const int title = records->FieldIndex(QStringLiteral("DVDTitle"));
    const int category = records->FieldIndex(QStringLiteral("Category"));
    const int starring = records->FieldIndex(QStringLiteral("Starring"));
    const int rated = records->FieldIndex(QStringLiteral("Rated"));
    const int status = records->FieldIndex(QStringLiteral("Status"));
    const int name = records->FieldIndex(QStringLiteral("Name"));
    const int date = records->FieldIndex(QStringLiteral("Date"));
    const int dueDate = records->FieldIndex(QStringLiteral("DueDate"));
    const int description = records->FieldIndex(QStringLiteral("Description"));
    const int barCode = records->FieldIndex(QStringLiteral("BarCode"));
    while (!records->Eof()) {
      bytes += size_t(records->Text(title).size() + records->Text(category).size() +
                      records->Text(starring).size() + records->Text(rated).size() +
                      records->Text(name).size() + records->Text(description).size() +
                      records->Text(barCode).size());
      bytes += size_t(records->Long(status));
      bytes += size_t(records->Date(date).date().day() + records->Date(dueDate).date().day());
      records->MoveNext();
    }
    rows = records->RecordCount();  // known without another query once the end is passed
  }
  CloseRecords(records);
  static volatile size_t sink = 0;
  sink = sink + bytes;
  return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  bench::CollectionSize size;
  if (argc > 1) size.dvds = std::atoi(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  bench::GenerateCollection(path, size);
  DatabaseHandle db = DatabaseFunctions::OpenOrCreateDatabase(path);

  std::vector<double> bare;
  std::vector<double> recordset;
  int rows = 0;
  bench::BareQueryMs(db);  // warm the page cache for both
  for (int i = 0; i < runs; ++i) {
    bare.push_back(bench::BareQueryMs(db));
    recordset.push_back(ThroughRecordset(db, rows));
  }
  const double bareMs = Median(bare);
  const double recordsetMs = Median(recordset);
  std::printf("rows: %d, runs: %d\n", rows, runs);
  std::printf("bare sqlite3_step loop:            %8.1f ms (median)\n", bareMs);
  std::printf("OpenRecords+FetchAllRecords+fields: %8.1f ms (median)\n", recordsetMs);
  std::printf("ratio: %.2f (target at most 2.00)\n", recordsetMs / bareMs);
  db->Close();
  return 0;
}
