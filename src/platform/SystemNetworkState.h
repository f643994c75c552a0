#pragma once

#include "seams/NetworkState.h"

// Qt's network information: the platform's default backend, else the glib one (GNOME's network
// monitor). Without any backend nothing can be known, which counts as not connected.
class SystemNetworkState final : public seams::NetworkState {
 public:
  bool IsConnected() override;
};
