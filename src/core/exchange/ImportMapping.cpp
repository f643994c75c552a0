#include "exchange/ImportMapping.h"

#include <QHash>
#include <array>

namespace ImportMapping {
namespace {

// A header name as compared: letters and digits only, lower case ("E-mail Address" and
// "email_address" are one name).
QString Key(const QString& name) {
  QString key;
  key.reserve(name.size());
  for (const QChar c : name) {
    if (c.isLetterOrNumber()) key += c.toLower();
  }
  return key;
}

struct Synonym {
  const char* name;
  int field;
};

constexpr int D(DvdField field) { return int(field); }
constexpr int B(BorrowerField field) { return int(field); }

// Names that say plainly which field they are. "name" means the title only where nothing else
// does (checked below): in the program's own export it is the borrower.
const std::array kDvdSynonyms = {
    Synonym{"title", D(DvdField::Title)},
    Synonym{"dvdtitle", D(DvdField::Title)},
    Synonym{"movietitle", D(DvdField::Title)},
    Synonym{"movie", D(DvdField::Title)},
    Synonym{"film", D(DvdField::Title)},
    Synonym{"filmtitle", D(DvdField::Title)},
    Synonym{"genre", D(DvdField::Category)},
    Synonym{"genres", D(DvdField::Category)},
    Synonym{"category", D(DvdField::Category)},
    Synonym{"categories", D(DvdField::Category)},
    Synonym{"rating", D(DvdField::Rated)},
    Synonym{"rated", D(DvdField::Rated)},
    Synonym{"mpaarating", D(DvdField::Rated)},
    Synonym{"certification", D(DvdField::Rated)},
    Synonym{"agerating", D(DvdField::Rated)},
    Synonym{"cast", D(DvdField::Starring)},
    Synonym{"actors", D(DvdField::Starring)},
    Synonym{"actor", D(DvdField::Starring)},
    Synonym{"starring", D(DvdField::Starring)},
    Synonym{"stars", D(DvdField::Starring)},
    Synonym{"upc", D(DvdField::BarCode)},
    Synonym{"ean", D(DvdField::BarCode)},
    Synonym{"barcode", D(DvdField::BarCode)},
    Synonym{"upcean", D(DvdField::BarCode)},
    Synonym{"eanupc", D(DvdField::BarCode)},
    Synonym{"gtin", D(DvdField::BarCode)},
    Synonym{"plot", D(DvdField::Description)},
    Synonym{"notes", D(DvdField::Description)},
    Synonym{"description", D(DvdField::Description)},
    Synonym{"synopsis", D(DvdField::Description)},
    Synonym{"summary", D(DvdField::Description)},
    Synonym{"plotsummary", D(DvdField::Description)},
    Synonym{"status", D(DvdField::Status)},
    Synonym{"loanedto", D(DvdField::Name)},
    Synonym{"lentto", D(DvdField::Name)},
    Synonym{"borrower", D(DvdField::Name)},
    Synonym{"loandate", D(DvdField::Date)},
    Synonym{"dateloaned", D(DvdField::Date)},
    Synonym{"duedate", D(DvdField::DueDate)},
};

// The exports of other catalogue programs, by the column names their documentation gives; a
// file is taken for one when it has all of the marking columns. Columns listed as None are
// named so that a generic synonym does not claim them with another meaning (a personal star
// rating is not an age rating).
struct KnownExport {
  const char* program;
  std::vector<const char*> marks;
  std::vector<Synonym> columns;
};

const std::vector<KnownExport>& KnownExports() {
  static const std::vector<KnownExport> exports = {
      // The program's own DVD export: the Inventory columns.
      {"ReelKeeper",
       {"dvdtitle", "duedate", "barcode"},
       {{"dvdtitle", D(DvdField::Title)},
        {"category", D(DvdField::Category)},
        {"starring", D(DvdField::Starring)},
        {"rated", D(DvdField::Rated)},
        {"status", D(DvdField::Status)},
        {"name", D(DvdField::Name)},
        {"date", D(DvdField::Date)},
        {"duedate", D(DvdField::DueDate)},
        {"description", D(DvdField::Description)},
        {"barcode", D(DvdField::BarCode)}}},
      // Tellico, a video collection: its CSV export heads each column with the field's title.
      {"Tellico",
       {"title", "certification", "plotsummary"},
       {{"title", D(DvdField::Title)},
        {"genre", D(DvdField::Category)},
        {"certification", D(DvdField::Rated)},
        {"cast", D(DvdField::Starring)},
        {"plotsummary", D(DvdField::Description)},
        {"comments", D(DvdField::Description)},
        {"personalrating", D(DvdField::None)},
        {"director", D(DvdField::None)},
        {"productionyear", D(DvdField::None)},
        {"loaned", D(DvdField::None)}}},
      // Libib: ean_isbn13 and upc_isbn10 hold a film's EAN and UPC.
      {"Libib",
       {"itemtype", "eanisbn13", "upcisbn10"},
       {{"title", D(DvdField::Title)},
        {"description", D(DvdField::Description)},
        {"notes", D(DvdField::Description)},
        {"upcisbn10", D(DvdField::BarCode)},
        {"eanisbn13", D(DvdField::BarCode)},
        {"tags", D(DvdField::Category)},
        {"creators", D(DvdField::None)},
        {"rating", D(DvdField::None)},
        {"status", D(DvdField::None)},
        {"group", D(DvdField::None)}}},
  };
  return exports;
}

const std::array kBorrowerSynonyms = {
    Synonym{"name", B(BorrowerField::Name)},
    Synonym{"fullname", B(BorrowerField::Name)},
    Synonym{"displayname", B(BorrowerField::Name)},
    Synonym{"borrower", B(BorrowerField::Name)},
    Synonym{"address", B(BorrowerField::Address)},
    Synonym{"street", B(BorrowerField::Address)},
    Synonym{"streetaddress", B(BorrowerField::Address)},
    Synonym{"homestreet", B(BorrowerField::Address)},
    Synonym{"city", B(BorrowerField::City)},
    Synonym{"town", B(BorrowerField::City)},
    Synonym{"homecity", B(BorrowerField::City)},
    Synonym{"state", B(BorrowerField::State)},
    Synonym{"province", B(BorrowerField::State)},
    Synonym{"region", B(BorrowerField::State)},
    Synonym{"homestate", B(BorrowerField::State)},
    Synonym{"zip", B(BorrowerField::Zip)},
    Synonym{"zipcode", B(BorrowerField::Zip)},
    Synonym{"postcode", B(BorrowerField::Zip)},
    Synonym{"postalcode", B(BorrowerField::Zip)},
    Synonym{"homepostalcode", B(BorrowerField::Zip)},
    Synonym{"phone", B(BorrowerField::Phone)},
    Synonym{"telephone", B(BorrowerField::Phone)},
    Synonym{"phonenumber", B(BorrowerField::Phone)},
    Synonym{"homephone", B(BorrowerField::Phone)},
    Synonym{"fax", B(BorrowerField::Fax)},
    Synonym{"homefax", B(BorrowerField::Fax)},
    Synonym{"businessfax", B(BorrowerField::Fax)},
    Synonym{"cell", B(BorrowerField::Cell)},
    Synonym{"cellphone", B(BorrowerField::Cell)},
    Synonym{"mobile", B(BorrowerField::Cell)},
    Synonym{"mobilephone", B(BorrowerField::Cell)},
    Synonym{"notes", B(BorrowerField::Notes)},
    Synonym{"note", B(BorrowerField::Notes)},
    Synonym{"comments", B(BorrowerField::Notes)},
    Synonym{"email", B(BorrowerField::Email)},
    Synonym{"emailaddress", B(BorrowerField::Email)},
    Synonym{"email1", B(BorrowerField::Email)},
    Synonym{"firstname", B(BorrowerField::GivenName)},
    Synonym{"givenname", B(BorrowerField::GivenName)},
    Synonym{"lastname", B(BorrowerField::FamilyName)},
    Synonym{"familyname", B(BorrowerField::FamilyName)},
    Synonym{"surname", B(BorrowerField::FamilyName)},
};

template <typename Synonyms>
int Lookup(const Synonyms& synonyms, const QString& key) {
  for (const Synonym& synonym : synonyms) {
    if (key == QLatin1StringView(synonym.name)) return synonym.field;
  }
  return -1;
}

std::vector<MappedRow> Apply(const CsvFormat::Table& table, const Mapping& mapping, int count) {
  std::vector<MappedRow> rows;
  rows.reserve(table.rows.size());
  for (const CsvFormat::Row& row : table.rows) {
    MappedRow mapped;
    mapped.line = row.line;
    mapped.values.resize(count);
    const qsizetype columns = std::min(row.fields.size(), qsizetype(mapping.fieldOfColumn.size()));
    for (qsizetype column = 0; column < columns; ++column) {
      const int field = mapping.fieldOfColumn[size_t(column)];
      if (field <= 0 || field >= count) continue;
      QString& value = mapped.values[field];
      if (value.trimmed().isEmpty()) value = row.fields[column];
    }
    rows.push_back(std::move(mapped));
  }
  return rows;
}

}  // namespace

QString Caption(DvdField field) {
  static const std::array<QString, size_t(kDvdFieldCount)> captions = {
      QStringLiteral("(not imported)"), QStringLiteral("Title"),       QStringLiteral("Category"),
      QStringLiteral("Starring"),       QStringLiteral("Rated"),       QStringLiteral("Status"),
      QStringLiteral("Loaned To"),      QStringLiteral("Loaned Date"), QStringLiteral("Due Date"),
      QStringLiteral("Description"),    QStringLiteral("Bar Code")};
  return captions[size_t(field)];
}

QString Caption(BorrowerField field) {
  static const std::array<QString, size_t(BorrowerField::Count)> captions = {
      QStringLiteral("(not imported)"), QStringLiteral("Name"),   QStringLiteral("Address"),
      QStringLiteral("City"),           QStringLiteral("State"),  QStringLiteral("Zip"),
      QStringLiteral("Phone"),          QStringLiteral("Fax"),    QStringLiteral("Cell"),
      QStringLiteral("Notes"),          QStringLiteral("E-mail"), QStringLiteral("First Name"),
      QStringLiteral("Last Name")};
  return captions[size_t(field)];
}

QStringList KnownDvdPrograms() {
  QStringList programs;
  for (const KnownExport& known : KnownExports()) {
    if (QLatin1StringView(known.program) != u"ReelKeeper") programs << known.program;
  }
  return programs;
}

Mapping MapDvdColumns(const QStringList& header) {
  QStringList keys;
  for (const QString& name : header) keys << Key(name);
  Mapping mapping;
  mapping.fieldOfColumn.assign(size_t(header.size()), D(DvdField::None));
  const KnownExport* known = nullptr;
  for (const KnownExport& candidate : KnownExports()) {
    bool all = true;
    for (const char* mark : candidate.marks) all = all && keys.contains(QLatin1StringView(mark));
    if (all) {
      known = &candidate;
      break;
    }
  }
  if (known) mapping.program = QString::fromLatin1(known->program);
  bool titled = false;
  for (qsizetype i = 0; i < keys.size(); ++i) {
    int field = known ? Lookup(known->columns, keys[i]) : -1;
    if (field < 0) field = Lookup(kDvdSynonyms, keys[i]);
    mapping.fieldOfColumn[size_t(i)] = std::max(field, 0);
    titled = titled || field == D(DvdField::Title);
  }
  if (!titled) {
    const qsizetype name = keys.indexOf(QStringLiteral("name"));
    if (name >= 0) mapping.fieldOfColumn[size_t(name)] = D(DvdField::Title);
  }
  return mapping;
}

Mapping MapBorrowerColumns(const QStringList& header) {
  Mapping mapping;
  for (const QString& name : header) {
    mapping.fieldOfColumn.push_back(std::max(Lookup(kBorrowerSynonyms, Key(name)), 0));
  }
  return mapping;
}

std::vector<MappedRow> ApplyDvdMapping(const CsvFormat::Table& table, const Mapping& mapping) {
  return Apply(table, mapping, kDvdFieldCount);
}

std::vector<MappedRow> ApplyBorrowerMapping(const CsvFormat::Table& table, const Mapping& mapping) {
  std::vector<MappedRow> rows = Apply(table, mapping, int(BorrowerField::Count));
  for (MappedRow& row : rows) {
    QString& name = row.values[B(BorrowerField::Name)];
    if (!name.trimmed().isEmpty()) continue;
    name = QStringList{row.values[B(BorrowerField::GivenName)].trimmed(),
                       row.values[B(BorrowerField::FamilyName)].trimmed()}
               .join(u' ')
               .trimmed();
  }
  return rows;
}

}  // namespace ImportMapping
