#include "exchange/ImportPlan.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <algorithm>

namespace ImportPlan {
namespace {

using ImportMapping::BorrowerField;
using ImportMapping::DvdField;
using ImportMapping::MappedRow;

QString TitleKey(const QString& title) { return title.trimmed().toCaseFolded(); }

bool IsDate(const QString& text) {
  const QString trimmed = text.trimmed();
  return QDate::fromString(trimmed, Qt::ISODate).isValid() ||
         QDateTime::fromString(trimmed, Qt::ISODate).isValid();
}

// Counts the row and files it.
void Add(Plan& plan, PlannedRow planned) {
  switch (planned.action) {
    case Action::Add:
      ++plan.adds;
      break;
    case Action::Update:
      ++plan.updates;
      break;
    case Action::Skip:
      ++plan.skips;
      break;
    case Action::Unusable:
      ++plan.unusable;
      break;
  }
  plan.rows.push_back(std::move(planned));
}

PlannedRow Unusable(const MappedRow& row, qsizetype index, const QString& why) {
  return {
      row.line, index, Action::Unusable, {}, QStringLiteral("Line %1: %2").arg(row.line).arg(why)};
}

// A problem with the row's own values, or empty.
QString DvdValueProblem(const MappedRow& row) {
  if (row.Value(DvdField::Title).trimmed().isEmpty()) {
    return QStringLiteral("the title is empty, and a DVD needs one.");
  }
  const QString status = row.Value(DvdField::Status).trimmed();
  bool number = true;
  if (!status.isEmpty()) status.toInt(&number);
  if (!number) return QStringLiteral("the status \"%1\" is not a number.").arg(status);
  for (const DvdField field : {DvdField::Date, DvdField::DueDate}) {
    const QString date = row.Value(field).trimmed();
    if (!date.isEmpty() && !IsDate(date)) {
      return QStringLiteral("the %1 \"%2\" is not a date (year-month-day).")
          .arg(ImportMapping::Caption(field).toLower(), date);
    }
  }
  return {};
}

// A local QDateTime costs a look-up of the time zone (a system call) to build, and a file of
// 100,000 DVDs holds only a few thousand distinct dates: each is built once.
QDateTime Midnight(const QDate& day) {
  thread_local QHash<qint64, QDateTime> made;
  if (const auto found = made.constFind(day.toJulianDay()); found != made.constEnd()) return *found;
  if (made.size() > 8192) made.clear();
  return *made.insert(day.toJulianDay(), QDateTime(day, QTime(0, 0)));
}

}  // namespace

QString CleanBarCode(const QString& code) {
  QString clean;
  clean.reserve(code.size());
  for (const QChar c : code) {
    if (c.isLetterOrNumber()) clean += c.toUpper();
  }
  return clean;
}

Plan PlanDvds(const std::vector<MappedRow>& rows, const std::vector<ExistingDvd>& existing,
              Duplicates duplicates) {
  QHash<QString, QString> byTitle;
  QHash<QString, QString> byCode;
  byTitle.reserve(qsizetype(existing.size()));
  byCode.reserve(qsizetype(existing.size()));
  for (const ExistingDvd& dvd : existing) {
    byTitle.insert(TitleKey(dvd.title), dvd.title);
    const QString code = CleanBarCode(dvd.barCode);
    if (!code.isEmpty() && !byCode.contains(code)) byCode.insert(code, dvd.title);
  }
  // The lines of the file's own rows already planned, so a repeat names its first line.
  QHash<QString, int> fileTitles;
  QHash<QString, int> fileCodes;
  QHash<QString, int> claimed;  // the collection's DVDs that a row matched, by title
  // Grown once rather than doubling its way through a large file.
  fileTitles.reserve(qsizetype(rows.size()));
  fileCodes.reserve(qsizetype(rows.size()));
  claimed.reserve(std::min(qsizetype(rows.size()), qsizetype(existing.size())));
  Plan plan;
  plan.rows.reserve(rows.size());
  for (qsizetype i = 0; i < qsizetype(rows.size()); ++i) {
    const MappedRow& row = rows[size_t(i)];
    if (const QString problem = DvdValueProblem(row); !problem.isEmpty()) {
      Add(plan, Unusable(row, i, problem));
      continue;
    }
    const QString title = TitleKey(row.Value(DvdField::Title));
    const QString code = CleanBarCode(row.Value(DvdField::BarCode));
    if (const int first = fileTitles.value(title); first > 0) {
      Add(plan, Unusable(row, i, QStringLiteral("the same title as line %1.").arg(first)));
      continue;
    }
    if (const int first = code.isEmpty() ? 0 : fileCodes.value(code); first > 0) {
      Add(plan, Unusable(row, i, QStringLiteral("the same bar code as line %1.").arg(first)));
      continue;
    }
    fileTitles.insert(title, row.line);
    if (!code.isEmpty()) fileCodes.insert(code, row.line);

    const auto titleMatch = byTitle.constFind(title);
    const auto codeMatch = code.isEmpty() ? byCode.constEnd() : byCode.constFind(code);
    if (titleMatch != byTitle.constEnd() && codeMatch != byCode.constEnd() &&
        TitleKey(*codeMatch) != title) {
      Add(plan, Unusable(row, i,
                         QStringLiteral("its title is that of \"%1\" and its bar code that of "
                                        "\"%2\"; which one to change is unclear.")
                             .arg(*titleMatch, *codeMatch)));
      continue;
    }
    const QString* match = titleMatch != byTitle.constEnd() ? &*titleMatch
                           : codeMatch != byCode.constEnd() ? &*codeMatch
                                                            : nullptr;
    if (!match) {
      Add(plan, {row.line, i, Action::Add, {}, {}});
      continue;
    }
    const QString existingTitle = *match;
    if (const int first = claimed.value(TitleKey(existingTitle)); first > 0) {
      Add(plan, Unusable(row, i,
                         QStringLiteral("it is \"%1\" of the collection, as line %2 is.")
                             .arg(existingTitle)
                             .arg(first)));
      continue;
    }
    claimed.insert(TitleKey(existingTitle), row.line);
    if (duplicates == Duplicates::Update && TitleKey(existingTitle) != title) {
      // Found by its bar code, the DVD takes the row's title: its old one is free for a later
      // row.
      byTitle.remove(TitleKey(existingTitle));
    }
    const Action action = duplicates == Duplicates::Update ? Action::Update : Action::Skip;
    Add(plan, {row.line, i, action, existingTitle, {}});
  }
  return plan;
}

Plan PlanBorrowers(const std::vector<MappedRow>& rows, const QStringList& existingNames,
                   Duplicates duplicates) {
  QHash<QString, QString> byName;
  for (const QString& name : existingNames) byName.insert(TitleKey(name), name);
  QHash<QString, int> fileNames;
  Plan plan;
  plan.rows.reserve(rows.size());
  for (qsizetype i = 0; i < qsizetype(rows.size()); ++i) {
    const MappedRow& row = rows[size_t(i)];
    const QString name = TitleKey(row.Value(BorrowerField::Name));
    if (name.isEmpty()) {
      Add(plan, Unusable(row, i, QStringLiteral("the name is empty, and a borrower needs one.")));
      continue;
    }
    if (const int first = fileNames.value(name); first > 0) {
      Add(plan, Unusable(row, i, QStringLiteral("the same name as line %1.").arg(first)));
      continue;
    }
    fileNames.insert(name, row.line);
    const auto match = byName.constFind(name);
    if (match == byName.constEnd()) {
      Add(plan, {row.line, i, Action::Add, {}, {}});
    } else {
      Add(plan, {row.line,
                 i,
                 duplicates == Duplicates::Update ? Action::Update : Action::Skip,
                 *match,
                 {}});
    }
  }
  return plan;
}

InventoryFunctions::DVDRecord DvdRecordOf(const MappedRow& row) {
  auto date = [&row](DvdField field) {
    const QString text = row.Value(field).trimmed();
    QDate day = QDate::fromString(text, Qt::ISODate);
    if (!day.isValid()) day = QDateTime::fromString(text, Qt::ISODate).date();
    return day.isValid() ? Midnight(day) : QDateTime();
  };
  InventoryFunctions::DVDRecord dvd;
  dvd.title = row.Value(DvdField::Title).trimmed();
  dvd.category = row.Value(DvdField::Category).trimmed();
  dvd.starring = row.Value(DvdField::Starring).trimmed();
  dvd.rated = row.Value(DvdField::Rated).trimmed();
  dvd.status = row.Value(DvdField::Status).trimmed().toInt();
  dvd.name = row.Value(DvdField::Name).trimmed();
  dvd.outDate = date(DvdField::Date);
  dvd.dueDate = date(DvdField::DueDate);
  dvd.description = row.Value(DvdField::Description);
  dvd.barCode = row.Value(DvdField::BarCode).trimmed();
  return dvd;
}

}  // namespace ImportPlan
