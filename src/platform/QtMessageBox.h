#pragma once

#include "seams/MessageBox.h"

// The real message box: QMessageBox with the program's fixed texts, buttons, default and icon;
// Escape and the title bar's close button give the request's escape answer.
class QtMessageBox final : public seams::MessageBox {
 public:
  seams::MsgAnswer Show(const seams::MessageRequest& request) override;
};
