#include "platform/XdgAutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <algorithm>

namespace {

// Characters that make the Desktop Entry rules require an argument to be quoted.
const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

// The escapes of a string value, undone before the Exec rules are applied.
QString UnescapeString(const QString& value) {
  QString text;
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] != u'\\' || i + 1 == value.size()) {
      text += value[i];
      continue;
    }
    switch (value[++i].unicode()) {
      case 's':
        text += u' ';
        break;
      case 'n':
        text += u'\n';
        break;
      case 't':
        text += u'\t';
        break;
      case 'r':
        text += u'\r';
        break;
      default:
        text += value[i];
        break;
    }
  }
  return text;
}

QString EscapeString(const QString& text) {
  QString value;
  for (const QChar c : text) {
    switch (c.unicode()) {
      case '\\':
        value += QStringLiteral("\\\\");
        break;
      case '\n':
        value += QStringLiteral("\\n");
        break;
      case '\t':
        value += QStringLiteral("\\t");
        break;
      case '\r':
        value += QStringLiteral("\\r");
        break;
      default:
        value += c;
        break;
    }
  }
  return value;
}

QString QuoteArgument(QString argument) {
  argument.replace(u'%', QStringLiteral("%%"));
  const bool quote =
      argument.isEmpty() ||
      std::any_of(argument.begin(), argument.end(), [](QChar c) { return kReserved.contains(c); });
  if (!quote) return argument;
  QString quoted = QStringLiteral("\"");
  for (const QChar c : argument) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
    quoted += c;
  }
  return quoted + u'"';
}

// The keys of the [Desktop Entry] group, later keys replacing earlier ones.
QHash<QString, QString> ReadEntry(const QString& path) {
  QHash<QString, QString> keys;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return keys;
  bool inEntry = false;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.startsWith(u'[')) {
      inEntry = line == u"[Desktop Entry]";
    } else if (inEntry && !line.startsWith(u'#')) {
      const qsizetype equals = line.indexOf(u'=');
      if (equals > 0) keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
  }
  return keys;
}

}  // namespace

XdgAutostartEntry::XdgAutostartEntry(QString fileName) : fileName_(std::move(fileName)) {}

QString XdgAutostartEntry::FilePath() const {
  // The base-directory rules ignore a relative path.
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (!QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
  return QDir(config).filePath(QStringLiteral("autostart/") + fileName_);
}

QString XdgAutostartEntry::ExecValue(const QString& program, const QStringList& arguments) {
  QStringList parts{QuoteArgument(program)};
  for (const QString& argument : arguments) parts << QuoteArgument(argument);
  return EscapeString(parts.join(u' '));
}

QStringList XdgAutostartEntry::SplitExec(const QString& value) {
  const QString text = UnescapeString(value);
  QStringList parts;
  QString part;
  bool inPart = false;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == u'"') {
        quoted = false;
      } else if (c == u'\\' && i + 1 < text.size()) {
        part += text[++i];
      } else {
        part += c;
      }
    } else if (c == u'"') {
      quoted = inPart = true;
    } else if (c == u' ' || c == u'\t') {
      if (inPart) parts << part;
      part.clear();
      inPart = false;
    } else {
      part += c;
      inPart = true;
    }
  }
  if (inPart) parts << part;
  for (QString& p : parts) p.replace(QStringLiteral("%%"), QStringLiteral("%"));
  return parts;
}

std::optional<QStringList> XdgAutostartEntry::ReadCommand() {
  const QString path = FilePath();
  if (!QFile::exists(path)) return std::nullopt;
  const QHash<QString, QString> keys = ReadEntry(path);
  // Desktops switch an entry off with Hidden, GNOME also with its own key.
  if (keys.value(QStringLiteral("Hidden")) == u"true" ||
      keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) == u"false") {
    return std::nullopt;
  }
  return SplitExec(keys.value(QStringLiteral("Exec")));
}

QString XdgAutostartEntry::Write(const QString& program, const QStringList& arguments) {
  const QString path = FilePath();
  QDir().mkpath(QFileInfo(path).absolutePath());
  const QString text = QStringLiteral(
                           "[Desktop Entry]\n"
                           "Type=Application\n"
                           "Name=ReelKeeper Overdue Check\n"
                           "Comment=Looks for overdue DVD loans when you log on\n"
                           "Exec=%1\n"
                           // Once the program is removed, the desktop skips the entry instead of
                           // failing to start it at every log-on.
                           "TryExec=%2\n"
                           "Terminal=false\n"
                           "X-GNOME-Autostart-enabled=true\n")
                           .arg(ExecValue(program, arguments), EscapeString(program));
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
    return QStringLiteral("The log-on entry '%1' cannot be written: %2")
        .arg(path, file.errorString());
  }
  return {};
}

void XdgAutostartEntry::Remove() { QFile::remove(FilePath()); }
