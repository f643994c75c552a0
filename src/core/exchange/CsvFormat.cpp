#include "exchange/CsvFormat.h"

#include <csv.h>

#include <QFile>
#include <array>
#include <cstring>

#include "exchange/TextDecoding.h"

namespace CsvFormat {
namespace {

ReadResult Refuse(int line, const QString& message) {
  ReadResult result;
  result.status = ReadStatus::Refused;
  result.line = line;
  result.message = message;
  return result;
}

// The separator of a table: the one that occurs the same number of times in each of the first
// records (outside quotes), else the one the header has most of; a comma when there is none (a
// table of one column). On a tie a tab wins over a semicolon, and both over a comma, since
// commas are common inside text and decimal numbers.
char DetectSeparator(const QByteArray& text) {
  constexpr std::array<char, 3> kCandidates = {'\t', ';', ','};
  constexpr int kSample = 20;
  std::vector<std::array<int, 3>> records;
  std::array<int, 3> counts{};
  bool quoted = false;
  bool filled = false;
  for (qsizetype i = 0; i < text.size() && int(records.size()) < kSample; ++i) {
    const char c = text[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c != '\n' && c != '\r' && c != ' ') filled = true;
    for (size_t k = 0; k < kCandidates.size(); ++k) counts[k] += c == kCandidates[k];
    if (c == '\n' || i + 1 == text.size()) {
      if (filled) records.push_back(counts);
      counts = {};
      filled = false;
    }
  }
  if (records.empty()) return ',';
  int best = -1;
  for (int pass = 0; pass < 2 && best < 0; ++pass) {
    for (size_t k = 0; k < kCandidates.size(); ++k) {
      const int first = records.front()[k];
      bool steady = first > 0;
      for (const auto& record : records) steady = steady && (pass == 1 || record[k] == first);
      if (steady && (best < 0 || first > records.front()[size_t(best)])) best = int(k);
    }
  }
  return best < 0 ? ',' : kCandidates[size_t(best)];
}

// Blanks around a field belong to it: a title may start with a space, and a tab is a separator.
int NoSpace(unsigned char) { return 0; }

struct Collector {
  std::vector<Row> records;
  QStringList fields;
  int currentLine = 0;
  int recordStart = 0;
  bool recordEnded = true;

  static void Field(void* text, size_t length, void* self) {
    auto* collector = static_cast<Collector*>(self);
    collector->fields << QString::fromUtf8(static_cast<const char*>(text), qsizetype(length));
  }
  static void RecordEnd(int, void* self) {
    auto* collector = static_cast<Collector*>(self);
    bool blank = true;
    for (const QString& field : collector->fields) blank = blank && field.trimmed().isEmpty();
    if (!blank) collector->records.push_back({collector->recordStart, collector->fields});
    collector->fields.clear();
    collector->recordEnded = true;
  }
};

class Parser {
 public:
  explicit Parser(char separator) {
    csv_init(&parser_, CSV_STRICT_FINI | CSV_APPEND_NULL);
    csv_set_delim(&parser_, static_cast<unsigned char>(separator));
    csv_set_space_func(&parser_, &NoSpace);
  }
  ~Parser() { csv_free(&parser_); }
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  bool Feed(const char* data, size_t length, Collector& collector) {
    return csv_parse(&parser_, data, length, &Collector::Field, &Collector::RecordEnd,
                     &collector) == length;
  }
  bool Finish(Collector& collector) {
    return csv_fini(&parser_, &Collector::Field, &Collector::RecordEnd, &collector) == 0;
  }

