#include "seams/AutostartEntry.h"

namespace seams {
namespace {

class NoAutostart final : public AutostartEntry {
 public:
  std::optional<QStringList> ReadCommand() override { return std::nullopt; }
  QString Write(const QString&, const QStringList&) override {
    return QStringLiteral("This system offers no way to start programs at log-on.");
  }
  void Remove() override {}
};

NoAutostart none;
AutostartEntry* current = &none;

}  // namespace

AutostartEntry& CurrentAutostartEntry() { return *current; }

void SetAutostartEntry(AutostartEntry* entry) { current = entry ? entry : &none; }

}  // namespace seams
