#include "exchange/CalendarFeed.h"

#include <QDateTime>
#include <utility>

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "exchange/CollectionExport.h"
#include "exchange/LoanCalendar.h"
#include "settings/SettingsManager.h"

namespace CalendarFeed {
namespace {

const QString kFileSetting = QStringLiteral("CalendarFile");
// The days the Reminders window looks ahead: the calendar reminds as early.
const QString kAlarmSetting = QStringLiteral("ReminderDays");

void Rewrite(Collection& collection) {
  const QString path = KeptFile(collection);
  if (path.isEmpty()) return;
  QString failure;
  try {
    failure = Write(collection, path);
  } catch (const DatabaseError& error) {
    failure = error.Description();
  }
  if (!failure.isEmpty()) {
    ErrorFunctions::LogError(
        QStringLiteral("The calendar file \"%1\" could not be updated: %2").arg(path, failure));
  }
}

}  // namespace

int AlarmDays(Collection& collection) {
  return SettingsManager::ReadSetting(collection, kAlarmSetting, 2).toInt();
}

QString Write(Collection& collection, const QString& path) {
  return LoanCalendar::Save(path, CollectionExport::CalendarLoans(collection),
                            AlarmDays(collection), QDateTime::currentDateTimeUtc());
}

QString KeptFile(Collection& collection) {
  return SettingsManager::ReadSetting(collection, kFileSetting, QString()).toString();
}

void SetKeptFile(Collection& collection, const QString& path) {
  SettingsManager::WriteSetting(collection, kFileSetting, path);
}

void Follow(Collection& collection) {
  struct Following {
    QObject context;  // the connections end with the collection
    bool following = false;
  };
  Following& kept = collection.Kept<Following>();
  if (std::exchange(kept.following, true)) return;
  QObject* context = &kept.context;
  QObject::connect(&ChangeNotice::Instance(), &ChangeNotice::DVDsChanged, context,
                   [&collection](const Changes::DVDs&) { Rewrite(collection); });
  QObject::connect(&ChangeNotice::Instance(), &ChangeNotice::EverythingChanged, context,
                   [&collection] { Rewrite(collection); });
}

}  // namespace CalendarFeed
