#include "platform/NetworkState.h"

#include <QNetworkInformation>

namespace {

// Qt's network information: the platform's default backend, else the glib one (GNOME's network
// monitor). Without any backend nothing can be known, which counts as not connected.
class SystemNetworkState final : public NetworkState {
 public:
  bool IsConnected() override {
    if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend() &&
        !QNetworkInformation::loadBackendByName(u"glib")) {
      return false;
    }
    const QNetworkInformation* info = QNetworkInformation::instance();
    return info && info->reachability() == QNetworkInformation::Reachability::Online;
  }
};

SystemNetworkState systemState;
NetworkState* current = &systemState;

}  // namespace

NetworkState& CurrentNetworkState() { return *current; }

void SetNetworkState(NetworkState* state) { current = state ? state : &systemState; }
