#include "TestSupport.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QProcess>
#include <stdexcept>

#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "phonebook/CustomerFunctions.h"
#include "settings/SettingsManager.h"

namespace testsupport {
namespace {

// Every test makes fresh database files, each flushed to disk several times. On a memory file
// system a flush costs nothing, which keeps the suites fast without changing the program.
const bool kFastTemporaryFolder = [] {
  if (qEnvironmentVariableIsEmpty("TMPDIR") && QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
    qputenv("TMPDIR", "/dev/shm");
  }
  return true;
}();

}  // namespace

ScriptedMessageBox::ScriptedMessageBox() { seams::SetMessages(this); }

ScriptedMessageBox::~ScriptedMessageBox() { seams::SetMessages(nullptr); }

seams::MsgAnswer ScriptedMessageBox::Show(const seams::MessageRequest& request) {
  shown_.push_back(request);
  if (answers_.empty()) return request.defaultAnswer;
  const seams::MsgAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

FixedClock::FixedClock(QDate today) : today_(today) { seams::SetClock(this); }

FixedClock::~FixedClock() { seams::SetClock(nullptr); }

TempDatabase::TempDatabase() {
  if (!dir_.isValid()) throw std::runtime_error("no temporary folder");
  path_ = dir_.filePath(QStringLiteral("ReelKeeper.mdb"));
  DatabaseFunctions::OpenSharedDatabase(path_);
  InitAllTables();
}

TempDatabase::~TempDatabase() { DatabaseFunctions::CloseDatabase(); }

DatabaseHandle TempDatabase::Db() const { return DatabaseFunctions::GetDatabase(); }

void TempDatabase::InitAllTables() {
  const DatabaseHandle db = DatabaseFunctions::GetDatabase();
  SettingsManager::InitSettings(db);
  InventoryFunctions::InitInventory(db);
  CustomerFunctions::InitCustomers(db);
}

namespace {

void Run(sqlite3* db, const char* sql, const QStringList& values) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
  std::vector<QByteArray> keep;
  for (int i = 0; i < values.size(); ++i) {
    keep.push_back(values[i].toUtf8());
    sqlite3_bind_text(statement, i + 1, keep.back().constData(), int(keep.back().size()),
                      SQLITE_TRANSIENT);
  }
  const int rc = sqlite3_step(statement);
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
}

}  // namespace

void TempDatabase::AddDvd(const QString& title, const QString& category, qint32 status,
                          const QString& name, const QString& date, const QString& dueDate,
                          const QString& barCode, const QString& rated, const QString& starring,
                          const QString& description) {
  Run(Db()->Handle(),
      "INSERT INTO Inventory (DVDTitle, Category, Status, Name, Date, DueDate, BarCode, Rated, "
      "Starring, Description) VALUES (?1, ?2, CAST(?3 AS INTEGER), ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
      {title, category, QString::number(status), name, date, dueDate, barCode, rated, starring,
       description});
}

void TempDatabase::AddCustomer(const QString& name, const QString& phone) {
  Run(Db()->Handle(), "INSERT INTO Customers (Name, Phone) VALUES (?1, ?2)", {name, phone});
}

QStringList TempDatabase::Column(const QString& sql) const {
  sqlite3_stmt* statement = Db()->Prepare(sql);
  QStringList result;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    result << (text ? QString::fromUtf8(text) : QString());
  }
  sqlite3_finalize(statement);
  return result;
}

QString Sqlite3Shell(const QString& file, const QString& sql) {
  QProcess shell;
  shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file, sql});
  if (!shell.waitForFinished(30000)) return QStringLiteral("<sqlite3 did not finish>");
  return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError()).trimmed();
}

}  // namespace testsupport
