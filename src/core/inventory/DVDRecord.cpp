#include "inventory/DVDRecord.h"

#include <QRegularExpression>
#include <array>

#include "inventory/InventoryFunctions.h"

namespace InventoryFunctions {
namespace {

struct FieldName {
  DVDField field;
  const char* column;
};

constexpr std::array<FieldName, 10> kFieldNames = {{
    {DVDField::Title, "DVDTitle"},
    {DVDField::Category, "Category"},
    {DVDField::Starring, "Starring"},
    {DVDField::Rated, "Rated"},
    {DVDField::Status, "Status"},
    {DVDField::Name, "Name"},
    {DVDField::Date, "Date"},
    {DVDField::DueDate, "DueDate"},
    {DVDField::Description, "Description"},
    {DVDField::BarCode, "BarCode"},
}};

QString ShortDateFormat() {
  static const QRegularExpression years(QStringLiteral("y+"));
  QString format = QLocale().dateFormat(QLocale::ShortFormat);
  format.replace(years, QStringLiteral("yyyy"));
  return format;
}

// A cell shows one line: CR LF, CR or LF each become one blank.
QString OneLine(const QString& text) {
  if (!text.contains(u'\n') && !text.contains(u'\r')) return text;
  QString line = text;
  line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  line.replace(u'\r', u' ');
  line.replace(u'\n', u' ');
  return line;
}

}  // namespace

DVDField FieldOfColumn(const QString& column) {
  for (const FieldName& entry : kFieldNames) {
    if (column.compare(QLatin1String(entry.column), Qt::CaseInsensitive) == 0) return entry.field;
  }
  return DVDField::None;
}

QString ColumnOfField(DVDField field) {
  for (const FieldName& entry : kFieldNames) {
    if (entry.field == field) return QString::fromLatin1(entry.column);
  }
  return {};
}

DVDRowState RowState(const DVDRecord& dvd, const QDate& today) {
  DVDRowState state;
  state.lent = dvd.status != InStock;
  state.overdue = IsOverdue(dvd.status, dvd.dueDate, today);
  state.dueToday = state.lent && !state.overdue && dvd.dueDate.isValid() &&
                   dvd.dueDate.date() == today && dvd.dueDate != dvd.outDate;
  state.icon = state.lent ? (state.overdue ? 3 : 1) : 2;
  return state;
}

QString DetailStatusText(const DVDRecord& dvd, const QDate& today) {
  QString text = StatusText(dvd.status);
  if (dvd.status != Loaned || !dvd.dueDate.isValid()) return text;
  const QDate due = dvd.dueDate.date();
  if (today > due) {
    text += QStringLiteral(" - %1 day(s) Overdue").arg(due.daysTo(today));
  } else if (due == today && dvd.dueDate != dvd.outDate) {
    text += QStringLiteral(" - Due Today");
  }
  return text;
}

QString DaysDueText(const DVDRecord& dvd, const QDate& today) {
  if (!dvd.dueDate.isValid()) return {};
  return QString::number(today.daysTo(dvd.dueDate.date()));
}

QString ShortDateText(const QDate& date) {
  ShortDateTexts dates;
  return dates.Text(date);
}

ShortDateTexts::ShortDateTexts() : format_(ShortDateFormat()) {}

QString ShortDateTexts::Text(const QDate& date) {
  if (!date.isValid()) return QString(u""_qs);
  const qint64 day = date.toJulianDay();
  if (const auto found = cache_.constFind(day); found != cache_.constEnd()) return *found;
  return *cache_.insert(day, locale_.toString(date, format_).trimmed());
}

QString ListCellText(const DVDRecord& dvd, DVDField field, const DVDRowState& state,
                     StatusCellStyle style, ShortDateTexts& dates) {
  switch (field) {
    case DVDField::Title:
      return OneLine(dvd.title);
    case DVDField::Category:
      return OneLine(dvd.category);
    case DVDField::Starring:
      return OneLine(dvd.starring);
    case DVDField::Rated:
      return OneLine(dvd.rated);
    case DVDField::Name:
      return OneLine(dvd.name);
    case DVDField::Description:
      return OneLine(dvd.description);
    case DVDField::BarCode:
      return OneLine(dvd.barCode);
    case DVDField::Status: {
      static const QString overdueText = QStringLiteral("Overdue");
      if (style == StatusCellStyle::MainList) {
        return state.overdue ? overdueText : StatusText(dvd.status);
      }
      if (!state.lent) return StatusText(dvd.status);
      if (state.overdue) return StatusText(dvd.status) + QStringLiteral(" - Overdue");
      if (state.dueToday) return StatusText(dvd.status) + QStringLiteral(" - Due Today");
      return StatusText(dvd.status);
    }
    case DVDField::Date:
      return dates.Text(dvd.outDate.date());
    case DVDField::DueDate:
      // A due date equal to the loan date means there is none to show.
      return state.lent && dvd.dueDate != dvd.outDate ? dates.Text(dvd.dueDate.date())
                                                      : QString(u""_qs);
    case DVDField::None:
      break;
  }
  return QString(u""_qs);
}

}  // namespace InventoryFunctions
