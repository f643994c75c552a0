#include "seams/Clock.h"

namespace seams {
namespace {

class SystemClock final : public Clock {
 public:
  QDate Today() const override { return QDate::currentDate(); }
};

const SystemClock systemClock;
const Clock* current = &systemClock;

}  // namespace

void SetClock(const Clock* clock) { current = clock ? clock : &systemClock; }

QDate Today() { return current->Today(); }

}  // namespace seams
