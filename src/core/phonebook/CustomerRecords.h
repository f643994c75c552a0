#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// One phone book entry as the program reads and writes it, and the look-ups of table Customers
// that the DVD views and the loan need. The phone book's own record operations, over an entry
// form, are PhoneBookEntry's.
namespace CustomerFunctions {

// The eight fields of an entry besides the name, in the order of the Customers columns.
enum class Field { Address, City, State, Zip, Phone, Fax, Cell, Notes };
inline constexpr std::array<Field, 8> kFields = {Field::Address, Field::City,  Field::State,
                                                 Field::Zip,     Field::Phone, Field::Fax,
                                                 Field::Cell,    Field::Notes};
// The Customers column a field is stored in ("Address", ..., "Notes").
QString ColumnName(Field field);

struct Customer {
  QString name;
  std::array<QString, 8> fields;  // indexed by Field

  const QString& Text(Field field) const { return fields[size_t(field)]; }
  QString& Text(Field field) { return fields[size_t(field)]; }
};

// The first entry whose name equals `name`, letter case ignored; an absent value reads as empty
// text.
std::optional<Customer> FindCustomer(const QString& name);
// Every stored name that is neither empty nor absent, in name order (the loan dialog's list).
QStringList BorrowerNames();

// The loan dialog's "Del From List": whether an entry of that name (letter case ignored) exists,
// and deleting the first such entry. DeleteCustomer is false when there was none.
bool HasCustomer(const QString& name);
bool DeleteCustomer(const QString& name);

}  // namespace CustomerFunctions
