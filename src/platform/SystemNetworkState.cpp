#include "platform/SystemNetworkState.h"

#include <QNetworkInformation>

bool SystemNetworkState::IsConnected() {
  if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend() &&
      !QNetworkInformation::loadBackendByName(u"glib")) {
    return false;
  }
  const QNetworkInformation* info = QNetworkInformation::instance();
  return info && info->reachability() == QNetworkInformation::Reachability::Online;
}
