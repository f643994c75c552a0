#pragma once

#include <QString>

namespace seams {

// Receives the short progress texts of long operations (the database clean-up); the main window
// shows them in its status bar.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void Progress(const QString& text) = 0;
};

}  // namespace seams
