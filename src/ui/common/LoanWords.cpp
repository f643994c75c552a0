#include "ui/common/LoanWords.h"

#include <QStringList>

#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"

namespace LoanWords {

QString WhoHasIt(const InventoryFunctions::DVDRecord& dvd) {
  if (dvd.status != InventoryFunctions::Loaned) return QString();
  const QString who = dvd.name.isEmpty() ? QStringLiteral("It has been lent out")
                                         : dvd.name + QStringLiteral(" has had it");
  const QString since = InventoryFunctions::ShortDateText(dvd.outDate.date());
  return since.isEmpty() ? who + u'.' : who + QStringLiteral(" since ") + since + u'.';
}

QString WithLine(const QString& question, const QString& line) {
  return line.isEmpty() ? question : question + QStringLiteral("\n\n") + line;
}

QString StillHas(Collection& collection, const QString& name) {
  const QStringList titles = InventoryFunctions::TitlesLentTo(collection, name);
  if (titles.isEmpty()) return QString();
  return name + QStringLiteral(" still has: ") + titles.join(QStringLiteral(", ")) + u'.';
}

}  // namespace LoanWords
