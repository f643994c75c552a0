#pragma once

#include <QString>
#include <QUrl>

#include "seams/DocumentOpener.h"

// The desktop's "open" action (QDesktopServices), which hands a file to its usual program and a
// web address to the browser.
class DesktopDocumentOpener final : public seams::DocumentOpener {
 public:
  bool Open(const QString& target) override;

  // A web address (it has a scheme such as https: or mailto:) as it stands; anything else is a
  // file name, taken relative to the current folder as the system's "open" action would.
  static QUrl DocumentUrl(const QString& target);
};
