#include "app/TextFunctions.h"

namespace TextFunctions {

QString FilterChars(const QString& text, const QString& allowed, const QString& remove) {
  QString result;
  result.reserve(text.size());
  for (const QChar c : text) {
    if ((allowed.isEmpty() || allowed.contains(c)) && !remove.contains(c)) result += c;
  }
  return result;
}

}  // namespace TextFunctions
