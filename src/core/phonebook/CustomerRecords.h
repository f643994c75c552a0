#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

class Collection;

// One phone book entry as the program reads and writes it, and the look-ups of table Customers
// that the DVD views and the loan need. The phone book's own record operations, over an entry
// form, are PhoneBookEntry's.
namespace CustomerFunctions {

// The nine fields of an entry besides the name: the one-line ones first (the e-mail address
// after the telephone numbers, as the windows show it), the notes last. The e-mail address is
// stored in the last column of Customers, added to older files.
enum class Field { Address, City, State, Zip, Phone, Fax, Cell, Email, Notes };
inline constexpr std::array<Field, 9> kFields = {Field::Address, Field::City,  Field::State,
                                                 Field::Zip,     Field::Phone, Field::Fax,
                                                 Field::Cell,    Field::Email, Field::Notes};
// The Customers column a field is stored in ("Address", ..., "Email").
QString ColumnName(Field field);

struct Customer {
  QString name;
  std::array<QString, kFields.size()> fields;  // indexed by Field

  const QString& Text(Field field) const { return fields[size_t(field)]; }
  QString& Text(Field field) { return fields[size_t(field)]; }
};

// The first entry whose name equals `name`, letter case ignored; an absent value reads as empty
// text.
std::optional<Customer> FindCustomer(Collection& collection, const QString& name);
// Every stored name that is neither empty nor absent, in name order (the loan dialog's list).
QStringList BorrowerNames(Collection& collection);

// Every stored e-mail address by its entry's name, the name case-folded (the first entry of a
// name, as FindCustomer would find it); one read for any number of borrowers.
QHash<QString, QString> EmailAddresses(Collection& collection);

// Whether an entry of that name (letter case ignored) exists.
bool HasCustomer(Collection& collection, const QString& name);

// The phone book's writes. Each is one transaction (or part of the caller's: a loan saves its
// borrower inside its own), and the change notice names the entry once it has committed.
enum class EntryOutcome { Saved, NameMissing, Gone };
// Whose spelling of the name an overwritten entry keeps: the one typed (the phone book's Save)
// or the one stored (a loan's borrower).
enum class NameSpelling { Typed, Stored };
// Stores a new entry, or overwrites every field of the first stored entry of that name.
EntryOutcome SaveCustomer(Collection& collection, const Customer& customer, NameSpelling spelling);
// Deletes the first entry of that name; Gone when there was none.
EntryOutcome DeleteCustomer(Collection& collection, const QString& name);

}  // namespace CustomerFunctions
