#include "exchange/DvdCsv.h"

namespace DvdCsv {
namespace {

QString IsoDate(const QDateTime& when) {
  return when.isValid() ? when.date().toString(Qt::ISODate) : QString();
}

}  // namespace

QStringList Header() {
  return {QStringLiteral("DVDTitle"), QStringLiteral("Category"), QStringLiteral("Starring"),
          QStringLiteral("Rated"),    QStringLiteral("Status"),   QStringLiteral("Name"),
          QStringLiteral("Date"),     QStringLiteral("DueDate"),  QStringLiteral("Description"),
          QStringLiteral("BarCode")};
}

QStringList Fields(const InventoryFunctions::DVDRecord& dvd) {
  return {dvd.title,
          dvd.category,
          dvd.starring,
          dvd.rated,
          QString::number(dvd.status),
          dvd.name,
          IsoDate(dvd.outDate),
          IsoDate(dvd.dueDate),
          dvd.description,
          dvd.barCode};
}

}  // namespace DvdCsv
