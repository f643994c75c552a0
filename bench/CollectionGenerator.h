#pragma once

#include <QDate>
#include <QString>

#include "data/Database.h"

namespace bench {

struct CollectionSize {
  int dvds = 100000;
  int customers = 2000;
  int loans = 2000;   // DVDs lent out, each to one of the customers
  int overdue = 500;  // of those loans, due before today
  // Loans already returned, in the loan history: 1,000 of them (at most) on one DVD, the one
  // HistoryBench shows, the rest over the others.
  int pastLoans = 20000;
};

// Writes a realistic collection into a new database file at path (made the way the program makes
// it, tables included): titles with apostrophes and accents, categories, ratings, stars,
// descriptions, bar codes with leading zeros, borrowers with phone numbers, and loans of which
// some are overdue relative to today. Deterministic for a given size. The file must not exist.
void GenerateCollection(const QString& path, const CollectionSize& size = {},
                        QDate today = QDate::currentDate());

// As GenerateCollection, or a copy of the file REELKEEPER_BENCH_COLLECTION names, so that several
// benchmarks of a large collection share one generation (it must have been made for that size).
void GenerateOrCopyCollection(const QString& path, const CollectionSize& size);

// The statement that fills the main DVD list.
QString ListSql();

// The baseline every list benchmark is measured against: the bare sqlite3_prepare_v2 /
// sqlite3_step loop over sql on db (the program's own connection, so the same collation and
// functions), reading every column of every row as text. Returns milliseconds.
double BareQueryMs(const DatabaseHandle& db, const QString& sql = ListSql());

}  // namespace bench
