#pragma once

#include <QApplication>
#include <QString>

class DatabaseError;

// The one place where an error that nothing handled meets the user: Qt never sees an exception
// cross its event loop. Such an error shows the "Error" message box and ends the program with
// exit status 1.
class ReelKeeperApplication final : public QApplication {
  Q_OBJECT

 public:
  ReelKeeperApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // "Error Number: n", a line break and the description.
  static QString FatalText(const DatabaseError& error);
  // Shows the fatal error's message box.
  static void ReportFatal(const DatabaseError& error);
  // Shows the message, closes what can still be closed and ends the process with status 1.
  [[noreturn]] static void EndWithError(const DatabaseError& error);
};
