#pragma once

#include <QElapsedTimer>
#include <QProgressDialog>
#include <functional>
#include <memory>

#include "inventory/DerivedRows.h"

// The window shown while the list's order and the choice lists' keys are worked out for a whole
// collection: an older file's first start, or a file whose kept rows were lost or dropped by
// another program. That takes tens of seconds at a million DVDs, before the main window can show
// a right order. Shown at once for a large collection, after a moment for a small one; Cancel
// stops the work, and the file is left as it was. Every rebuild reports here while it lives.
class PreparingProgress final : public DerivedRows::RebuildProgress {
 public:
  // `shown` runs when the window first shows.
  explicit PreparingProgress(std::function<void()> shown = {});
  ~PreparingProgress() override;
  PreparingProgress(const PreparingProgress&) = delete;
  PreparingProgress& operator=(const PreparingProgress&) = delete;

  void Begin(qint64 dvds) override;
  bool Advance(qint64 done, qint64 total) override;

 private:
  void Show();

  std::function<void()> shown_;
  std::unique_ptr<QProgressDialog> bar_;
  QElapsedTimer since_;
};
