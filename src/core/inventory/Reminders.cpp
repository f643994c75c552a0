#include "inventory/Reminders.h"

#include <QHash>
#include <QUrl>
#include <algorithm>

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "inventory/DVDRecord.h"
#include "inventory/InventoryFunctions.h"
#include "phonebook/CustomerRecords.h"
#include "settings/SettingsManager.h"

namespace Reminders {
namespace {

const QString kSource = QStringLiteral("Reminders");
const QString kDaysSetting = QStringLiteral("ReminderDays");
const QString kTemplateSetting = QStringLiteral("ReminderTemplate");
constexpr int kDefaultDays = 2;
constexpr int kMostDays = 365;

// Titles compare without letter case, as everywhere in the collection.
QString Key(const QString& title) { return title.toCaseFolded(); }

struct Reminded {
  int count = 0;
  QDate last;
};

// The reminders noted on open loans: few rows, read in one go.
QHash<QString, Reminded> RemindedLoans(Collection& collection) {
  QHash<QString, Reminded> reminded;
  RecordsetPtr records = OpenRecords(
      QStringLiteral("Select Loans.DVDTitle, Loans.Reminders, Loans.LastReminded From Loans "
                     "Where Loans.ReturnDate Is Null And Loans.LastReminded Is Not Null"),
      collection.Db());
  for (; !records->Eof(); records->MoveNext()) {
    reminded.insert(Key(records->Text(0)), {records->Long(1), records->Date(2).date()});
  }
  CloseRecords(records);
  return reminded;
}

std::vector<Borrower> Read(Collection& collection, const QString& borrowerClause,
                           const QDate& today, int withinDays) {
  using InventoryFunctions::Loaned;
  // Before the day after the last one counted: a due date with a time of day is still that day.
  const QDate before = today.addDays(std::clamp(withinDays, 0, kMostDays) + 1);
  RecordsetPtr records = OpenRecords(
      QStringLiteral("Select Inventory.DVDTitle, Inventory.Name, Inventory.DueDate From Inventory "
                     "Where Inventory.Status = %1 And Inventory.Name <> '' And "
                     "Inventory.DueDate < %2%3 Order By Inventory.Name, Inventory.DueDate, "
                     "Inventory.DVDTitle")
          .arg(SqlText(qint32(Loaned)), SqlText(before), borrowerClause),
      collection.Db());
  std::vector<Borrower> borrowers;
  for (; !records->Eof(); records->MoveNext()) {
    const QString name = records->Text(1);
    // The names are in order with letter case ignored: "ann" and "Ann" are one borrower.
    if (borrowers.empty() || Key(borrowers.back().name) != Key(name)) {
      borrowers.push_back({});
      borrowers.back().name = name;
    }
    DueDVD dvd;
    dvd.title = records->Text(0);
    dvd.due = records->Date(2).date();
    dvd.daysOverdue = int(dvd.due.daysTo(today));
    borrowers.back().dvds.push_back(dvd);
  }
  CloseRecords(records);
  if (borrowers.empty()) return borrowers;
  const QHash<QString, Reminded> reminded = RemindedLoans(collection);
  const QHash<QString, QString> addresses = CustomerFunctions::EmailAddresses(collection);
  for (Borrower& borrower : borrowers) {
    borrower.email = addresses.value(Key(borrower.name));
    for (const DueDVD& dvd : borrower.dvds) {
      const Reminded noted = reminded.value(Key(dvd.title));
      borrower.reminders = std::max(borrower.reminders, noted.count);
      if (noted.last.isValid() &&
          (!borrower.lastReminded.isValid() || noted.last > borrower.lastReminded)) {
        borrower.lastReminded = noted.last;
      }
    }
  }
  return borrowers;
}

QString Plural(int count, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count == 1 ? one : many));
}

QString Encoded(const QString& text) {
  // RFC 6068: line breaks in a body are CR LF; everything but the unreserved characters is
  // percent-encoded, so '&', '=', '+' and '#' in a title stay text.
  QString crlf = text;
  crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  crlf.replace(u'\n', QStringLiteral("\r\n"));
  return QString::fromLatin1(QUrl::toPercentEncoding(crlf));
}

}  // namespace

std::vector<Borrower> DueBorrowers(Collection& collection, const QDate& today, int withinDays) {
  return Read(collection, QString(), today, withinDays);
}

Borrower DueBorrower(Collection& collection, const QString& name, const QDate& today,
                     int withinDays) {
  std::vector<Borrower> found =
      Read(collection, QStringLiteral(" And Inventory.Name = ") + SqlText(name), today, withinDays);
  if (found.empty()) {
    Borrower none;
    none.name = name;
    return none;
  }
  return found.front();
}

