#pragma once

#include <functional>

// A logout or a `kill` sends SIGTERM (or SIGHUP, or Ctrl+C's SIGINT) to a running program. Those
// signals are turned into an ordinary event, so the program ends the way closing its window
// does: layout saved, database closed, lock given back.
namespace TerminationSignals {

// Installs the handlers; `onSignal` runs on the event loop once per signal received. Call after
// the application object exists; a second call only replaces `onSignal`.
void Install(std::function<void()> onSignal);

}  // namespace TerminationSignals
