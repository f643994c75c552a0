#pragma once

// Whether the system has an Internet connection. Windows reach it through
// FormHelpers::IsConnected; tests install their own answer.
class NetworkState {
 public:
  virtual ~NetworkState() = default;
  virtual bool IsConnected() = 0;
};

// The state in use: the system's own until another is installed.
NetworkState& CurrentNetworkState();
// nullptr restores the system's.
void SetNetworkState(NetworkState* state);
