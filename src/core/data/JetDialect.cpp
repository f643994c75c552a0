#include "data/JetDialect.h"

#include <sqlite3.h>
#include <QChar>
#include <QHash>
#include <algorithm>
#include <array>

#include "app/DatabaseError.h"

namespace JetDialect {
namespace {

// Lenient UTF-8 decoding: a malformed byte stands for itself, so that no stored text can make a
// comparison fail.
// Decodes one character as QString::fromUtf8 does, so that a text the program read from the file
// compares equal to the stored bytes it came from: each byte of a malformed, overlong, surrogate
// or out-of-range sequence is one U+FFFD. Titles written by other tools may hold such bytes.
char32_t DecodeUtf8(const unsigned char*& p, const unsigned char* end) {
  constexpr char32_t kReplacement = 0xFFFD;
  const unsigned char c = *p++;
  if (c < 0x80) return c;
  int extra = 0;
  char32_t cp = 0;
  char32_t least = 0;
  if ((c & 0xE0) == 0xC0) {
    extra = 1;
    cp = c & 0x1F;
    least = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    cp = c & 0x0F;
    least = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    cp = c & 0x07;
    least = 0x10000;
  } else {
    return kReplacement;
  }
  if (end - p < extra) return kReplacement;
  for (int i = 0; i < extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return kReplacement;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  p += extra;
  return cp;
}

inline char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  return QChar::toCaseFolded(c);
}

// The unaccented letter of a folded Latin letter (é -> e), for ordering only.
char32_t BaseLetter(char32_t folded) {
  constexpr char32_t kFirst = 0xC0;
  constexpr char32_t kLast = 0x24F;
  if (folded < kFirst || folded > kLast) return folded;
  static const std::array<char32_t, kLast - kFirst + 1> table = [] {
    std::array<char32_t, kLast - kFirst + 1> bases{};
    for (char32_t c = kFirst; c <= kLast; ++c) {
      const QString decomposed = QChar(char16_t(c)).decomposition();
      char32_t base = c;
      if (QChar(char16_t(c)).decompositionTag() == QChar::Canonical && !decomposed.isEmpty()) {
        base = Fold(decomposed[0].unicode());
      }
      bases[c - kFirst] = base;
    }
    return bases;
  }();
  return table[folded - kFirst];
}

void FoldUtf8(const char* utf8, int length, std::u32string& out) {
  out.clear();
  auto p = reinterpret_cast<const unsigned char*>(utf8);
  const auto end = p + length;
  while (p < end) out.push_back(Fold(DecodeUtf8(p, end)));
}

int TwoDigits(const QString& s, int& pos, int maxDigits) {
  int value = 0;
  int digits = 0;
  while (pos < s.size() && digits < maxDigits && s[pos].isDigit()) {
    value = value * 10 + s[pos].digitValue();
    ++pos;
    ++digits;
  }
  return digits == 0 ? -1 : value;
}

// Parses the inside of a #...# literal: m-d-yyyy or m/d/yyyy (the engine always reads month
// first), or yyyy-mm-dd, each optionally followed by a time h:mm[:ss] [AM|PM].
QDateTime ParseLiteral(const QString& body) {
  const QString s = body.trimmed();
  int pos = 0;
  int a = TwoDigits(s, pos, 4);
  if (a < 0 || pos >= s.size()) return {};
  const QChar sep = s[pos];
  if (sep != u'-' && sep != u'/') return {};
  const bool isoFirst = pos == 4;
  ++pos;
  int b = TwoDigits(s, pos, 2);
  if (b < 0 || pos >= s.size() || s[pos] != sep) return {};
  ++pos;
  int c = TwoDigits(s, pos, 4);
  if (c < 0) return {};
  QDate date = isoFirst ? QDate(a, b, c) : QDate(c, a, b);
  if (!date.isValid()) return {};
  QTime time(0, 0);
  while (pos < s.size() && s[pos].isSpace()) ++pos;
  if (pos < s.size()) {
    int h = TwoDigits(s, pos, 2);
    if (h < 0 || pos >= s.size() || s[pos] != u':') return {};
    ++pos;
    int m = TwoDigits(s, pos, 2);
    int sec = 0;
    if (m < 0) return {};
    if (pos < s.size() && s[pos] == u':') {
      ++pos;
      sec = TwoDigits(s, pos, 2);
      if (sec < 0) return {};
    }
    while (pos < s.size() && s[pos].isSpace()) ++pos;
    const QString rest = s.mid(pos).toUpper();
    if (rest == u"PM" && h < 12) h += 12;
    if (rest == u"AM" && h == 12) h = 0;
    if (!rest.isEmpty() && rest != u"AM" && rest != u"PM") return {};
    time = QTime(h, m, sec);
    if (!time.isValid()) return {};
  }
  return QDateTime(date, time);
}

void LikeFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    return;  // NULL result, as SQL has it
  }
  char32_t escape = 0;
  if (argc == 3) {
    const auto* esc = reinterpret_cast<const char*>(sqlite3_value_text(argv[2]));
    const int escLength = sqlite3_value_bytes(argv[2]);
    std::u32string folded;
    if (esc) FoldUtf8(esc, escLength, folded);
    if (folded.size() != 1) {
      sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
      return;
    }
    escape = folded[0];
  }
  // The pattern is the same for every row of a statement: compile it once and keep it with the
  // statement.
  auto* pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 0));
  if (!pattern || pattern->Escape() != escape) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    pattern = new LikePattern(text, sqlite3_value_bytes(argv[0]), escape);
    sqlite3_set_auxdata(context, 0, pattern, [](void* p) { delete static_cast<LikePattern*>(p); });
    pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {  // SQLite may drop auxiliary data at once; compile for this row alone then
      LikePattern once(text, sqlite3_value_bytes(argv[0]), escape);
      const auto* value = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
      sqlite3_result_int(context, once.MatchesUtf8(value, sqlite3_value_bytes(argv[1])) ? 1 : 0);
      return;
    }
  }
  const auto* value = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
  sqlite3_result_int(context, pattern->MatchesUtf8(value, sqlite3_value_bytes(argv[1])) ? 1 : 0);
}

