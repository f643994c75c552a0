#pragma once

#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <vector>

#include "BurstRecognizer.h"
#include "CodeHandover.h"

namespace scannerlib {

// The keyboard-wedge source: an application-wide filter on the keys the window system delivers
// to the program's windows. A scanner's burst is taken as a code and none of its keys reaches a
// control; a person's keys go on in their order (held back for at most the burst gap).
//
// Only keys addressed to a top-level window (QWindow) are looked at: that is where the window
// system delivers them, once, before the window hands them to its focused control.
class KeyFilter final : public QObject {
 public:
  explicit KeyFilter(CodeHandover& handover, QObject* parent = nullptr);
  ~KeyFilter() override;

  // Lets held keys go on at once (before the filter is removed).
  void Flush();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct HeldKey {
    QPointer<QWindow> window;
    std::unique_ptr<QKeyEvent> event;
  };
  struct KeyId {
    int key;
    quint32 scanCode;
    bool operator==(const KeyId&) const = default;
  };

  bool Press(QWindow* window, QKeyEvent* key);
  bool Release(QWindow* window, QKeyEvent* key);
  void Hold(QWindow* window, const QKeyEvent* key);
  void Replay();
  void DropHeld();

  CodeHandover& handover_;
  BurstRecognizer recognizer_;
  std::vector<HeldKey> held_;
  // Keys whose press was taken into a scan; their release is taken too.
  std::vector<KeyId> taken_;
  QTimer expiry_;
  bool replaying_ = false;
};

}  // namespace scannerlib
