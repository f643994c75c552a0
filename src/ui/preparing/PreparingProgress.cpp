#include "ui/preparing/PreparingProgress.h"

#include <QCoreApplication>

#include "app/Constants.h"

namespace {

// From this size on the work takes longer than a person waits without a sign (about half a
// second on a slow machine); a smaller collection shows the window only if it lasts.
constexpr qint64 kShowAtOnce = 20000;
constexpr qint64 kShowAfterMs = 300;

}  // namespace

PreparingProgress::PreparingProgress(std::function<void()> shown) : shown_(std::move(shown)) {
  DerivedRows::ShowRebuildsIn(this);
}

PreparingProgress::~PreparingProgress() { DerivedRows::ShowRebuildsIn(nullptr); }

void PreparingProgress::Begin(qint64 dvds) {
  since_.start();
  if (bar_) {
    bar_->setValue(0);
  } else if (dvds >= kShowAtOnce) {
    Show();
  }
}

bool PreparingProgress::Advance(qint64 done, qint64 total) {
  if (!bar_ && since_.isValid() && since_.elapsed() >= kShowAfterMs) Show();
  if (!bar_) return true;
  bar_->setValue(total > 0 ? int(std::min<qint64>(done * 1000 / total, 1000)) : 0);
  // The work runs on this thread: between its steps the window repaints, answers the window
  // manager and hears Cancel. Nothing else is open yet that could read the rows half made.
  QCoreApplication::processEvents();
  return !bar_->wasCanceled();
}

void PreparingProgress::Show() {
  bar_ = std::make_unique<QProgressDialog>(
      QStringLiteral("Preparing the collection for fast sorting..."), QStringLiteral("&Cancel"), 0,
      1000);
  bar_->setObjectName(QStringLiteral("PreparingProgress"));
  bar_->setAccessibleName(QStringLiteral("Preparing the collection"));
  bar_->setWindowTitle(Constants::kAppTitle);
  bar_->setWindowModality(Qt::ApplicationModal);
  bar_->setMinimumDuration(0);
  bar_->setAutoReset(false);
  bar_->setAutoClose(false);
  bar_->setValue(0);
  bar_->show();
  QCoreApplication::processEvents();
  if (shown_) shown_();
}
