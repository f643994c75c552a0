#pragma once

#include <QString>

namespace TextFunctions {

// Keeps only the characters of allowed (when allowed is not empty), then drops every character
// of remove. Both comparisons are case-sensitive.
QString FilterChars(const QString& text, const QString& allowed, const QString& remove);

}  // namespace TextFunctions
