#pragma once

#include "seams/FileChooser.h"

// Qt's file dialogs, over the active window.
class QtFileChooser final : public seams::FileChooser {
 public:
  QString OpenFile(const QString& title, const QString& filter, const QString& folder) override;
  QString SaveFile(const QString& title, const QString& proposedPath,
                   const QString& filter) override;
};
