#pragma once

namespace seams {

// Whether the system has an Internet connection. Windows reach it through
// FormHelpers::IsConnected; tests install their own answer.
class NetworkState {
 public:
  virtual ~NetworkState() = default;
  virtual bool IsConnected() = 0;
};

// The state in use. Until the program installs the system's, the answer is "not connected",
// which only ever sends the user to the offline documentation.
NetworkState& CurrentNetworkState();
// nullptr goes back to "not connected".
void SetNetworkState(NetworkState* state);

}  // namespace seams
