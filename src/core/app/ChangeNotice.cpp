#include "app/ChangeNotice.h"

#include <QSet>

namespace Changes {
namespace {

// What the open batches hold back.
struct Pending {
  std::optional<DVDs> dvds;
  // The titles already in dvds: an import may announce a hundred thousand of them.
  QSet<QString> dvdTitles;
  QStringList borrowers;
  QStringList settings;
  bool everything = false;
};
int openBatches = 0;
Pending pending;

void Merge(DVDs& into, QSet<QString>& held, const DVDs& change) {
  for (const QString& title : change.titles) {
    if (!held.contains(title)) {
      held.insert(title);
      into.titles << title;
    }
  }
  into.after = change.after;
  // Several writes: the lists of distinct values cannot be brought up to date piece by piece.
  into.was.reset();
  into.now.reset();
  into.catalogueKept = into.catalogueKept && change.catalogueKept;
}

void Deliver(Pending held) {
  ChangeNotice& notice = ChangeNotice::Instance();
  if (held.everything) {
    emit notice.EverythingChanged();
    return;
  }
  if (held.dvds) emit notice.DVDsChanged(*held.dvds);
  if (!held.borrowers.isEmpty()) emit notice.BorrowersChanged(held.borrowers);
  if (!held.settings.isEmpty()) emit notice.SettingsChanged(held.settings);
}

void AddNames(QStringList& into, const QStringList& names) {
  for (const QString& name : names) {
    if (!into.contains(name)) into << name;
  }
}

}  // namespace

void Announce(const DVDs& change) {
  if (openBatches == 0) {
    emit ChangeNotice::Instance().DVDsChanged(change);
  } else if (pending.dvds) {
    Merge(*pending.dvds, pending.dvdTitles, change);
  } else {
    pending.dvds = change;
    pending.dvdTitles = QSet<QString>(change.titles.begin(), change.titles.end());
  }
}

void AnnounceBorrowers(const QStringList& names) {
  if (openBatches == 0) {
    emit ChangeNotice::Instance().BorrowersChanged(names);
  } else {
    AddNames(pending.borrowers, names);
  }
}

void AnnounceSettings(const QStringList& names) {
  if (openBatches == 0) {
    emit ChangeNotice::Instance().SettingsChanged(names);
  } else {
    AddNames(pending.settings, names);
  }
}

void AnnounceEverything() {
  if (openBatches == 0) {
    emit ChangeNotice::Instance().EverythingChanged();
  } else {
    pending.everything = true;
  }
}

Batch::Batch() { ++openBatches; }

Batch::~Batch() {
  if (done_) return;
  // An outer write may still commit after an inner one failed: what is held stays (a listener
  // that reads again finds nothing new), and only the outermost failure forgets it.
  if (--openBatches == 0) pending = Pending();
}

void Batch::Commit() {
  if (done_) return;
  done_ = true;
  if (--openBatches > 0) return;
  // Listeners may write in turn; they announce afresh.
  Pending held = std::move(pending);
  pending = Pending();
  Deliver(std::move(held));
}

}  // namespace Changes

ChangeNotice& ChangeNotice::Instance() {
  static ChangeNotice* notice = new ChangeNotice;  // lives as long as the process
  return *notice;
}
