// What one DVD shows in the lists and the detail panel, worked out from its status and dates.
#include "inventory/DVDRecord.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace InventoryFunctions;

namespace {

const QDate kToday(2026, 12, 4);

QDateTime At(const char* text) {
  QDateTime when = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
  if (!when.isValid())
    when = QDate::fromString(QString::fromLatin1(text), Qt::ISODate).startOfDay();
  return when;
}

struct RowCase {
  const char* name;
  qint32 status;
  const char* out;
  const char* due;
  const char* listStatus;    // main list's Status cell
  const char* searchStatus;  // search results' Status cell
  const char* dueCell;
  int icon;
  bool overdue;
  const char* detailStatus;
  const char* daysDue;
};

// Status, dates, icon and bold follow from one row state.
TEST(RowRuleTest, StatusDatesIconAndBoldFollowFromOneRowState) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  const RowCase cases[] = {
      RowCase{"new DVD", 0, "2000-01-01", "2000-01-01", "In Stock", "In Stock", "", 2, false,
              "In Stock", "-9834"},
      RowCase{"returned DVD keeps its old dates", 0, "2026-11-01", "2026-11-10", "In Stock",
              "In Stock", "", 2, false, "In Stock", "-24"},
      RowCase{"lent, due in two days", 1, "2026-11-20", "2026-12-06", "Loaned", "Loaned",
              "12/6/2026", 1, false, "Loaned", "2"},
      RowCase{"lent, due today", 1, "2026-11-20", "2026-12-04", "Loaned", "Loaned - Due Today",
              "12/4/2026", 1, false, "Loaned - Due Today", "0"},
      RowCase{"lent, due today at ten", 1, "2026-11-20", "2026-12-04T10:00:00", "Loaned",
              "Loaned - Due Today", "12/4/2026", 1, false, "Loaned - Due Today", "0"},
      RowCase{"lent, three days late", 1, "2026-11-20", "2026-12-01", "Overdue", "Loaned - Overdue",
              "12/1/2026", 3, true, "Loaned - 3 day(s) Overdue", "-3"},
      RowCase{"lent and due on the loan day, past", 1, "2026-12-01", "2026-12-01", "Overdue",
              "Loaned - Overdue", "", 3, true, "Loaned - 3 day(s) Overdue", "-3"},
      RowCase{"lent and due today, same day", 1, "2026-12-04", "2026-12-04", "Loaned", "Loaned", "",
              1, false, "Loaned", "0"},
      RowCase{"rented, due later", 2, "2026-11-20", "2026-12-10", "Rented", "Rented", "12/10/2026",
              1, false, "Rented", "6"},
      RowCase{"rented, due date passed", 2, "2026-11-20", "2026-11-30", "Overdue",
              "Rented - Overdue", "11/30/2026", 3, true, "Rented", "-4"},
      RowCase{"status 7, due date passed", 7, "2026-11-20", "2026-11-02", "Overdue",
              "Unknown - Overdue", "11/2/2026", 3, true, "Unknown", "-32"}};
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.name);
    DVDRecord dvd;
    dvd.title = "The Film";
    dvd.status = c.status;
    dvd.outDate = At(c.out);
    dvd.dueDate = At(c.due);
    const DVDRowState state = RowState(dvd, kToday);
    ShortDateTexts dates;
    const auto cell = [&](DVDField field, StatusCellStyle style = StatusCellStyle::MainList) {
      return ListCellText(dvd, field, state, style, dates);
    };
    EXPECT_EQ(
        QStringList({cell(DVDField::Status), cell(DVDField::Status, StatusCellStyle::SearchResults),
                     cell(DVDField::DueDate), DetailStatusText(dvd, kToday),
                     DaysDueText(dvd, kToday)}),
        QStringList({c.listStatus, c.searchStatus, c.dueCell, c.detailStatus, c.daysDue}));
    EXPECT_EQ(state.icon, c.icon);
    EXPECT_EQ(state.overdue, c.overdue);
    // The loan date is shown whatever the status.
    EXPECT_EQ(cell(DVDField::Date), ShortDateText(dvd.outDate.date()));
  }
  QLocale::setDefault(QLocale::c());
}

TEST(ListCellTextTest, CellsShowOneLineAndTheFieldOfTheirColumn) {
  DVDRecord dvd;
  dvd.title = "Two\r\nLines";
  dvd.category = "Drama";
  dvd.starring = "Bogart\nBergman";
  dvd.rated = "PG";
  dvd.name = "Ann\rLee";
  dvd.description = "long";
  dvd.barCode = "007";
  const DVDRowState state = RowState(dvd, kToday);
  ShortDateTexts dates;
  QStringList cells;
  for (const DVDField field :
       {DVDField::Title, DVDField::Category, DVDField::Starring, DVDField::Rated, DVDField::Name,
        DVDField::Description, DVDField::BarCode, DVDField::None}) {
    cells << ListCellText(dvd, field, state, StatusCellStyle::MainList, dates);
  }
  EXPECT_EQ(cells, QStringList({"Two Lines", "Drama", "Bogart Bergman", "PG", "Ann Lee", "long",
                                "007", ""}));
}

TEST(ListCellTextTest, ColumnNamesAreKnownInAnyLetterCase) {
  EXPECT_EQ(FieldOfColumn("dvdtitle"), DVDField::Title);
  EXPECT_EQ(FieldOfColumn("DUEDATE"), DVDField::DueDate);
  EXPECT_EQ(FieldOfColumn("Price"), DVDField::None);
  EXPECT_EQ(ColumnOfField(FieldOfColumn("barcode")), "BarCode");
}

}  // namespace
