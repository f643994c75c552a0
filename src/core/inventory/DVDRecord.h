#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QString>

// The DVD as the program reads it, and the rules that turn one into what a list row or the detail
// panel shows. Each rule is worked out once per DVD (RowState), not once per cell.
namespace InventoryFunctions {

// The ten columns of a DVD; None for a column the program does not know.
enum class DVDField : quint8 {
  None,
  Title,
  Category,
  Starring,
  Rated,
  Status,
  Name,
  Date,
  DueDate,
  Description,
  BarCode
};

// The field a column name stands for, letter case ignored (another tool may have written
// "dvdtitle"); None for any other name.
DVDField FieldOfColumn(const QString& column);
// The program's own spelling of a field's column ("DVDTitle", ...); empty for None.
QString ColumnOfField(DVDField field);

struct DVDRecord {
  QString title, category, starring, rated;
  qint32 status = 0;
  QString name;
  QDateTime outDate, dueDate;
  QString description, barCode;
};

// What the status and dates of one DVD mean today.
struct DVDRowState {
  bool lent = false;      // any status but 0
  bool overdue = false;   // lent and today later than the due date
  bool dueToday = false;  // not overdue, due today, and the due date is not the loan date
  quint8 icon = 2;        // the list's picture: 1 lent, 2 in stock, 3 overdue
};
DVDRowState RowState(const DVDRecord& dvd, const QDate& today);

// The detail panel's status: the status text, and for a loan (status 1) " - n day(s) Overdue" or
// " - Due Today".
QString DetailStatusText(const DVDRecord& dvd, const QDate& today);

// Whole days from today until the due date (negative when overdue); empty without a due date.
QString DaysDueText(const DVDRecord& dvd, const QDate& today);

// The user's short date format with the year written in full, without surrounding blanks;
// empty for an invalid date.
QString ShortDateText(const QDate& date);

// Formats dates for one list fill: most rows of a large collection share a few thousand dates.
class ShortDateTexts {
 public:
  ShortDateTexts();
  QString Text(const QDate& date);

 private:
  QLocale locale_;
  QString format_;
  QHash<qint64, QString> cache_;
};

// How a list shows the status of a lent DVD: the main list replaces the text by "Overdue", the
// search results keep it and add " - Overdue" or " - Due Today".
enum class StatusCellStyle { MainList, SearchResults };

// The text of one cell of a DVD's list row. Line breaks (a title written by another tool) become
// blanks, so that every row keeps one line.
QString ListCellText(const DVDRecord& dvd, DVDField field, const DVDRowState& state,
                     StatusCellStyle style, ShortDateTexts& dates);

}  // namespace InventoryFunctions
