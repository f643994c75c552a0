#include "exchange/VCard.h"

#include <QList>
#include <QPair>
#include <QStringDecoder>

#include "exchange/TextDecoding.h"

namespace VCard {
namespace {

struct Property {
  int line = 0;
  QString name;                           // upper case, group removed
  QList<QPair<QString, QString>> params;  // names upper case; a bare 2.1 value has name TYPE
  QByteArray value;

  QStringList Param(const QString& wanted) const {
    QStringList values;
    for (const auto& [name, value] : params) {
      if (name != wanted) continue;
      QString list = value;
      if (list.size() >= 2 && list.startsWith(u'"') && list.endsWith(u'"')) {
        list = list.mid(1, list.size() - 2);
      }
      values << list.split(u',', Qt::SkipEmptyParts);
    }
    return values;
  }
};

// Splits at `separator` outside double quotes.
QList<QByteArray> SplitOutsideQuotes(const QByteArray& text, char separator) {
  QList<QByteArray> parts;
  QByteArray part;
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == separator && !quoted) {
      parts << part;
      part.clear();
    } else {
      part += c;
    }
  }
  parts << part;
  return parts;
}

QByteArray DecodeQuotedPrintable(const QByteArray& text) {
  QByteArray out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && i + 2 < text.size()) {
      bool ok = false;
      const int byte = text.mid(i + 1, 2).toInt(&ok, 16);
      if (ok) {
        out += char(byte);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

QString DecodeText(const QByteArray& bytes, const QStringList& charsets) {
  if (!charsets.isEmpty() && charsets.first().compare(u"UTF-8", Qt::CaseInsensitive) != 0) {
    QStringDecoder decoder(charsets.first().toLatin1().constData());
    if (decoder.isValid()) return decoder(bytes);
  }
  TextDecoding::Decoded decoded = TextDecoding::ToUtf8(bytes);
  if (decoded.ok) return QString::fromUtf8(decoded.utf8);
  // Old phones wrote their own code page without saying so.
  return QStringDecoder("windows-1252")(bytes);
}

// The value's components (split at unescaped `;`), each unescaped.
QStringList Components(const QString& value) {
  QStringList parts{QString()};
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value[i];
    if (c == u'\\' && i + 1 < value.size()) {
      const QChar next = value[++i];
      parts.last() += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
    } else if (c == u';') {
      parts << QString();
    } else {
      parts.last() += c;
    }
  }
  return parts;
}

QString Text(const Property& property) {
  QByteArray raw = property.value;
  if (property.Param(QStringLiteral("ENCODING"))
          .contains(u"QUOTED-PRINTABLE", Qt::CaseInsensitive)) {
    raw = DecodeQuotedPrintable(raw);
  }
  return DecodeText(raw, property.Param(QStringLiteral("CHARSET")));
}

Property ParseLine(const QByteArray& line, int number) {
  Property property;
  property.line = number;
  const qsizetype colon = [&] {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
      if (line[i] == '"') quoted = !quoted;
      if (line[i] == ':' && !quoted) return i;
    }
    return qsizetype(-1);
  }();
  if (colon < 0) return property;
  property.value = line.mid(colon + 1);
  QList<QByteArray> head = SplitOutsideQuotes(line.left(colon), ';');
  QByteArray name = head.takeFirst().trimmed().toUpper();
  if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0) name = name.mid(dot + 1);
  property.name = QString::fromLatin1(name);
  for (const QByteArray& param : head) {
    const qsizetype equals = param.indexOf('=');
    if (equals < 0) {
      // vCard 2.1: "TEL;HOME;VOICE:" and "NOTE;QUOTED-PRINTABLE:".
      const QString bare = QString::fromUtf8(param.trimmed());
      const bool encoding = bare.compare(u"QUOTED-PRINTABLE", Qt::CaseInsensitive) == 0;
      property.params.append(
          {encoding ? QStringLiteral("ENCODING") : QStringLiteral("TYPE"), bare});
    } else {
      property.params.append({QString::fromUtf8(param.left(equals).trimmed()).toUpper(),
                              QString::fromUtf8(param.mid(equals + 1))});
    }
  }
  return property;
}

// The logical lines: folded lines joined, and a quoted-printable value's soft line breaks
// ("=" at the end of a line) joined too.
std::vector<Property> Properties(const QByteArray& bytes) {
  std::vector<Property> properties;
  const QList<QByteArray> lines = bytes.split('\n');
  QByteArray current;
  int start = 0;
  auto flush = [&] {
    if (!current.isEmpty()) properties.push_back(ParseLine(current, start));
    current.clear();
  };
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QByteArray line = lines[i];
    if (line.endsWith('\r')) line.chop(1);
    const bool folded = !line.isEmpty() && (line[0] == ' ' || line[0] == '\t');
    const bool softBreak =
        current.endsWith('=') &&
        current.left(current.indexOf(':')).toUpper().contains("QUOTED-PRINTABLE");
    if (softBreak) {
      current.chop(1);
      current += line;
    } else if (folded && !current.isEmpty()) {
      current += line.mid(1);
    } else {
      flush();
      current = line;
      start = int(i) + 1;
    }
  }
  flush();
  return properties;
}

