#include "CollectionGenerator.h"

#include <sqlite3.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <random>
#include <stdexcept>

#include "data/DatabaseFunctions.h"
#include "inventory/ChoiceLists.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "inventory/ListOrder.h"
#include "phonebook/CustomerFunctions.h"
#include "settings/SettingsManager.h"

namespace bench {
namespace {

const QStringList kAdjectives = {
    "Silent",   "Last",     "Crimson",   "Hidden",  "Broken",   "Golden",   "Midnight", "Frozen",
    "Wild",     "Lost",     "Dark",      "Eternal", "Secret",   "Burning",  "Distant",  "Savage",
    "Gentle",   "Electric", "Forgotten", "Iron",    "Velvet",   "Northern", "Hollow",   "Scarlet",
    "Restless", "Little",   "Final",     "Endless", "Fearless", "Quiet"};
const QStringList kNouns = {
    "River",   "Empire",    "Horizon",  "Kingdom", "Stranger", "Garden",   "Storm",      "Harbor",
    "Promise", "Mountain",  "Shadow",   "Station", "Voyage",   "Island",   "Detective",  "Summer",
    "Winter",  "Frontier",  "Symphony", "Heist",   "Witness",  "Carnival", "Lighthouse", "Orchard",
    "Duel",    "Labyrinth", "Tide",     "Bridge",  "Legacy",   "Rebellion"};
const QStringList kPlaces = {"Paris",  "Tokyo",      "Brooklyn",   "Montréal",
                             "Zürich", "Casablanca", "the Desert", "the Moon",
                             "Mars",   "Vienna",     "Lisbon",     "Nowhere"};
const QStringList kCategories = {"Action",          "Comedy",      "Drama",     "Horror",
                                 "Science Fiction", "Documentary", "Animation", "Thriller",
                                 "Romance",         "Western",     "Musical",   "Family",
                                 "Fantasy",         "Crime",       "War"};
const QStringList kRatings = {"G", "PG", "PG-13", "R", "NC-17", "NR"};
const QStringList kFirstNames = {"Ann",   "Bob",   "Carla", "David", "Émile", "Fiona", "George",
                                 "Hana",  "Ivan",  "Julia", "Kofi",  "Lena",  "Marco", "Nadia",
                                 "Oscar", "Priya", "Quinn", "Rosa",  "Sven",  "Tara",  "Ugo",
                                 "Vera",  "Wes",   "Xenia", "Yusuf", "Zoë"};
const QStringList kLastNames = {"O'Brien", "Smith",  "García",   "Müller",    "Nguyen", "Kowalski",
                                "Rossi",   "Dubois", "Tanaka",   "Johansson", "Okafor", "Silva",
                                "Novak",   "Haddad", "Murphy",   "Larsen",    "Costa",  "Ivanova",
                                "Fischer", "Khan",   "D'Angelo", "Brown",     "Lee",    "Moreau"};

class Writer {
 public:
  Writer(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) Fail();
  }
  ~Writer() { sqlite3_finalize(statement_); }
  void Text(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(statement_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
  }
  void Number(int index, int value) { sqlite3_bind_int(statement_, index, value); }
  void Run() {
    if (sqlite3_step(statement_) != SQLITE_DONE) Fail();
    sqlite3_reset(statement_);
  }

 private:
  [[noreturn]] void Fail() { throw std::runtime_error(sqlite3_errmsg(db_)); }
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace

QString ListSql() { return InventoryFunctions::DVDQuery::List().Sql(); }

double BareQueryMs(const DatabaseHandle& db, const QString& sql) {
  QElapsedTimer timer;
  timer.start();
  Statement owner = db->Prepare(sql);
  sqlite3_stmt* statement = owner.Handle();
  const int columns = sqlite3_column_count(statement);
  size_t bytes = 0;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    for (int i = 0; i < columns; ++i) {
      const unsigned char* text = sqlite3_column_text(statement, i);
      bytes += size_t(sqlite3_column_bytes(statement, i)) + (text ? text[0] : 0);
    }
  }
  owner.Finalize();
  // Touching the bytes keeps the loop from being optimised away.
  static volatile size_t sink = 0;
  sink = sink + bytes;
  return double(timer.nsecsElapsed()) / 1e6;
}

void GenerateOrCopyCollection(const QString& path, const CollectionSize& size) {
  const QString made = qEnvironmentVariable("REELKEEPER_BENCH_COLLECTION");
  if (made.isEmpty()) {
    GenerateCollection(path, size);
  } else if (!QFile::copy(made, path)) {
    throw std::runtime_error("cannot copy REELKEEPER_BENCH_COLLECTION");
  }
}

void GenerateCollection(const QString& path, const CollectionSize& size, QDate today) {
  std::mt19937 random(20261206);
  auto pick = [&](const QStringList& list) {
    return list[int(std::uniform_int_distribution<int>(0, int(list.size()) - 1)(random))];
  };
  auto number = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };

  const DatabaseHandle db = DatabaseFunctions::OpenOrCreateDatabase(path);
  SettingsManager::InitSettings(db);
  InventoryFunctions::InitInventory(db);
  CustomerFunctions::InitCustomers(db);

  db->Execute(QStringLiteral("PRAGMA synchronous=OFF"));
  Transaction transaction(db);

