#pragma once

#include <QApplication>

class DatabaseError;

// The one place where an error that nothing handled meets the user: Qt never sees an exception
// cross its event loop. Another program holding the database file, a full disk or a folder made
// read-only is a passing condition: it is reported and the program goes on, with the window and
// everything typed in it. Any other error
// shows the "Error" message box and ends the program with exit status 1.
class ReelKeeperApplication final : public QApplication {
  Q_OBJECT

 public:
  ReelKeeperApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Tells the user of a passing condition (another program holds the file, the disk is full, the
  // folder cannot be written); what was under way has been rolled back.
  static void ReportBusy(const DatabaseError& error);
  // Shows the message, runs the program's shutdown and ends the process with status 1.
  [[noreturn]] static void EndWithError(const DatabaseError& error);
};