QString Escape(QString text) {
  text.replace(u'\\', QStringLiteral("\\\\"));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\n', QStringLiteral("\\n"));
  text.replace(u',', QStringLiteral("\\,"));
  text.replace(u';', QStringLiteral("\\;"));
  return text;
}

// Folds at 75 bytes without cutting a UTF-8 sequence apart.
void AppendFolded(QByteArray& out, const QString& line) {
  const QByteArray utf8 = line.toUtf8();
  qsizetype start = 0;
  int limit = 75;
  while (utf8.size() - start > limit) {
    qsizetype cut = start + limit;
    while (cut > start && (uchar(utf8[cut]) & 0xC0) == 0x80) --cut;
    out += utf8.mid(start, cut - start);
    out += "\r\n ";
    start = cut;
    limit = 74;  // the leading blank counts
  }
  out += utf8.mid(start);
  out += "\r\n";
}

}  // namespace

ReadResult Read(const QByteArray& bytes) {
  ReadResult result;
  if (bytes.indexOf('\0') >= 0 && !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF")) {
    result.line = TextDecoding::LineAt(bytes, bytes.indexOf('\0'));
    result.message = QStringLiteral(
                         "Line %1: the file holds binary data, so it is not an "
                         "address book (vCard) file.")
                         .arg(result.line);
    return result;
  }
  QByteArray text = bytes;
  if (text.startsWith("\xEF\xBB\xBF")) text = text.mid(3);
  if (text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF")) {
    text = TextDecoding::ToUtf8(bytes).utf8;
  }
  Contact* open = nullptr;
  for (const Property& property : Properties(text)) {
    const QString value = Text(property);
    if (property.name == u"BEGIN" && value.trimmed().compare(u"VCARD", Qt::CaseInsensitive) == 0) {
      if (open) {
        result.line = property.line;
        result.message = QStringLiteral(
                             "Line %1: a card begins before the card of line %2 has "
                             "ended.")
                             .arg(property.line)
                             .arg(open->line);
        result.contacts.clear();
        return result;
      }
      result.contacts.push_back({});
      open = &result.contacts.back();
      open->line = property.line;
    } else if (!open) {
      continue;
    } else if (property.name == u"END") {
      open = nullptr;
    } else if (property.name == u"FN") {
      open->formattedName = Components(value).join(u';').trimmed();
    } else if (property.name == u"N") {
      const QStringList parts = Components(value);
      open->familyName = parts.value(0).trimmed();
      open->givenName = parts.value(1).trimmed();
    } else if (property.name == u"ADR" && open->street.isEmpty() && open->city.isEmpty()) {
      const QStringList parts = Components(value);
      // The extended address (a flat, a building) goes on the line above the street.
      QStringList lines{parts.value(1).trimmed(), parts.value(2).trimmed()};
      lines.removeAll(QString());
      open->street = lines.join(u'\n');
      open->city = parts.value(3).trimmed();
      open->region = parts.value(4).trimmed();
      open->postalCode = parts.value(5).trimmed();
      open->country = parts.value(6).trimmed();
    } else if (property.name == u"TEL") {
      Phone phone;
      QString number = Components(value).join(u';').trimmed();
      if (number.startsWith(u"tel:", Qt::CaseInsensitive)) number = number.mid(4);
      phone.number = number;
      for (const QString& type : property.Param(QStringLiteral("TYPE"))) {
        phone.types << type.toLower();
      }
      if (!phone.number.isEmpty()) open->phones.push_back(phone);
    } else if (property.name == u"EMAIL") {
      const QString address = Components(value).join(u';').trimmed();
      if (!address.isEmpty()) open->emails << address;
    } else if (property.name == u"NOTE") {
      open->note = Components(value).join(u';');
    }
  }
  if (open) {
    result.line = open->line;
    result.message =
        QStringLiteral("Line %1: the card that begins here never ends (END:VCARD is missing).")
            .arg(open->line);
    result.contacts.clear();
    return result;
  }
  if (result.contacts.empty()) {
    result.line = 1;
    result.message = QStringLiteral("The file holds no address cards (BEGIN:VCARD).");
    return result;
  }
  result.ok = true;
  return result;
}