void AppendUtf8(QByteArray& key, char32_t v) {
  if (v < 0x80) {
    key += char(v);
  } else if (v < 0x800) {
    key += char(0xC0 | (v >> 6));
    key += char(0x80 | (v & 0x3F));
  } else if (v < 0x10000) {
    key += char(0xE0 | (v >> 12));
    key += char(0x80 | ((v >> 6) & 0x3F));
    key += char(0x80 | (v & 0x3F));
  } else {
    key += char(0xF0 | (v >> 18));
    key += char(0x80 | ((v >> 12) & 0x3F));
    key += char(0x80 | ((v >> 6) & 0x3F));
    key += char(0x80 | (v & 0x3F));
  }
}

void AppendKeyUnit(QByteArray& key, char32_t c) {
  // One more than the code point, written the way UTF-8 writes code points: byte order is then
  // code point order, and no unit has a zero byte, which is left to end the first part of a key.
  // A unit of the second part is written one higher again, leaving the one byte free.
  AppendUtf8(key, c + 1);
}

void NoCaseKeyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const QByteArray key = NoCaseKey(text, sqlite3_value_bytes(argv[0]));
  sqlite3_result_blob(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

void LikeFoldFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const QByteArray folded = LikeFolded(text, sqlite3_value_bytes(argv[0]));
  sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

// The ASCII letters and digits of a text (a bar code as a scanner gives it); Null stays Null.
void AsciiAlnumFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* text = sqlite3_value_text(argv[0]);
  if (!text) {
    sqlite3_result_null(context);
    return;
  }
  std::string kept;
  const int length = sqlite3_value_bytes(argv[0]);
  for (int i = 0; i < length; ++i) {
    const unsigned char c = text[i];
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      kept += char(c);
    }
  }
  sqlite3_result_text(context, kept.data(), int(kept.size()), SQLITE_TRANSIENT);
}

