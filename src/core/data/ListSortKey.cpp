#include "data/ListSortKey.h"

#include <sqlite3.h>
#include <unicode/ucol.h>

#include <memory>

namespace ListSortKey {
namespace {

struct CloseCollator {
  void operator()(UCollator* collator) const { ucol_close(collator); }
};

// The rules the list's collator (QCollator for English, case ignored) sets on the same library,
// so that the stored keys and the list's own comparison agree.
UCollator* Collator() {
  thread_local const std::unique_ptr<UCollator, CloseCollator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* made = ucol_open("en_US", &status);
    ucol_setAttribute(made, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(made, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(made, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(made, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    return std::unique_ptr<UCollator, CloseCollator>(U_SUCCESS(status) ? made : nullptr);
  }();
  return collator.get();
}

void KeyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const QByteArray key = Key(text ? QString::fromUtf8(text, sqlite3_value_bytes(argv[0])) : "");
  if (key.isEmpty()) {
    sqlite3_result_error(context, "no collator for the list's sort keys", -1);
    return;
  }
  sqlite3_result_blob(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

}  // namespace

QByteArray Key(const QString& text) {
  UCollator* collator = Collator();
  if (!collator) return {};
  QString line = text;
  if (line.contains(u'\n') || line.contains(u'\r')) {
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
  }
  const auto* chars = reinterpret_cast<const UChar*>(line.utf16());
  QByteArray key(qsizetype(line.size()) * 4 + 16, Qt::Uninitialized);
  int length = ucol_getSortKey(collator, chars, int(line.size()),
                               reinterpret_cast<uint8_t*>(key.data()), int(key.size()));
  if (length > key.size()) {
    key.resize(length);
    length = ucol_getSortKey(collator, chars, int(line.size()),
                             reinterpret_cast<uint8_t*>(key.data()), int(key.size()));
  }
  // The key ends with a zero byte that orders nothing.
  key.resize(std::max(length - 1, 0));
  return key;
}

void Register(sqlite3* db) {
  sqlite3_create_function_v2(db, "ListSortKey", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                             KeyFunction, nullptr, nullptr, nullptr);
}

}  // namespace ListSortKey
