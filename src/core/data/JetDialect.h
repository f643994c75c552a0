#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <string>
#include <vector>

struct sqlite3;

// The program's SQL is written in the dialect of its original desktop database engine: dates as
// #mm-dd-yyyy#, Like with * ? # [..] wildcards, and text that compares without regard to letter
// case. This module teaches SQLite that dialect, so that every statement runs as written.
namespace JetDialect {

// Rewrites #date# literals that stand outside quoted text into quoted ISO-8601 text, the form in
// which dates are stored. Throws DatabaseError for a date literal that is not a valid date.
QString TranslateSql(const QString& sql);

// Installs the program's Like, LikeFold, AsciiAlnum (a bar code as scanned) and the Unicode-aware,
// case-insensitive NOCASE collation on a connection. Every connection the program opens must have
// them.
void RegisterFunctions(sqlite3* db);

// A compiled Like pattern: * any run, ? one character, # one digit, [abc], [a-z], [!abc].
// % and _ are ordinary characters. Matching ignores letter case and keeps accents distinct.
class LikePattern {
 public:
  explicit LikePattern(const char* utf8, int length, char32_t escape = 0);

  bool MatchesUtf8(const char* utf8, int length) const;
  char32_t Escape() const { return escape_; }
  // The runs of characters that a matching text holds one after the other, folded, in pattern
  // order: each is part of the text's LikeFolded form.
  std::vector<std::u32string> LiteralRuns() const;

 private:
  struct Token {
    enum Kind { Star, Any, Digit, Char, Set } kind = Char;
    char32_t ch = 0;
    bool negate = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
    bool Accepts(char32_t c) const;
  };
  void Compile(const std::u32string& pattern);
  bool MatchFolded(const std::u32string& text) const;

  std::vector<Token> tokens_;
  char32_t escape_;
};

// Compares two UTF-8 texts code point by code point after Unicode case folding.
int CompareNoCase(const char* a, int lengthA, const char* b, int lengthB);
// A key whose byte order is CompareNoCase's order: equal keys for equal texts, so that an index of
// the program's own can order and find texts as the engine's comparison does. Registered on every
// connection as the SQL function NoCaseKey(text).
QByteArray NoCaseKey(const char* utf8, int length);

// A text as the Like compares it, each character folded, as UTF-8; a zero character becomes
// U+FFFD, since SQLite's tokenizers stop at a zero. Registered as the SQL function LikeFold(text).
QByteArray LikeFolded(const char* utf8, int length);

// Storage form of dates: "YYYY-MM-DD", with " HH:MM:SS" only when there is a time of day.
QString DateToStorage(const QDate& date);
QString DateTimeToStorage(const QDateTime& dateTime);
// Reads the storage form (and the ISO "T" variant); an invalid QDateTime when it is not a date.
QDateTime ParseStoredDate(const char* utf8, int length);
QDateTime ParseStoredDate(const QString& text);

}  // namespace JetDialect
