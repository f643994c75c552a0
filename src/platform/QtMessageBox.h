#pragma once

#include "seams/MessageBox.h"

class QWidget;

// The real message box: QMessageBox with the program's fixed texts, buttons, default and icon.
class QtMessageBox final : public seams::MessageBox {
 public:
  seams::MsgAnswer Show(const seams::MessageRequest& request) override;
};