  QStringList customers;
  QSet<QString> seenNames;
  Writer addCustomer(db->Handle(),
                     "INSERT INTO Customers (Name, Address, City, State, Zip, Phone, Notes) "
                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  while (customers.size() < size.customers) {
    QString name = pick(kFirstNames) + u' ' + pick(kLastNames);
    if (seenNames.contains(name.toCaseFolded()))
      name += QStringLiteral(" %1").arg(customers.size());
    seenNames.insert(name.toCaseFolded());
    customers << name;
    addCustomer.Text(1, name);
    addCustomer.Text(2, QStringLiteral("%1 %2 Street").arg(number(1, 999)).arg(pick(kNouns)));
    addCustomer.Text(3, pick(kPlaces));
    addCustomer.Text(4, QStringLiteral("NY"));
    addCustomer.Text(5, QStringLiteral("%1").arg(number(10000, 99999)));
    // Every tenth borrower has no phone number, as real phone books go.
    addCustomer.Text(6, customers.size() % 10 == 0 ? QString()
                                                   : QStringLiteral("555-%1").arg(
                                                         number(0, 9999), 4, 10, QLatin1Char('0')));
    addCustomer.Text(7, QStringLiteral("Prefers %1.").arg(pick(kCategories)));
    addCustomer.Run();
  }

  Writer addDvd(db->Handle(),
                "INSERT INTO Inventory (DVDTitle, Category, Starring, Rated, Status, Name, Date, "
                "DueDate, Description, BarCode) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
  QSet<QString> titles;
  QStringList titleList;
  const int loans = std::min(size.loans, size.dvds);
  const int overdue = std::min(size.overdue, loans);
  for (int i = 0; i < size.dvds; ++i) {
    QString title;
    switch (i % 4) {
      case 0:
        title = QStringLiteral("The %1 %2").arg(pick(kAdjectives), pick(kNouns));
        break;
      case 1:
        title = QStringLiteral("%1 in %2").arg(pick(kNouns), pick(kPlaces));
        break;
      case 2:
        title = QStringLiteral("%1's %2").arg(pick(kFirstNames), pick(kNouns));
        break;
      default:
        title = QStringLiteral("%1 %2").arg(pick(kAdjectives), pick(kNouns));
        break;
    }
    if (titles.contains(title.toCaseFolded())) {
      title += QStringLiteral(" %1").arg(number(2, 9));
      while (titles.contains(title.toCaseFolded())) title += QStringLiteral(" (%1)").arg(i);
    }
    titles.insert(title.toCaseFolded());
    titleList << title;

    int status = 0;
    QString borrower;
    QDate out(2000, 1, 1);
    QDate due(2000, 1, 1);
    if (i < loans) {
      status = 1;
      borrower = customers.isEmpty() ? QString() : customers[i % customers.size()];
      if (i < overdue) {
        due = today.addDays(-number(1, 60));
      } else {
        due = today.addDays(number(0, 30));
      }
      out = due.addDays(-number(1, 21));
    } else if (i % 997 == 0) {
      status = 3;  // a few sold ones, counted but never listed by status
    }
    addDvd.Text(1, title);
    addDvd.Text(2, pick(kCategories));
    addDvd.Text(3, pick(kFirstNames) + u' ' + pick(kLastNames) + QStringLiteral(", ") +
                       pick(kFirstNames) + u' ' + pick(kLastNames));
    addDvd.Text(4, pick(kRatings));
    addDvd.Number(5, status);
    addDvd.Text(6, borrower);
    addDvd.Text(7, out.toString(Qt::ISODate));
    addDvd.Text(8, due.toString(Qt::ISODate));
    addDvd.Text(9, QStringLiteral("A %1 tale of a %2 %3 set in %4.")
                       .arg(pick(kCategories).toLower(), pick(kAdjectives).toLower(),
                            pick(kNouns).toLower(), pick(kPlaces)));
    addDvd.Text(10, QStringLiteral("%1").arg(i, 12, 10, QLatin1Char('0')));
    addDvd.Run();
  }

  // The history: an open loan for each DVD out, and the past loans, back three days at most
  // after their due dates.
  Writer(db->Handle(),
         "INSERT INTO Loans (DVDTitle, Name, OutDate, FirstDueDate, DueDate) "
         "SELECT DVDTitle, Name, Date, DueDate, DueDate FROM Inventory WHERE Status = 1")
      .Run();
  Writer addPast(db->Handle(),
                 "INSERT INTO Loans (DVDTitle, Name, OutDate, FirstDueDate, DueDate, ReturnDate) "
                 "VALUES (?1, ?2, ?3, ?4, ?4, ?5)");
  for (int i = 0; i < size.pastLoans && !titleList.isEmpty() && !customers.isEmpty(); ++i) {
    const int dvd = i < 1000 ? std::min(loans, int(titleList.size()) - 1)
                             : number(0, int(titleList.size()) - 1);
    const QDate out = today.addDays(-number(30, 3000));
    const QDate due = out.addDays(number(1, 21));
    addPast.Text(1, titleList[dvd]);
    addPast.Text(2, pick(customers));
    addPast.Text(3, out.toString(Qt::ISODate));
    addPast.Text(4, due.toString(Qt::ISODate));
    addPast.Text(5, due.addDays(number(-3, 3)).toString(Qt::ISODate));
    addPast.Run();
  }

  // The list's index and the choice lists' keys as the program keeps them once it has read the
  // collection (the triggers noted every row written above).
  InventoryFunctions::RebuildListOrder(db);
  ChoiceLists::RebuildChoiceKeys(db);
  transaction.Commit();
  db->Execute(QStringLiteral("PRAGMA synchronous=FULL"));
  db->Close();
}

}  // namespace bench
