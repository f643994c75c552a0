#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Tables in CSV (RFC 4180) over libcsv: reading a file a spreadsheet or another catalogue wrote,
// with its separator, encoding and faults found out, and writing one any spreadsheet reads.
namespace CsvFormat {

// The longest line or record a file may have. Nothing a user types into one field comes near
// it, so a longer one is a quote that was never closed or a file that is not a table.
constexpr qsizetype kMaxRecordBytes = qsizetype(1) << 20;

struct Row {
  int line = 0;  // the line the row starts on; the header is on line 1 or later
  QStringList fields;
};

struct Table {
  QStringList header;
  std::vector<Row> rows;  // rows whose fields are all blank are left out
  char separator = ',';
  QString encoding;
};

enum class ReadStatus {
  Read,           // table is complete
  NeedsEncoding,  // the text is not UTF-8: ask the user which encoding, and read again
  Refused,        // message says why and on which line; nothing is usable
};

struct ReadResult {
  ReadStatus status = ReadStatus::Refused;
  Table table;
  int line = 0;     // the line of the fault, or of the first byte that is not UTF-8
  QString message;  // for the user, naming the line
};

// Reads a whole table. With an empty encoding the text must be UTF-8 (a byte-order mark is
// accepted, and UTF-16 with one); otherwise it is read in the encoding named
// (TextDecoding::OfferedEncodings). The separator (comma, semicolon or tab) is taken from the
// header line.
ReadResult Read(const QByteArray& bytes, const QString& encoding = {});
ReadResult ReadFile(const QString& path, const QString& encoding = {});

// Builds a table in memory: fields quoted as RFC 4180 asks, lines ended by CR LF, UTF-8.
class Writer {
 public:
  explicit Writer(char separator = ',', bool byteOrderMark = false);
  void AddRow(const QStringList& fields);
  const QByteArray& Bytes() const { return bytes_; }

 private:
  char separator_;
  QByteArray bytes_;
  QByteArray field_;
};

}  // namespace CsvFormat
