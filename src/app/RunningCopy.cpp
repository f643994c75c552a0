#include "app/RunningCopy.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <QWindow>

namespace RunningCopy {
namespace {

constexpr int kWaitMs = 500;

void Show(QWidget* window) {
  if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  if (!window->isVisible()) return;  // a check-only start has no window to show
  window->raise();
  window->activateWindow();
  // A dialog open over the window is what the user has to answer first.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    modal->raise();
    modal->activateWindow();
  }
}

}  // namespace

QString SocketPath() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
    return QDir(runtime).filePath(QStringLiteral("ReelKeeperShow"));
  return QDir(QDir::tempPath()).filePath(QStringLiteral("ReelKeeperShow-%1").arg(::getuid()));
}

void Listen(QWidget* window) {
  auto* server = new QLocalServer(window);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  const QString path = SocketPath();
  // Only the copy holding the instance lock gets here: a socket left behind is a crashed copy's.
  // In a shared folder a file of another account stays where it is, and the listening fails.
  QLocalServer::removeServer(path);
  if (!server->listen(path)) {
    delete server;
    return;
  }
  QObject::connect(server, &QLocalServer::newConnection, window, [server, window] {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, window, [socket, window] {
        if (socket->readAll().contains("show")) Show(window);
      });
    }
  });
}

bool AskToShow() {
  QLocalSocket socket;
  socket.connectToServer(SocketPath());
  if (!socket.waitForConnected(kWaitMs)) return false;
  socket.write("show\n");
  const bool sent = socket.waitForBytesWritten(kWaitMs);
  socket.disconnectFromServer();
  return sent;
}

}  // namespace RunningCopy
