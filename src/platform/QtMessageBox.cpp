#include "platform/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

seams::MsgAnswer QtMessageBox::Show(const seams::MessageRequest& request) {
  using seams::MsgAnswer;
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(request.title);
  box.setText(QString(request.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  switch (request.icon) {
    case seams::MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case seams::MsgIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case seams::MsgIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case seams::MsgIcon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case seams::MsgIcon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
  QMessageBox::StandardButtons buttons;
  switch (request.buttons) {
    case seams::MsgButtons::Ok:
      buttons = QMessageBox::Ok;
      break;
    case seams::MsgButtons::OkCancel:
      buttons = QMessageBox::Ok | QMessageBox::Cancel;
      break;
    case seams::MsgButtons::YesNo:
      buttons = QMessageBox::Yes | QMessageBox::No;
      break;
    case seams::MsgButtons::YesNoCancel:
      buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
  }
  box.setStandardButtons(buttons);
  auto toButton = [](MsgAnswer answer) {
    switch (answer) {
      case MsgAnswer::Ok:
        return QMessageBox::Ok;
      case MsgAnswer::Cancel:
        return QMessageBox::Cancel;
      case MsgAnswer::Yes:
        return QMessageBox::Yes;
      case MsgAnswer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
  };
  box.setDefaultButton(toButton(request.defaultAnswer));
  box.setEscapeButton(toButton(seams::EscapeAnswer(request)));
  switch (box.exec()) {
    case QMessageBox::Yes:
      return MsgAnswer::Yes;
    case QMessageBox::No:
      return MsgAnswer::No;
    case QMessageBox::Cancel:
      return MsgAnswer::Cancel;
    default:
      return MsgAnswer::Ok;
  }
}
