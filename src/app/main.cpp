#include <sys/stat.h>

#include <QByteArray>
#include <memory>

#include "app/MainFunctions.h"
#include "app/ReelKeeperApplication.h"
#include "platform/DesktopDocumentOpener.h"
#include "platform/LoggingMessageBox.h"
#include "platform/QtFileChooser.h"
#include "platform/QtMessageBox.h"
#include "platform/QtPrinter.h"
#include "platform/SystemNetworkState.h"
#include "platform/XdgAutostartEntry.h"
#include "seams/AutostartEntry.h"
#include "seams/DocumentOpener.h"
#include "seams/FileChooser.h"
#include "seams/MessageBox.h"
#include "seams/NetworkState.h"
#include "seams/Printer.h"

int main(int argc, char* argv[]) {
  // Whatever the program makes (the collection, its journal and clean-up copies, their folder,
  // the error log, the log-on entry) is its user's alone: on a machine shared with others,
  // nobody else may read a collection of names, addresses and phone numbers.
  ::umask(077);
  ReelKeeperApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("ReelKeeper"));
  // The desktop finds the program's icon and name in the desktop entry of this name.
  app.setDesktopFileName(QStringLiteral(REELKEEPER_APP_ID));

  // Unattended runs answer every message box with its default and keep a log of them instead.
  std::unique_ptr<seams::MessageBox> messages;
  const QString messageLog = qEnvironmentVariable("REELKEEPER_MESSAGE_LOG");
  if (messageLog.isEmpty()) {
    messages = std::make_unique<QtMessageBox>();
  } else {
    messages = std::make_unique<LoggingMessageBox>(messageLog);
  }
  DesktopDocumentOpener opener;
  SystemNetworkState network;
  QtPrinter printer;
  QtFileChooser files;
  XdgAutostartEntry autostart;
  seams::SetMessages(messages.get());
  seams::SetDocumentOpener(&opener);
  seams::SetNetworkState(&network);
  seams::SetPrinter(&printer);
  seams::SetFileChooser(&files);
  seams::SetAutostartEntry(&autostart);

  const int status = MainFunctions::RunProgram();

  seams::SetAutostartEntry(nullptr);
  seams::SetFileChooser(nullptr);
  seams::SetPrinter(nullptr);
  seams::SetNetworkState(nullptr);
  seams::SetDocumentOpener(nullptr);
  seams::SetMessages(nullptr);
  return status;
}