int NoCaseCollation(void*, int lengthA, const void* a, int lengthB, const void* b) {
  return CompareNoCase(static_cast<const char*>(a), lengthA, static_cast<const char*>(b), lengthB);
}

}  // namespace

QString TranslateSql(const QString& sql) {
  if (!sql.contains(u'#')) return sql;
  QString out;
  out.reserve(sql.size() + 8);
  const qsizetype n = sql.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = sql[i];
    if (c == u'\'' || c == u'"' || c == u'[') {
      // Quoted text and quoted names are copied untouched; a doubled quote stays inside.
      const QChar close = c == u'[' ? QChar(u']') : c;
      out += c;
      for (++i; i < n; ++i) {
        out += sql[i];
        if (sql[i] == close) {
          if (close != u']' && i + 1 < n && sql[i + 1] == close) {
            out += sql[++i];
            continue;
          }
          break;
        }
      }
      continue;
    }
    if (c == u'#') {
      const qsizetype end = sql.indexOf(u'#', i + 1);
      if (end < 0) {
        throw DatabaseError(SQLITE_ERROR,
                            QStringLiteral("Syntax error in date in query expression."),
                            QStringLiteral("JetDialect"));
      }
      const QDateTime value = ParseLiteral(sql.mid(i + 1, end - i - 1));
      if (!value.isValid()) {
        throw DatabaseError(SQLITE_ERROR,
                            QStringLiteral("Syntax error in date in query expression '%1'.")
                                .arg(sql.mid(i, end - i + 1)),
                            QStringLiteral("JetDialect"));
      }
      out += u'\'';
      out += DateTimeToStorage(value);
      out += u'\'';
      i = end;
      continue;
    }
    out += c;
  }
  return out;
}

void RegisterFunctions(sqlite3* db) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  sqlite3_create_function_v2(db, "like", 2, flags, nullptr, LikeFunction, nullptr, nullptr,
                             nullptr);
  sqlite3_create_function_v2(db, "like", 3, flags, nullptr, LikeFunction, nullptr, nullptr,
                             nullptr);
  sqlite3_create_function_v2(db, "AsciiAlnum", 1, flags, nullptr, AsciiAlnumFunction, nullptr,
                             nullptr, nullptr);
  sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, NoCaseCollation, nullptr);
  sqlite3_create_function_v2(db, "NoCaseKey", 1, flags, nullptr, NoCaseKeyFunction, nullptr,
                             nullptr, nullptr);
  sqlite3_create_function_v2(db, "LikeFold", 1, flags, nullptr, LikeFoldFunction, nullptr, nullptr,
                             nullptr);
}

LikePattern::LikePattern(const char* utf8, int length, char32_t escape) : escape_(escape) {
  std::u32string raw;
  auto p = reinterpret_cast<const unsigned char*>(utf8);
  const auto end = p + (utf8 ? length : 0);
  while (p < end) raw.push_back(DecodeUtf8(p, end));
  Compile(raw);
}

void LikePattern::Compile(const std::u32string& raw) {
  const size_t n = raw.size();
  for (size_t i = 0; i < n; ++i) {
    const char32_t c = raw[i];
    Token token;
    token.kind = Token::Char;
    if (escape_ != 0 && Fold(c) == escape_ && i + 1 < n) {
      token.ch = Fold(raw[++i]);
    } else if (c == U'*') {
      if (!tokens_.empty() && tokens_.back().kind == Token::Star) continue;
      token.kind = Token::Star;
    } else if (c == U'?') {
      token.kind = Token::Any;
    } else if (c == U'#') {
      token.kind = Token::Digit;
    } else if (c == U'[') {
      const size_t close = raw.find(U']', i + 1);
      if (close == std::u32string::npos) {
        token.ch = c;  // an unclosed bracket is an ordinary character
      } else {
        size_t j = i + 1;
        token.kind = Token::Set;
        if (j < close && raw[j] == U'!') {
          token.negate = true;
          ++j;
        }
        // "[]" holds no character: it matches the empty text, so it adds nothing to the pattern.
        if (j == close && !token.negate) {
          i = close;
          continue;
        }
        for (; j < close; ++j) {
          char32_t lo = Fold(raw[j]);
          char32_t hi = lo;
          if (j + 2 < close && raw[j + 1] == U'-') {
            hi = Fold(raw[j + 2]);
            j += 2;
          }
          token.ranges.emplace_back(lo, hi);
        }
        i = close;
      }
    } else {
      token.ch = Fold(c);
    }
    tokens_.push_back(std::move(token));
  }
}

