#include "platform/LoggingMessageBox.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

namespace {

QString LogLine(const seams::MessageRequest& request) {
  QString text = request.text;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n")).replace(u'\n', QStringLiteral("\\n"));
  return request.title + u'\t' + text + u'\n';
}

}  // namespace

LoggingMessageBox::LoggingMessageBox(QString logPath) : logPath_(std::move(logPath)) {}

seams::MsgAnswer LoggingMessageBox::Show(const seams::MessageRequest& request) {
  // Opened for each box and written in one append, so that the line is in the file even when
  // the program ends right after the box (a fatal error ends the process without unwinding).
  const QByteArray line = LogLine(request).toUtf8();
  const int fd = ::open(QFile::encodeName(logPath_).constData(),
                        O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd >= 0) {
    const ssize_t written = ::write(fd, line.constData(), size_t(line.size()));
    static_cast<void>(written);  // a lost log line must not change what the program does
    ::close(fd);
  }
  return request.defaultAnswer;
}
