#include "exchange/VCard.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

using ImportMapping::BorrowerField;

// Three address books' ways of writing a card: 3.0 with folded lines and escapes, 2.1 with bare
// parameters and quoted-printable Latin-1 broken over two lines, 4.0 with a tel: URI.
const QByteArray kCards =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "N:O'Neil;Ann;;;\r\n"
    "FN:Ann O'Neil\r\n"
    "item1.ADR;TYPE=HOME:;Flat 2;1 Main St\\, Rear;Spring\r\n"
    " field;IL;62701;USA\r\n"
    "TEL;TYPE=HOME,VOICE:555-0100\r\n"
    "TEL;TYPE=CELL:555-0199\r\n"
    "EMAIL;TYPE=INTERNET:ann@example.org\r\n"
    "NOTE:Likes westerns\\nReturns late\\; often\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\n"
    "VERSION:2.1\n"
    "N:M\xFCller;J\xFCrgen\n"
    "TEL;WORK;FAX:555-0300\n"
    "TEL;WORK:555-0301\n"
    "NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Gr=FC=DFe an=\n"
    " die Familie=0D=0AZweite Zeile\n"
    "END:VCARD\n"
    "BEGIN:VCARD\r\n"
    "VERSION:4.0\r\n"
    "FN:Zoë Brown\r\n"
    "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555-0400\r\n"
    "END:VCARD\r\n";

TEST(VCardTest, CardsOfEachVersionBecomeBorrowerRows) {
  const VCard::ReadResult read = VCard::Read(kCards);
  ASSERT_TRUE(read.ok) << qPrintable(read.message);
  ASSERT_EQ(read.contacts.size(), 3u);
  EXPECT_EQ(read.contacts[1].line, 12);

  const auto rows = VCard::ToBorrowerRows(read.contacts);
  EXPECT_EQ(rows[0].Value(BorrowerField::Name), "Ann O'Neil");
  EXPECT_EQ(rows[0].Value(BorrowerField::Address), "Flat 2\n1 Main St, Rear");
  EXPECT_EQ(rows[0].Value(BorrowerField::City), "Springfield");
  EXPECT_EQ(rows[0].Value(BorrowerField::State), "IL");
  EXPECT_EQ(rows[0].Value(BorrowerField::Zip), "62701");
  EXPECT_EQ(rows[0].Value(BorrowerField::Phone), "555-0100");
  EXPECT_EQ(rows[0].Value(BorrowerField::Cell), "555-0199");
  EXPECT_EQ(rows[0].Value(BorrowerField::Email), "ann@example.org");
  EXPECT_EQ(rows[0].Value(BorrowerField::Notes), "Likes westerns\nReturns late; often");

  EXPECT_EQ(rows[1].Value(BorrowerField::Name), "Jürgen Müller");
  EXPECT_EQ(rows[1].Value(BorrowerField::Fax), "555-0300");
  EXPECT_EQ(rows[1].Value(BorrowerField::Phone), "555-0301");
  EXPECT_EQ(rows[1].Value(BorrowerField::Notes), "Grüße an die Familie\r\nZweite Zeile");

  EXPECT_EQ(rows[2].Value(BorrowerField::Name), "Zoë Brown");
  EXPECT_EQ(rows[2].Value(BorrowerField::Cell), "+1-555-0400");
  EXPECT_EQ(rows[2].Value(BorrowerField::Phone), "");
}

// What is written reads back the same in either version, and no line is longer than 75 bytes
// even where a long note of accented text is folded.
TEST(VCardTest, WrittenCardsReadBackTheSame) {
  VCard::Contact contact;
  contact.formattedName = "Ann O'Neil, Jr.";
  contact.familyName = "Ann O'Neil, Jr.";
  contact.street = "1 Main St; Rear";
  contact.city = "Zürich";
  contact.postalCode = "8001";
  contact.phones = {{"555-0100", {"home", "voice"}}, {"555-0199", {"cell"}}};
  contact.emails = {"ann@example.org"};
  contact.note = QString("Ça va très bien \\ merci. ").repeated(8) + "\nEnd";
  for (const VCard::Version version : {VCard::Version::V3, VCard::Version::V4}) {
    const QByteArray bytes = VCard::Write({contact, contact}, version);
    for (const QByteArray& line : bytes.split('\n')) EXPECT_LE(line.size(), 76);  // and its CR
    const VCard::ReadResult read = VCard::Read(bytes);
    ASSERT_TRUE(read.ok) << qPrintable(read.message);
    ASSERT_EQ(read.contacts.size(), 2u);
    const VCard::Contact& back = read.contacts[1];
    EXPECT_EQ(back.formattedName, contact.formattedName);
    EXPECT_EQ(back.street, contact.street);
    EXPECT_EQ(back.city, contact.city);
    EXPECT_EQ(back.postalCode, contact.postalCode);
    ASSERT_EQ(back.phones.size(), 2u);
    EXPECT_EQ(back.phones[1].number, "555-0199");
    EXPECT_EQ(back.phones[1].types, QStringList{"cell"});
    EXPECT_EQ(back.emails, contact.emails);
    EXPECT_EQ(back.note, contact.note);
  }
  EXPECT_TRUE(VCard::Write({contact}, VCard::Version::V4).contains("\r\nVERSION:4.0\r\n"));
}

// A borrower exported as a card and imported again fills the same boxes.
TEST(VCardTest, BorrowersComeBackFromTheirCards) {
  ImportMapping::MappedRow borrower;
  borrower.line = 1;
  borrower.values = {"",         "Ann O'Neil", "1 Main St\nRear", "Springfield", "IL",      "62701",
                     "555-0100", "555-0101",   "555-0199",        "Late; often", "a@b.org", "",
                     ""};
  for (const VCard::Version version : {VCard::Version::V3, VCard::Version::V4}) {
    const VCard::ReadResult read =
        VCard::Read(VCard::Write({VCard::FromBorrower(borrower)}, version));
    ASSERT_TRUE(read.ok);
    QStringList values = VCard::ToBorrowerRows(read.contacts)[0].values;
    values[int(BorrowerField::FamilyName)].clear();
    EXPECT_EQ(values, borrower.values);
  }
}

TEST(VCardTest, BrokenFilesAreRefusedWithTheirLine) {
  const VCard::ReadResult unended =
      VCard::Read("BEGIN:VCARD\nFN:A\nEND:VCARD\nBEGIN:VCARD\nFN:B\n");
  EXPECT_FALSE(unended.ok);
  EXPECT_EQ(unended.line, 4);
  EXPECT_TRUE(unended.contacts.empty());
  EXPECT_EQ(VCard::Read("Name,Phone\nAnn,555\n").message,
            "The file holds no address cards (BEGIN:VCARD).");
  EXPECT_FALSE(VCard::Read(QByteArray("BEGIN:VCARD\n\0\0", 14)).ok);
}

}  // namespace
