#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "seams/AutostartEntry.h"

// The XDG autostart entry $XDG_CONFIG_HOME/autostart/<name>.desktop (~/.config/autostart when
// XDG_CONFIG_HOME is unset or relative), which desktops start at log-on. Its Exec line is quoted
// and escaped as the Desktop Entry rules require, so that any program path works.
class XdgAutostartEntry final : public seams::AutostartEntry {
 public:
  explicit XdgAutostartEntry(QString fileName = QStringLiteral("RunReelKeeper.desktop"));

  std::optional<QStringList> ReadCommand() override;
  QString Write(const QString& program, const QStringList& arguments) override;
  void Remove() override;

  QString FilePath() const;

  // The Exec value (as it stands in the file) for a program and its arguments, and back.
  static QString ExecValue(const QString& program, const QStringList& arguments);
  static QStringList SplitExec(const QString& value);

 private:
  QString fileName_;
};
