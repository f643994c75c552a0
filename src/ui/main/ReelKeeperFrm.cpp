#include "ui/main/ReelKeeperFrm.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QStatusBar>

#include "app/Constants.h"

ReelKeeperFrm::ReelKeeperFrm(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("ReelKeeperFrm"));
  setWindowTitle(Constants::kMainCaption);
  auto* bar = new QStatusBar(this);
  bar->setObjectName(QStringLiteral("MessBar"));
  setStatusBar(bar);
}

ReelKeeperFrm::~ReelKeeperFrm() = default;

void ReelKeeperFrm::LoadForm() {}

bool ReelKeeperFrm::CheckOverdues() { return false; }

void ReelKeeperFrm::Message(const QString& text) {
  if (statusBar()->currentMessage() != text) statusBar()->showMessage(text);
}

void ReelKeeperFrm::closeEvent(QCloseEvent* event) {
  if (!unloaded_) {
    unloaded_ = true;
    emit Unloaded();
  }
  event->accept();
}

void ReelKeeperFrm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QMainWindow::keyPressEvent(event);
}
