#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <stdexcept>

#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "phonebook/CustomerFunctions.h"
#include "scanner/ScannerFunctions.h"
#include "settings/SettingsManager.h"

namespace testsupport {
namespace {

// Every test makes fresh database files, each flushed to disk several times. On a memory file
// system a flush costs nothing, which keeps the suites fast without changing the program.
const bool kFastTemporaryFolder = [] {
  if (qEnvironmentVariableIsEmpty("TMPDIR") && QFileInfo("/dev/shm").isWritable()) {
    qputenv("TMPDIR", "/dev/shm");
  }
  return true;
}();

void Run(const DatabaseHandle& db, const char* sql, const QStringList& values) {
  Statement statement = db->PrepareRaw(QString::fromUtf8(sql));
  for (int i = 0; i < values.size(); ++i) statement.BindText(i + 1, values[i]);
  statement.Run();
}

}  // namespace

seams::MsgAnswer ScriptedMessageBox::Show(const seams::MessageRequest& request) {
  shown_.push_back(request);
  if (onShow_) onShow_();
  if (answers_.empty()) return request.defaultAnswer;
  const seams::MsgAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void ExpectBox(const seams::MessageRequest& shown, const QString& text, const QString& title,
               seams::MsgButtons buttons, seams::MsgIcon icon) {
  EXPECT_EQ(shown.text, text);
  EXPECT_EQ(shown.title, title);
  EXPECT_EQ(shown.buttons, buttons);
  EXPECT_EQ(shown.icon, icon);
}

TempDatabase::TempDatabase() {
  if (!dir_.isValid()) throw std::runtime_error("no temporary folder");
  path_ = dir_.filePath("ReelKeeper.mdb");
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

void TempDatabase::AddDvd(const QString& title, const QString& category, qint32 status,
                          const QString& name, const QString& date, const QString& dueDate,
                          const QString& barCode, const QString& rated, const QString& starring,
                          const QString& description) {
  Run(Db(),
      "INSERT INTO Inventory (DVDTitle, Category, Status, Name, Date, DueDate, BarCode, Rated, "
      "Starring, Description) VALUES (?1, ?2, CAST(?3 AS INTEGER), ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
      {title, category, QString::number(status), name, date, dueDate, barCode, rated, starring,
       description});
}

void TempDatabase::AddCustomer(const QString& name, const QString& phone) {
  Run(Db(), "INSERT INTO Customers (Name, Phone) VALUES (?1, ?2)", {name, phone});
}

QStringList TempDatabase::Column(const QString& sql) const {
  Statement statement = Db()->Prepare(sql);
  QStringList result;
  while (statement.Step()) result << statement.Text(0);
  return result;
}

TempCurrentFolder::TempCurrentFolder() : previous_(QDir::currentPath()) {
  if (!dir_.isValid() || !QDir::setCurrent(dir_.path()))
    throw std::runtime_error("no temporary current folder");
}

TempCurrentFolder::~TempCurrentFolder() { QDir::setCurrent(previous_); }

QString TempCurrentFolder::ErrorLog() const {
  QFile log(dir_.filePath(QStringLiteral("ErrorLog")));
  return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

ScopedEnvironment::ScopedEnvironment(const char* name, const QByteArray& value)
    : name_(name), saved_(qgetenv(name)), wasSet_(qEnvironmentVariableIsSet(name)) {
  value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

ScopedEnvironment::~ScopedEnvironment() { wasSet_ ? qputenv(name_, saved_) : qunsetenv(name_); }

ScannerFeed::ScannerFeed() : environment_("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path())) {
  ScannerFunctions::SetLibraryPath({});
  ScannerFunctions::HookScanner();
}

ScannerFeed::~ScannerFeed() { ScannerFunctions::UnhookScanner(); }

void ScannerFeed::Scan(const QByteArray& line) const {
  QFile feed(QDir(runtime_.path()).filePath(QStringLiteral("ReelKeeper/scanner")));
  ASSERT_TRUE(feed.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
  feed.write(line + '\n');
}

QString Sqlite3Shell(const QString& file, const QString& sql) {
  QProcess shell;
  shell.start("sqlite3", {"-batch", file, sql});
  if (!shell.waitForFinished(30000)) return "<sqlite3 did not finish>";
  return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError()).trimmed();
}

QByteArray Checksum(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

}  // namespace testsupport
