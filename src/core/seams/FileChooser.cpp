#include "seams/FileChooser.h"

namespace seams {
namespace {

class NoChooser final : public FileChooser {
 public:
  QString OpenFile(const QString&, const QString&, const QString&) override { return {}; }
  QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }
};

NoChooser noChooser;
FileChooser* current = &noChooser;

}  // namespace

FileChooser& CurrentFileChooser() { return *current; }

void SetFileChooser(FileChooser* chooser) { current = chooser ? chooser : &noChooser; }

}  // namespace seams
