#pragma once

#include <QString>

#include "seams/MessageBox.h"

// A message box for unattended runs (end-to-end tests, scripts): each box's title and text are
// appended to a file, one line per box (title, a tab, the text with its line breaks written as
// "\n"), and the box takes its default answer at once. Chosen in main() by the environment
// variable REELKEEPER_MESSAGE_LOG=<file>.
class LoggingMessageBox final : public seams::MessageBox {
 public:
  explicit LoggingMessageBox(QString logPath);
  seams::MsgAnswer Show(const seams::MessageRequest& request) override;

 private:
  QString logPath_;
};
