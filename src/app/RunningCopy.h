#pragma once

#include <QString>

class QWidget;

// A second start brings the running copy's window forward. The running copy listens on a local
// socket of the user's own; a refused start tells it to show itself. This is no lock: which copy
// runs is the instance lock's to decide.
namespace RunningCopy {

// Where the running copy listens: in the user's runtime folder, else in the temporary folder
// under a name with the user's id.
QString SocketPath();

// Starts listening (replacing a socket a crashed copy left); each request then shows window
// normal, raised and active, with an open dialog of it in front. Stops when window is destroyed.
void Listen(QWidget* window);

// Asks the running copy to show its window; false when no copy answered.
bool AskToShow();

}  // namespace RunningCopy
