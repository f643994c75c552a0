#pragma once

#include <QDate>

namespace seams {

// "Today" decides what is overdue; tests set it instead of waiting for a date to pass.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDate Today() const = 0;
};

void SetClock(const Clock* clock);  // nullptr restores the system clock

// The current calendar date without a time of day.
QDate Today();

}  // namespace seams
