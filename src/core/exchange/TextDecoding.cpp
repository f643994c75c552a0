#include "exchange/TextDecoding.h"

#include <QStringDecoder>
#include <algorithm>

namespace TextDecoding {
namespace {

// Offset of the first byte that breaks UTF-8 (overlong forms, surrogates and values beyond
// U+10FFFF included), or -1.
qsizetype FirstInvalidUtf8(const QByteArray& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype size = bytes.size();
  qsizetype i = 0;
  while (i < size) {
    const unsigned char c = data[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return i;
    }
    if (i + length > size) return i;
    if (data[i + 1] < low || data[i + 1] > high) return i;
    for (int k = 2; k < length; ++k) {
      if (data[i + k] < 0x80 || data[i + k] > 0xBF) return i;
    }
    i += length;
  }
  return -1;
}

}  // namespace

QStringList OfferedEncodings() {
  return {QStringLiteral("windows-1252"), QStringLiteral("ISO-8859-1"),
          QStringLiteral("ISO-8859-15")};
}

int LineAt(const QByteArray& bytes, qsizetype at) {
  return int(std::count(bytes.cbegin(), bytes.cbegin() + std::min(at, bytes.size()), '\n')) + 1;
}

Decoded ToUtf8(const QByteArray& bytes, const QString& encoding) {
  Decoded result;
  const bool utf16le = bytes.startsWith("\xFF\xFE");
  const bool utf16be = bytes.startsWith("\xFE\xFF");
  if (utf16le || utf16be) {
    QStringDecoder decoder(utf16le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           QStringConverter::Flag::Stateless);
    const QString text = decoder(bytes.mid(2));
    result.ok = !decoder.hasError();
    result.utf8 = text.toUtf8();
    result.encoding = utf16le ? QStringLiteral("UTF-16LE") : QStringLiteral("UTF-16BE");
    if (!result.ok) result.problem = QStringLiteral("The UTF-16 text is broken.");
    return result;
  }
  const bool bom = bytes.startsWith("\xEF\xBB\xBF");
  if (encoding.isEmpty() || bom || encoding.compare(u"UTF-8", Qt::CaseInsensitive) == 0) {
    result.utf8 = bom ? bytes.mid(3) : bytes;
    result.encoding = QStringLiteral("UTF-8");
    const qsizetype bad = FirstInvalidUtf8(result.utf8);
    result.ok = bad < 0;
    if (!result.ok) {
      result.badLine = LineAt(result.utf8, bad);
      if (!encoding.isEmpty()) {
        result.problem = QStringLiteral("Line %1 is not UTF-8 text.").arg(result.badLine);
      }
    }
    return result;
  }
  QStringDecoder decoder(encoding.toLatin1().constData(), QStringConverter::Flag::Stateless);
  if (!decoder.isValid()) {
    result.problem = QStringLiteral("The encoding \"%1\" is not known.").arg(encoding);
    return result;
  }
  result.utf8 = QString(decoder(bytes)).toUtf8();
  result.encoding = encoding;
  result.ok = true;
  return result;
}

}  // namespace TextDecoding
