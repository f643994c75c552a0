#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Turning a file's bytes into text when nobody said how they were written. UTF-8 (with or without
// a byte-order mark) and UTF-16 with a mark are recognised; anything else is the user's call,
// since Latin-1 and Windows-1252 cannot be told apart from the bytes alone.
namespace TextDecoding {

// The encodings a user is offered for text that is not UTF-8, as QStringDecoder names them.
QStringList OfferedEncodings();

struct Decoded {
  bool ok = false;
  QByteArray utf8;   // the text as UTF-8, without a byte-order mark
  QString encoding;  // the encoding it was read in
  int badLine = 0;   // when not ok: the line (from 1) of the first byte that is not UTF-8
  QString problem;   // when not ok and the encoding was given: why it could not be used
};

// With an empty encoding, the bytes must be UTF-8 or carry a byte-order mark; otherwise they are
// read in the encoding named.
Decoded ToUtf8(const QByteArray& bytes, const QString& encoding = {});

// The 1-based line that byte offset `at` lies on.
int LineAt(const QByteArray& bytes, qsizetype at);

}  // namespace TextDecoding
