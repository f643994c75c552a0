#include "KeyFilter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>

namespace scannerlib {
namespace {

bool IsModifierKey(int key) {
  switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
      return true;
    default:
      return false;
  }
}

BurstRecognizer::Key Classify(const QKeyEvent* key) {
  const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  if (key->isAutoRepeat() || (key->modifiers() & commands)) return BurstRecognizer::Key::Other;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
      return key->modifiers() & Qt::ShiftModifier ? BurstRecognizer::Key::Other
                                                  : BurstRecognizer::Key::Terminator;
    default:
      break;
  }
  const QString text = key->text();
  if (text.size() == 1 && text.at(0).isPrint()) return BurstRecognizer::Key::Character;
  return BurstRecognizer::Key::Other;
}

// The window system's time of the key where it gives one (keys that queued up while the program
// was busy keep their real spacing), else the time it is seen here.
std::int64_t KeyTime(const QKeyEvent* key) {
  if (key->timestamp() != 0) return std::int64_t(key->timestamp());
  return QDeadlineTimer::current(Qt::PreciseTimer).deadline();
}

}  // namespace

KeyFilter::KeyFilter(CodeHandover& handover, QObject* parent)
    : QObject(parent), handover_(handover) {
  expiry_.setSingleShot(true);
  expiry_.setInterval(int(BurstRecognizer::kMaximumGapMs) + 1);
  connect(&expiry_, &QTimer::timeout, this, [this] { Flush(); });
}

KeyFilter::~KeyFilter() = default;

void KeyFilter::Flush() {
  expiry_.stop();
  Replay();
  recognizer_.Reset();
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (replaying_ || !watched->isWindowType()) return false;
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  auto* window = static_cast<QWindow*>(watched);
  auto* key = static_cast<QKeyEvent*>(event);
  return type == QEvent::KeyPress ? Press(window, key) : Release(window, key);
}

bool KeyFilter::Press(QWindow* window, QKeyEvent* key) {
  if (IsModifierKey(key->key())) {
    // Part of a burst when one is held (a scanner types capitals with Shift); order is kept.
    if (held_.empty()) return false;
    Hold(window, key);
    return true;
  }
  const BurstRecognizer::Decision decision =
      recognizer_.Press(Classify(key), key->text().toStdString(), KeyTime(key));
  if (decision.replayHeld) Replay();
  switch (decision.thisKey) {
    case BurstRecognizer::ThisKey::Hold:
      Hold(window, key);
      expiry_.start();
      return true;
    case BurstRecognizer::ThisKey::Pass:
      expiry_.stop();
      return false;
    case BurstRecognizer::ThisKey::Scan:
      expiry_.stop();
      DropHeld();
      taken_.push_back({key->key(), key->nativeScanCode()});
      handover_.Offer(kKeyboardSource, recognizer_.Code());
      return true;
  }
  return false;
}

bool KeyFilter::Release(QWindow* window, QKeyEvent* key) {
  // A release follows its press: held while presses are held, taken when its press was.
  if (!held_.empty()) {
    Hold(window, key);
    return true;
  }
  const auto taken =
      std::find(taken_.begin(), taken_.end(), KeyId{key->key(), key->nativeScanCode()});
  if (taken == taken_.end()) return false;
  taken_.erase(taken);
  return true;
}

void KeyFilter::Hold(QWindow* window, const QKeyEvent* key) {
  held_.push_back({window, std::unique_ptr<QKeyEvent>(key->clone())});
}

void KeyFilter::Replay() {
  std::vector<HeldKey> keys;
  keys.swap(held_);
  replaying_ = true;
  for (HeldKey& held : keys) {
    if (held.window) QCoreApplication::sendEvent(held.window, held.event.get());
  }
  replaying_ = false;
}

void KeyFilter::DropHeld() {
  // Presses whose release has not come yet: the release is taken when it comes.
  std::vector<KeyId> pressed;
  for (const HeldKey& held : held_) {
    const KeyId id{held.event->key(), held.event->nativeScanCode()};
    if (held.event->type() == QEvent::KeyPress) {
      pressed.push_back(id);
    } else if (const auto it = std::find(pressed.begin(), pressed.end(), id); it != pressed.end()) {
      pressed.erase(it);
    }
  }
  taken_.insert(taken_.end(), pressed.begin(), pressed.end());
  // A release that went to another program (the focus moved) never comes here.
  constexpr std::size_t kRemembered = 32;
  if (taken_.size() > kRemembered) taken_.erase(taken_.begin(), taken_.end() - kRemembered);
  held_.clear();
}

}  // namespace scannerlib
