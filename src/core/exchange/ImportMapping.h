#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "exchange/CsvFormat.h"
#include "inventory/DVDRecord.h"

// Which column of an imported table feeds which field of a DVD or a borrower: worked out from the
// header's names (and from the known exports of other catalogue programs), then changed by the
// user column by column.
namespace ImportMapping {

// The fields a DVD can be given are the Inventory columns, in their order.
using DvdField = InventoryFunctions::DVDField;
inline constexpr int kDvdFieldCount = int(DvdField::BarCode) + 1;

// A borrower's fields in the order of the Customers columns, then the e-mail address; given and
// family name are joined into the name where a file keeps them apart (address-book exports).
enum class BorrowerField : int {
  None,
  Name,
  Address,
  City,
  State,
  Zip,
  Phone,
  Fax,
  Cell,
  Notes,
  Email,
  GivenName,
  FamilyName,
  Count
};

// What the mapping step shows for a field ("Title", "Bar Code", "E-mail", ...).
QString Caption(DvdField field);
QString Caption(BorrowerField field);

struct Mapping {
  std::vector<int> fieldOfColumn;  // per column of the table, a DvdField or BorrowerField
  QString program;                 // the program whose export was recognised, else empty

  template <typename Field>
  Field FieldOf(qsizetype column) const {
    return column < qsizetype(fieldOfColumn.size()) ? Field(fieldOfColumn[size_t(column)])
                                                    : Field::None;
  }
  // The user's choice for one column.
  template <typename Field>
  void Set(qsizetype column, Field field) {
    if (column >= 0 && column < qsizetype(fieldOfColumn.size())) {
      fieldOfColumn[size_t(column)] = int(field);
    }
  }
};

Mapping MapDvdColumns(const QStringList& header);
Mapping MapBorrowerColumns(const QStringList& header);

// The programs whose CSV exports are recognised by their column names, for the README's and the
// mapping step's "CSV exported from …".
QStringList KnownDvdPrograms();

// One row of the table in the program's fields: values[field] (index by int(field)). Where two
// columns feed one field the first that is not blank wins.
struct MappedRow {
  int line = 0;
  QStringList values;
  const QString& Value(DvdField field) const { return values[int(field)]; }
  const QString& Value(BorrowerField field) const { return values[int(field)]; }
};

std::vector<MappedRow> ApplyDvdMapping(const CsvFormat::Table& table, const Mapping& mapping);
// Also joins given and family name into Name where Name is blank.
std::vector<MappedRow> ApplyBorrowerMapping(const CsvFormat::Table& table, const Mapping& mapping);

}  // namespace ImportMapping
