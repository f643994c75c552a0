#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "exchange/ImportMapping.h"

// Address-book cards (vCard 2.1, 3.0 and 4.0): the few properties a borrower has, read and
// written. No maintained vCard library for Qt 6 is packaged, so this small one is fenced by its
// tests.
namespace VCard {

struct Phone {
  QString number;
  QStringList types;  // lower case: "home", "cell", "fax", "voice", "work", ...
};

struct Contact {
  int line = 0;  // the line of its BEGIN:VCARD
  QString formattedName;
  QString familyName, givenName;
  QString street, city, region, postalCode, country;
  std::vector<Phone> phones;
  QStringList emails;
  QString note;
};

struct ReadResult {
  bool ok = false;
  std::vector<Contact> contacts;
  int line = 0;     // when not ok: where the fault is
  QString message;  // when not ok: for the user, naming the line
};

// Folded lines, escaped characters, groups, both ways of writing parameters, and
// quoted-printable values (with their CHARSET) are understood; unknown properties are skipped.
ReadResult Read(const QByteArray& bytes);

enum class Version { V3, V4 };
// One card per contact, lines ended by CR LF and folded at 75 bytes.
QByteArray Write(const std::vector<Contact>& contacts, Version version);

// The cards as borrower rows for the import's dry run: the formatted name (else given and family
// name), the first address, a home or untyped phone as Phone, a cell phone as Cell, a fax as Fax,
// the first e-mail address and the note.
std::vector<ImportMapping::MappedRow> ToBorrowerRows(const std::vector<Contact>& contacts);

// A borrower (values indexed by BorrowerField) as a card: the name as the formatted name and as
// the family name (a name is not split into parts it may not have), the phone as home voice,
// and the cell and fax phones typed as such.
Contact FromBorrower(const ImportMapping::MappedRow& borrower);

}  // namespace VCard
