#include "exchange/LoanCalendar.h"

#include <libical/ical.h>

#include <QCryptographicHash>
#include <cstdlib>
#include <memory>

#include "exchange/ExchangeFile.h"

namespace LoanCalendar {
namespace {

struct ComponentFree {
  void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

icaltimetype DateOf(const QDate& date) {
  icaltimetype time = icaltime_null_date();
  time.year = date.year();
  time.month = date.month();
  time.day = date.day();
  return time;
}

}  // namespace

QString Uid(const QString& loanKey) {
  // Hashed, so that a key holding a title or a name never shows in another program's data.
  return QString::fromLatin1(
             QCryptographicHash::hash(loanKey.toUtf8(), QCryptographicHash::Sha1).toHex()) +
         QStringLiteral("@loans.reelkeeper");
}

QByteArray Build(const std::vector<Loan>& loans, int alarmDaysBefore, const QDateTime& stamp) {
  Component calendar(icalcomponent_new_vcalendar());
  icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
  icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//ReelKeeper//Loans//EN"));
  icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
  const icaltimetype made = icaltime_from_timet_with_zone(time_t(stamp.toSecsSinceEpoch()), 0,
                                                          icaltimezone_get_utc_timezone());
  for (const Loan& loan : loans) {
    if (!loan.due.isValid()) continue;
    const QByteArray summary =
        QStringLiteral("Return %1 (%2)").arg(loan.title, loan.borrower).toUtf8();
    icalcomponent* event = icalcomponent_new_vevent();
    icalcomponent_add_property(event, icalproperty_new_uid(Uid(loan.key).toUtf8().constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(made));
    icalcomponent_add_property(event, icalproperty_new_dtstart(DateOf(loan.due)));
    icalcomponent_add_property(event, icalproperty_new_dtend(DateOf(loan.due.addDays(1))));
    icalcomponent_add_property(event, icalproperty_new_summary(summary.constData()));
    icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));

    icalcomponent* alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(-std::max(alarmDaysBefore, 0) * 24 * 60 * 60);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_property(alarm, icalproperty_new_description(summary.constData()));
    icalcomponent_add_component(event, alarm);
    icalcomponent_add_component(calendar.get(), event);
  }
  char* text = icalcomponent_as_ical_string_r(calendar.get());
  QByteArray bytes(text);
  std::free(text);
  return bytes;
}

QString Save(const QString& path, const std::vector<Loan>& loans, int alarmDaysBefore,
             const QDateTime& stamp) {
  return ExchangeFile::Save(path, Build(loans, alarmDaysBefore, stamp));
}

}  // namespace LoanCalendar