QString RemindedText(const QDate& lastReminded, const QDate& today) {
  if (!lastReminded.isValid()) return QStringLiteral("never reminded");
  const qint64 days = lastReminded.daysTo(today);
  if (days <= 0) return QStringLiteral("reminded today");
  if (days == 1) return QStringLiteral("reminded yesterday");
  return QStringLiteral("reminded %1 days ago").arg(days);
}

QString DueText(const DueDVD& dvd) {
  const QString date = InventoryFunctions::ShortDateText(dvd.due);
  if (dvd.daysOverdue > 0)
    return date + QStringLiteral(", ") + Plural(dvd.daysOverdue, "day", "days") +
           QStringLiteral(" overdue");
  if (dvd.daysOverdue == 0) return date + QStringLiteral(", due today");
  return date + QStringLiteral(", due in ") + Plural(-dvd.daysOverdue, "day", "days");
}

int WithinDays(Collection& collection) {
  return std::clamp(SettingsManager::ReadSetting(collection, kDaysSetting, kDefaultDays).toInt(), 0,
                    kMostDays);
}

void SetWithinDays(Collection& collection, int days) {
  SettingsManager::WriteSetting(collection, kDaysSetting, qint32(std::clamp(days, 0, kMostDays)));
}

QString DefaultTemplate() {
  return QStringLiteral(
      "Hi {name},\n\n"
      "I hope you are enjoying the films! Just a friendly reminder that I lent you these DVDs:\n\n"
      "{dvds}\n\n"
      "Could you bring them back when it suits you? Thank you!\n\n"
      "{today}");
}

QString Template(Collection& collection) {
  const QString stored =
      SettingsManager::ReadSetting(collection, kTemplateSetting, QString()).toString();
  return stored.trimmed().isEmpty() ? DefaultTemplate() : stored;
}

void SetTemplate(Collection& collection, const QString& text) {
  const bool isDefault = text.trimmed().isEmpty() || text == DefaultTemplate();
  const QString stored =
      SettingsManager::ReadSetting(collection, kTemplateSetting, QString()).toString();
  if (isDefault && stored.isEmpty()) return;
  SettingsManager::WriteSetting(collection, kTemplateSetting, isDefault ? QString() : text);
}

QString FillTemplate(const QString& text, const Borrower& borrower, const QDate& today) {
  QStringList lines;
  for (const DueDVD& dvd : borrower.dvds)
    lines << QStringLiteral("- %1 (%2)").arg(dvd.title, DueText(dvd));
  const std::pair<QString, QString> fields[] = {
      {QStringLiteral("{name}"), borrower.name},
      {QStringLiteral("{dvds}"), lines.join(u'\n')},
      {QStringLiteral("{today}"), InventoryFunctions::ShortDateText(today)},
  };
  // One pass over the template: a title that itself holds "{name}" is not filled in again.
  QString letter;
  QString normal = text;
  normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  for (qsizetype at = 0; at < normal.size();) {
    bool filled = false;
    if (normal[at] == u'{') {
      for (const auto& [field, value] : fields) {
        if (QStringView(normal).mid(at).startsWith(field, Qt::CaseInsensitive)) {
          letter += value;
          at += field.size();
          filled = true;
          break;
        }
      }
    }
    if (!filled) letter += normal[at++];
  }
  return letter;
}

QString Subject(const Borrower& borrower) {
  return borrower.dvds.size() == 1 ? QStringLiteral("A DVD to bring back")
                                   : QStringLiteral("DVDs to bring back");
}

QString MailtoUrl(const Borrower& borrower, const QString& subject, const QString& body) {
  return QStringLiteral("mailto:") +
         QString::fromLatin1(QUrl::toPercentEncoding(borrower.email, "@")) +
         QStringLiteral("?subject=") + Encoded(subject) + QStringLiteral("&body=") + Encoded(body);
}

void RecordReminder(Collection& collection, const Borrower& borrower, const QDate& today) {
  if (borrower.dvds.empty()) return;
  const DatabaseHandle& db = collection.Db();
  Changes::Batch batch;
  Transaction transaction(db);
  for (const DueDVD& dvd : borrower.dvds) {
    db->Execute(QStringLiteral("Update Loans Set Reminders = Coalesce(Loans.Reminders, 0) + 1, "
                               "LastReminded = %1 Where Loans.ReturnDate Is Null And "
                               "Loans.DVDTitle = %2")
                    .arg(SqlText(today), SqlText(dvd.title)),
                kSource);
  }
  // The borrower's loans changed: the views of the borrower read them again.
  Changes::AnnounceBorrowers({borrower.name});
  transaction.Commit();
  batch.Commit();
}

}  // namespace Reminders
