#include "platform/QtFileChooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString Documents() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  // Without a documents folder the dialog would start in whatever folder the program runs in.
  return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

}  // namespace

QString QtFileChooser::OpenFile(const QString& title, const QString& filter,
                                const QString& folder) {
  QFileDialog dialog(QApplication::activeWindow(), title,
                     QFileInfo(folder).isDir() ? folder : Documents(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

QString QtFileChooser::SaveFile(const QString& title, const QString& proposedPath,
                                const QString& filter) {
  const QFileInfo proposed(QDir(Documents()).filePath(proposedPath));
  QFileDialog dialog(QApplication::activeWindow(), title, proposed.absolutePath(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(proposed.suffix());
  dialog.selectFile(proposed.fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}
