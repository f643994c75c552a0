#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

// "User Guide": the program's own reader for its guide, for a desktop that has no program to open
// the guide with. Links within the guide work; links elsewhere are shown as addresses.
class GuideFrm final : public QDialog {
  Q_OBJECT

 public:
  // path: the guide's HTML file.
  explicit GuideFrm(const QString& path, QWidget* parent = nullptr);

 private:
  QTextBrowser* text_ = nullptr;
};