QByteArray Write(const std::vector<Contact>& contacts, Version version) {
  const bool v4 = version == Version::V4;
  QByteArray out;
  for (const Contact& contact : contacts) {
    out += "BEGIN:VCARD\r\n";
    out += v4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
    AppendFolded(out, QStringLiteral("FN:") + Escape(contact.formattedName));
    AppendFolded(
        out,
        QStringLiteral("N:%1;%2;;;").arg(Escape(contact.familyName), Escape(contact.givenName)));
    if (!(contact.street + contact.city + contact.region + contact.postalCode + contact.country)
             .isEmpty()) {
      AppendFolded(out,
                   QStringLiteral("ADR;TYPE=%1:;;%2;%3;%4;%5;%6")
                       .arg(v4 ? QStringLiteral("home") : QStringLiteral("HOME"),
                            Escape(contact.street), Escape(contact.city), Escape(contact.region),
                            Escape(contact.postalCode), Escape(contact.country)));
    }
    for (const Phone& phone : contact.phones) {
      QStringList types = phone.types;
      if (!v4) {
        for (QString& type : types) type = type.toUpper();
      }
      QString head = QStringLiteral("TEL");
      if (v4) head += QStringLiteral(";VALUE=text");
      if (!types.isEmpty()) head += QStringLiteral(";TYPE=") + types.join(u',');
      AppendFolded(out, head + u':' + Escape(phone.number));
    }
    for (const QString& email : contact.emails) {
      AppendFolded(out, QStringLiteral("EMAIL:") + Escape(email));
    }
    if (!contact.note.isEmpty()) AppendFolded(out, QStringLiteral("NOTE:") + Escape(contact.note));
    out += "END:VCARD\r\n";
  }
  return out;
}

std::vector<ImportMapping::MappedRow> ToBorrowerRows(const std::vector<Contact>& contacts) {
  using ImportMapping::BorrowerField;
  std::vector<ImportMapping::MappedRow> rows;
  rows.reserve(contacts.size());
  for (const Contact& contact : contacts) {
    ImportMapping::MappedRow row;
    row.line = contact.line;
    row.values.resize(int(BorrowerField::Count));
    auto set = [&row](BorrowerField field, const QString& value) {
      QString& slot = row.values[int(field)];
      if (slot.isEmpty()) slot = value;
    };
    set(BorrowerField::Name,
        contact.formattedName.isEmpty()
            ? QStringList{contact.givenName, contact.familyName}.join(u' ').trimmed()
            : contact.formattedName);
    set(BorrowerField::GivenName, contact.givenName);
    set(BorrowerField::FamilyName, contact.familyName);
    set(BorrowerField::Address, contact.street);
    set(BorrowerField::City, contact.city);
    set(BorrowerField::State, contact.region);
    set(BorrowerField::Zip, contact.postalCode);
    for (const Phone& phone : contact.phones) {
      if (phone.types.contains(u"cell")) {
        set(BorrowerField::Cell, phone.number);
      } else if (phone.types.contains(u"fax")) {
        set(BorrowerField::Fax, phone.number);
      } else if (phone.types.isEmpty() || phone.types.contains(u"home") ||
                 phone.types.contains(u"voice")) {
        set(BorrowerField::Phone, phone.number);
      }
    }
    // A borrower with only a work phone is still reachable through it.
    for (const Phone& phone : contact.phones) {
      if (!phone.types.contains(u"cell") && !phone.types.contains(u"fax")) {
        set(BorrowerField::Phone, phone.number);
      }
    }
    set(BorrowerField::Email, contact.emails.value(0));
    set(BorrowerField::Notes, contact.note);
    rows.push_back(std::move(row));
  }
  return rows;
}

Contact FromBorrower(const ImportMapping::MappedRow& borrower) {
  using ImportMapping::BorrowerField;
  Contact contact;
  contact.formattedName = borrower.Value(BorrowerField::Name).trimmed();
  contact.familyName = contact.formattedName;
  contact.street = borrower.Value(BorrowerField::Address);
  contact.city = borrower.Value(BorrowerField::City);
  contact.region = borrower.Value(BorrowerField::State);
  contact.postalCode = borrower.Value(BorrowerField::Zip);
  const std::pair<BorrowerField, QStringList> phones[] = {
      {BorrowerField::Phone, {QStringLiteral("home"), QStringLiteral("voice")}},
      {BorrowerField::Cell, {QStringLiteral("cell")}},
      {BorrowerField::Fax, {QStringLiteral("fax")}}};
  for (const auto& [field, types] : phones) {
    const QString number = borrower.Value(field).trimmed();
    if (!number.isEmpty()) contact.phones.push_back({number, types});
  }
  if (const QString email = borrower.Value(BorrowerField::Email).trimmed(); !email.isEmpty()) {
    contact.emails << email;
  }
  contact.note = borrower.Value(BorrowerField::Notes);
  return contact;
}

}  // namespace VCard
