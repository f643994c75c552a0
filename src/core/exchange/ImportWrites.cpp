#include "exchange/ImportWrites.h"

#include "inventory/InventoryRecords.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerRecords.h"

namespace ImportWrites {
namespace {

using ImportMapping::BorrowerField;
using ImportMapping::MappedRow;
using ImportPlan::Action;
using InventoryFunctions::DVDOutcome;

// Progress is told every so many rows: often enough for a bar, seldom enough to cost nothing.
constexpr qsizetype kProgressStep = 250;

QString Problem(DVDOutcome outcome, const InventoryFunctions::DVDRecord& dvd) {
  switch (outcome) {
    case DVDOutcome::TitleMissing:
      return QStringLiteral("the title is empty, and a DVD needs one.");
    case DVDOutcome::TitleTaken:
      return QStringLiteral("another DVD is titled \"%1\" now.").arg(dvd.title);
    case DVDOutcome::BarCodeTaken:
      return QStringLiteral("another DVD has the bar code \"%1\".").arg(dvd.barCode);
    case DVDOutcome::Gone:
      return QStringLiteral("the DVD it updates is no longer in the collection.");
    default:
      return QStringLiteral("the DVD could not be written.");
  }
}

Result Refused(int line, const QString& why) {
  Result result;
  result.message = QStringLiteral("Line %1: %2").arg(line).arg(why);
  return result;
}

void Keep(QString& stored, const QString& given) {
  if (!given.trimmed().isEmpty()) stored = given;
}

// The stored DVD with the row's fields that are not blank written over it.
InventoryFunctions::DVDRecord Merged(InventoryFunctions::DVDRecord stored,
                                     const InventoryFunctions::DVDRecord& given) {
  // Found by its title, the DVD keeps the collection's spelling; found by its bar code, it
  // takes the row's title.
  if (!InventoryFunctions::SameTitle(stored.title, given.title)) Keep(stored.title, given.title);
  Keep(stored.category, given.category);
  Keep(stored.starring, given.starring);
  Keep(stored.rated, given.rated);
  Keep(stored.description, given.description);
  Keep(stored.barCode, given.barCode);
  return stored;
}

CustomerFunctions::Customer CustomerOf(const MappedRow& row) {
  CustomerFunctions::Customer customer;
  customer.name = row.Value(BorrowerField::Name).trimmed();
  for (const CustomerFunctions::Field field : CustomerFunctions::kFields) {
    const BorrowerField from = BorrowerFieldOf(field);
    customer.Text(field) =
        field == CustomerFunctions::Field::Notes ? row.Value(from) : row.Value(from).trimmed();
  }
  return customer;
}

bool GoOn(const Progress& progress, qsizetype done, qsizetype total) {
  return !progress || done % kProgressStep != 0 || progress(done, total);
}

}  // namespace

BorrowerField BorrowerFieldOf(CustomerFunctions::Field field) {
  using CustomerFunctions::Field;
  switch (field) {
    case Field::Address:
      return BorrowerField::Address;
    case Field::City:
      return BorrowerField::City;
    case Field::State:
      return BorrowerField::State;
    case Field::Zip:
      return BorrowerField::Zip;
    case Field::Phone:
      return BorrowerField::Phone;
    case Field::Fax:
      return BorrowerField::Fax;
    case Field::Cell:
      return BorrowerField::Cell;
    case Field::Email:
      return BorrowerField::Email;
    case Field::Notes:
      return BorrowerField::Notes;
  }
  return BorrowerField::None;
}

ImportPlan::Plan PlanDvds(Collection& collection, const std::vector<MappedRow>& rows,
                          ImportPlan::Duplicates duplicates) {
  std::vector<ImportPlan::ExistingDvd> existing;
  // In the table's own order: the list's would cost a sort for nothing.
  InventoryFunctions::ReadAllDVDs(collection, {InventoryFunctions::DVDField::BarCode},
                                  [&existing](qint64, const InventoryFunctions::DVDRecord& dvd) {
                                    existing.push_back({dvd.title, dvd.barCode});
                                  });
  return ImportPlan::PlanDvds(rows, existing, duplicates);
}

ImportPlan::Plan PlanBorrowers(Collection& collection, const std::vector<MappedRow>& rows,
                               ImportPlan::Duplicates duplicates) {
  return ImportPlan::PlanBorrowers(rows, CustomerFunctions::BorrowerNames(collection), duplicates);
}

Result WriteDvds(Collection& collection, const std::vector<MappedRow>& rows,
                 const ImportPlan::Plan& plan, const Progress& progress) {
  InventoryFunctions::WritesTogether together(collection);
  InventoryFunctions::ImportedDVDs dvds(collection);
  Result result;
  const qsizetype total = qsizetype(plan.rows.size());
  for (qsizetype i = 0; i < total; ++i) {
    if (!GoOn(progress, i, total)) return {Status::Cancelled, 0, 0, 0, {}};
    const ImportPlan::PlannedRow& planned = plan.rows[size_t(i)];
    const InventoryFunctions::DVDRecord given = ImportPlan::DvdRecordOf(rows[size_t(planned.row)]);
    DVDOutcome outcome = DVDOutcome::Saved;
    InventoryFunctions::DVDRecord written = given;
    if (planned.action == Action::Add) {
      outcome = dvds.Add(given);
      ++result.added;
    } else if (planned.action == Action::Update) {
      const auto stored = dvds.Find(planned.existing);
      if (!stored) return Refused(planned.line, Problem(DVDOutcome::Gone, given));
      written = Merged(*stored, given);
      outcome = dvds.Update(*stored, written);
      ++result.updated;
    } else if (planned.action == Action::Skip) {
      ++result.skipped;
    }
    if (outcome != DVDOutcome::Saved) return Refused(planned.line, Problem(outcome, written));
  }
  if (progress && !progress(total, total)) return {Status::Cancelled, 0, 0, 0, {}};
  dvds.Finish();
  together.Commit();
  result.status = Status::Written;
  return result;
}

Result WriteBorrowers(Collection& collection, const std::vector<MappedRow>& rows,
                      const ImportPlan::Plan& plan, const Progress& progress) {
  InventoryFunctions::WritesTogether together(collection);
  Result result;
  const qsizetype total = qsizetype(plan.rows.size());
  for (qsizetype i = 0; i < total; ++i) {
    if (!GoOn(progress, i, total)) return {Status::Cancelled, 0, 0, 0, {}};
    const ImportPlan::PlannedRow& planned = plan.rows[size_t(i)];
    if (planned.action == Action::Skip) ++result.skipped;
    if (planned.action != Action::Add && planned.action != Action::Update) continue;
    CustomerFunctions::Customer customer = CustomerOf(rows[size_t(planned.row)]);
    auto spelling = CustomerFunctions::NameSpelling::Typed;
    if (planned.action == Action::Update) {
      std::optional<CustomerFunctions::Customer> stored =
          CustomerFunctions::FindCustomer(collection, planned.existing);
      if (!stored) {
        return Refused(
            planned.line,
            QStringLiteral("\"%1\" is no longer in the phone book.").arg(planned.existing));
      }
      for (const CustomerFunctions::Field field : CustomerFunctions::kFields) {
        Keep(stored->Text(field), customer.Text(field));
      }
      customer = *stored;
      spelling = CustomerFunctions::NameSpelling::Stored;
      ++result.updated;
    } else {
      ++result.added;
    }
    if (CustomerFunctions::SaveCustomer(collection, customer, spelling) !=
        CustomerFunctions::EntryOutcome::Saved) {
      return Refused(planned.line, QStringLiteral("the name is empty, and a borrower needs one."));
    }
  }
  if (progress && !progress(total, total)) return {Status::Cancelled, 0, 0, 0, {}};
  together.Commit();
  result.status = Status::Written;
  return result;
}

}  // namespace ImportWrites