 private:
  csv_parser parser_{};
};

QString Unclosed(int line) {
  return QStringLiteral(
             "Line %1: a quoted field starts on this line and its closing quote (\") "
             "is missing.")
      .arg(line);
}

}  // namespace

ReadResult Read(const QByteArray& bytes, const QString& encoding) {
  if (bytes.trimmed().isEmpty()) return Refuse(1, QStringLiteral("The file is empty."));
  TextDecoding::Decoded decoded = TextDecoding::ToUtf8(bytes, encoding);
  const QByteArray& text = decoded.utf8;
  // A NUL never occurs in text, whatever its encoding; it does in every picture, archive or
  // program file.
  if (const qsizetype zero = text.indexOf('\0'); zero >= 0) {
    const int line = TextDecoding::LineAt(text, zero);
    return Refuse(line, QStringLiteral("Line %1: the file holds binary data, so it is not a CSV "
                                       "text file.")
                            .arg(line));
  }
  if (!decoded.ok) {
    if (!decoded.problem.isEmpty()) return Refuse(decoded.badLine, decoded.problem);
    ReadResult result;
    result.status = ReadStatus::NeedsEncoding;
    result.line = decoded.badLine;
    result.message = QStringLiteral(
                         "Line %1 holds characters that are not UTF-8. Which "
                         "encoding was the file written in?")
                         .arg(decoded.badLine);
    return result;
  }

  const char separator = DetectSeparator(text);
  Parser parser(separator);
  Collector collector;
  qsizetype recordBytes = 0;
  const char* data = text.constData();
  const qsizetype size = text.size();
  for (qsizetype start = 0; start < size;) {
    const char* end =
        static_cast<const char*>(std::memchr(data + start, '\n', size_t(size - start)));
    const qsizetype next = end ? (end - data) + 1 : size;
    const qsizetype length = next - start;
    ++collector.currentLine;
    if (length > kMaxRecordBytes) {
      return Refuse(collector.currentLine,
                    QStringLiteral("Line %1 is longer than 1 MB, so the file is not a table "
                                   "ReelKeeper can read.")
                        .arg(collector.currentLine));
    }
    const bool blank = length == 1 || (length == 2 && data[start] == '\r');
    if (collector.recordEnded && !blank) {
      collector.recordEnded = false;
      collector.recordStart = collector.currentLine;
      recordBytes = 0;
    }
    recordBytes += length;
    if (!collector.recordEnded && recordBytes > kMaxRecordBytes) {
      return Refuse(collector.recordStart, Unclosed(collector.recordStart));
    }
    if (!parser.Feed(data + start, size_t(length), collector)) {
      return Refuse(collector.currentLine,
                    QStringLiteral("Line %1 cannot be read as CSV.").arg(collector.currentLine));
    }
    start = next;
  }
  // A last line without its line end still ends its record; a record that has not ended after
  // that is a quote that was opened and never closed.
  if (!text.endsWith('\n')) parser.Feed("\n", 1, collector);
  if (!collector.recordEnded || !parser.Finish(collector)) {
    return Refuse(collector.recordStart, Unclosed(collector.recordStart));
  }

  if (collector.records.empty()) return Refuse(1, QStringLiteral("The file is empty."));
  ReadResult result;
  Table& table = result.table;
  table.separator = separator;
  table.encoding = decoded.encoding;
  table.header = collector.records.front().fields;
  for (QString& name : table.header) name = name.trimmed();
  table.rows.assign(std::make_move_iterator(collector.records.begin() + 1),
                    std::make_move_iterator(collector.records.end()));
  if (table.rows.empty()) {
    const int line = collector.records.front().line + 1;
    return Refuse(line, QStringLiteral("Line %1: the file has a header line but no rows below "
                                       "it, so there is nothing to import.")
                            .arg(line));
  }
  result.status = ReadStatus::Read;
  return result;
}

ReadResult ReadFile(const QString& path, const QString& encoding) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return Refuse(0,
                  QStringLiteral("The file '%1' cannot be read: %2").arg(path, file.errorString()));
  }
  return Read(file.readAll(), encoding);
}

Writer::Writer(char separator, bool byteOrderMark) : separator_(separator) {
  if (byteOrderMark) bytes_ = QByteArray("\xEF\xBB\xBF");
}

void Writer::AddRow(const QStringList& fields) {
  for (qsizetype i = 0; i < fields.size(); ++i) {
    if (i > 0) bytes_ += separator_;
    const QByteArray utf8 = fields[i].toUtf8();
    // Every field quoted: a quote doubles, so the worst case is twice the text and two quotes.
    field_.resize(utf8.size() * 2 + 2);
    const size_t written =
        csv_write(field_.data(), size_t(field_.size()), utf8.constData(), size_t(utf8.size()));
    bytes_.append(field_.constData(), qsizetype(written));
  }
  bytes_ += "\r\n";
}

}  // namespace CsvFormat
