#include "exchange/ExchangeFile.h"

#include <QSaveFile>

namespace ExchangeFile {

QString Save(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(bytes) != bytes.size()) {
    const QString error = file.errorString();
    file.cancelWriting();
    return error;
  }
  // commit() flushes the temporary file to disk before it takes the name.
  if (!file.commit()) return file.errorString();
  return {};
}

}  // namespace ExchangeFile