bool LikePattern::Token::Accepts(char32_t c) const {
  switch (kind) {
    case Any:
      return true;
    case Digit:
      return c >= U'0' && c <= U'9';
    case Char:
      return c == ch;
    case Set: {
      bool inSet = false;
      for (const auto& [lo, hi] : ranges) {
        if (c >= lo && c <= hi) {
          inSet = true;
          break;
        }
      }
      return inSet != negate;
    }
    case Star:
      break;
  }
  return false;
}

bool LikePattern::MatchFolded(const std::u32string& text) const {
  const size_t n = text.size();
  const size_t m = tokens_.size();
  size_t t = 0;
  size_t p = 0;
  size_t starP = std::u32string::npos;
  size_t starT = 0;
  while (t < n) {
    if (p < m && tokens_[p].kind == Token::Star) {
      starP = p++;
      starT = t;
    } else if (p < m && tokens_[p].Accepts(text[t])) {
      ++p;
      ++t;
    } else if (starP != std::u32string::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < m && tokens_[p].kind == Token::Star) ++p;
  return p == m;
}

std::vector<std::u32string> LikePattern::LiteralRuns() const {
  std::vector<std::u32string> runs(1);
  for (const Token& token : tokens_) {
    // [x] stands for x alone, as a user writes a wildcard character to be taken literally.
    const bool single = token.kind == Token::Set && !token.negate && token.ranges.size() == 1 &&
                        token.ranges[0].first == token.ranges[0].second;
    if (token.kind == Token::Char || single) {
      runs.back().push_back(single ? token.ranges[0].first : token.ch);
    } else if (!runs.back().empty()) {
      runs.emplace_back();
    }
  }
  if (runs.back().empty()) runs.pop_back();
  return runs;
}

bool LikePattern::MatchesUtf8(const char* utf8, int length) const {
  thread_local std::u32string folded;
  FoldUtf8(utf8 ? utf8 : "", utf8 ? length : 0, folded);
  return MatchFolded(folded);
}

int CompareNoCase(const char* a, int lengthA, const char* b, int lengthB) {
  // Letters are ordered by their base letter first (so "École" sorts among the e's, as a reader
  // expects), and only texts that differ in nothing but accents are told apart by their accents:
  // equality still keeps accents distinct.
  auto pa = reinterpret_cast<const unsigned char*>(a);
  auto pb = reinterpret_cast<const unsigned char*>(b);
  const auto endA = pa + lengthA;
  const auto endB = pb + lengthB;
  int tieBreak = 0;
  while (pa < endA && pb < endB) {
    char32_t ca;
    char32_t cb;
    if (*pa < 0x80 && *pb < 0x80) {
      ca = Fold(*pa++);
      cb = Fold(*pb++);
      if (ca != cb) return ca < cb ? -1 : 1;
      continue;
    }
    ca = Fold(DecodeUtf8(pa, endA));
    cb = Fold(DecodeUtf8(pb, endB));
    if (ca == cb) continue;
    const char32_t baseA = BaseLetter(ca);
    const char32_t baseB = BaseLetter(cb);
    if (baseA != baseB) return baseA < baseB ? -1 : 1;
    if (tieBreak == 0) tieBreak = ca < cb ? -1 : 1;
  }
  if (pa < endA) return 1;
  if (pb < endB) return -1;
  return tieBreak;
}

QByteArray NoCaseKey(const char* utf8, int length) {
  // The base letters, a zero byte, then per letter its folded form, or a one byte for a plain
  // ASCII letter (which sorts first: every accented letter lies above ASCII): compared byte by
  // byte, the first differing base letter decides, then the shorter text, then the first differing
  // folded letter, exactly as CompareNoCase decides. Trailing one bytes are left out, so that an
  // ASCII text costs one byte more than its letters.
  QByteArray key;
  key.reserve(length + 2);
  auto p = reinterpret_cast<const unsigned char*>(utf8);
  const auto end = p + length;
  std::u32string folded;
  while (p < end) {
    const char32_t c = Fold(DecodeUtf8(p, end));
    folded.push_back(c);
    AppendKeyUnit(key, BaseLetter(c));
  }
  key += '\0';
  qsizetype kept = key.size();
  for (const char32_t c : folded) {
    if (c < 0x80) {
      key += '\x01';
    } else {
      AppendKeyUnit(key, c + 1);
      kept = key.size();
    }
  }
  key.truncate(kept);
  return key;
}

QByteArray LikeFolded(const char* utf8, int length) {
  QByteArray folded;
  folded.reserve(length);
  auto p = reinterpret_cast<const unsigned char*>(utf8);
  const auto end = p + length;
  while (p < end) {
    const char32_t c = *p < 0x80 ? Fold(*p++) : Fold(DecodeUtf8(p, end));
    AppendUtf8(folded, c == 0 ? 0xFFFD : c);
  }
  return folded;
}

QString DateToStorage(const QDate& date) { return date.toString(u"yyyy-MM-dd"); }

QString DateTimeToStorage(const QDateTime& dateTime) {
  if (dateTime.time() == QTime(0, 0)) return DateToStorage(dateTime.date());
  return dateTime.toString(u"yyyy-MM-dd HH:mm:ss");
}

QDateTime ParseStoredDate(const char* s, int length) {
  auto digits = [&](int from, int count) {
    int value = 0;
    for (int i = from; i < from + count; ++i) {
      if (i >= length || s[i] < '0' || s[i] > '9') return -1;
      value = value * 10 + (s[i] - '0');
    }
    return value;
  };
  if (!s || length < 10 || s[4] != '-' || s[7] != '-') return {};
  const int year = digits(0, 4);
  const int month = digits(5, 2);
  const int day = digits(8, 2);
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (length > 10) {
    if (length < 16 || (s[10] != ' ' && s[10] != 'T') || s[13] != ':') return {};
    hour = digits(11, 2);
    minute = digits(14, 2);
    if (length >= 19 && s[16] == ':') second = std::max(0, digits(17, 2));
  }
  if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0) return {};
  // A local QDateTime costs a time-zone look-up (a system call) to build, and a list of 100,000
  // DVDs holds only a few thousand distinct dates: build each one once.
  thread_local QHash<quint64, QDateTime> cache;
  const quint64 key = (quint64(quint32(year)) << 40) | (quint64(quint32(month) & 0xFF) << 32) |
                      (quint64(quint32(day) & 0xFF) << 24) | (quint64(quint32(hour) & 0xFF) << 16) |
                      (quint64(quint32(minute) & 0xFF) << 8) | quint64(quint32(second) & 0xFF);
  if (const auto found = cache.constFind(key); found != cache.constEnd()) return *found;
  const QDate date(year, month, day);
  const QTime time(hour, minute, second);
  if (!date.isValid() || !time.isValid()) return {};
  if (cache.size() > 8192) cache.clear();
  return *cache.insert(key, QDateTime(date, time));
}

QDateTime ParseStoredDate(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return ParseStoredDate(utf8.constData(), int(utf8.size()));
}

}  // namespace JetDialect
