#include "seams/NetworkState.h"

namespace seams {
namespace {

class Offline final : public NetworkState {
 public:
  bool IsConnected() override { return false; }
};

Offline offline;
NetworkState* current = &offline;

}  // namespace

NetworkState& CurrentNetworkState() { return *current; }

void SetNetworkState(NetworkState* state) { current = state ? state : &offline; }

}  // namespace seams
