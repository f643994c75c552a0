#include "exchange/CalendarFeed.h"

#include <QDateTime>

#include "app/ChangeNotice.h"
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

void Rewrite() {
  const QString path = KeptFile();
  if (path.isEmpty()) return;
  QString failure;
  try {
    failure = Write(path);
  } catch (const DatabaseError& error) {
    failure = error.Description();
  }
  if (!failure.isEmpty()) {
    ErrorFunctions::LogError(
        QStringLiteral("The calendar file \"%1\" could not be updated: %2").arg(path, failure));
  }
}

}  // namespace

int AlarmDays() { return SettingsManager::ReadSetting(kAlarmSetting, 2).toInt(); }

QString Write(const QString& path) {
  return LoanCalendar::Save(path, CollectionExport::CalendarLoans(), AlarmDays(),
                            QDateTime::currentDateTimeUtc());
}

QString KeptFile() { return SettingsManager::ReadSetting(kFileSetting, QString()).toString(); }

void SetKeptFile(const QString& path) { SettingsManager::WriteSetting(kFileSetting, path); }

void Follow() {
  static bool following = false;
  if (following) return;
  following = true;
  QObject::connect(&ChangeNotice::Instance(), &ChangeNotice::DVDsChanged,
                   [](const Changes::DVDs&) { Rewrite(); });
  QObject::connect(&ChangeNotice::Instance(), &ChangeNotice::EverythingChanged, &Rewrite);
}

}  // namespace CalendarFeed
