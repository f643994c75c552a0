#pragma once

#include <string>

#include "CodeHandover.h"
#include "ReaderThread.h"

namespace scannerlib {

// A scanner read straight from its input device (REELKEEPER_SCANNER_DEVICE, for example
// /dev/input/by-id/usb-...-event-kbd), grabbed so that its keys reach no window. Its keys are
// read as a US keyboard would type them; Enter or Tab ends a code. A device that goes away (the
// scanner unplugged) is opened again when it comes back, tried less and less often while it stays
// away. Something that is no input device (a file, a folder, /dev/zero) is refused; a FIFO may
// stand in for a device.
class EvdevReader final : public ReaderThread {
 public:
  EvdevReader(CodeHandover& handover, std::string device, int retryMs = 500);
  ~EvdevReader() override;

  void Start() { StartThread(); }

  // The character a key gives on a US layout (keypad with Num Lock on), or 0 for a key that
  // types none. Enter and Tab give 0: they end a code.
  static char KeyCharacter(int code, bool shift);

 private:
  void Run() override;
  // Reads until the device is gone (false) or the reader is stopped (true); read tells whether
  // anything came at all.
  bool ReadDevice(int fd, bool& read);
  void Key(int code, int value);

  CodeHandover& handover_;
  std::string device_;
  std::string source_;
  int retryMs_;
  bool leftShift_ = false;
  bool rightShift_ = false;
  std::string code_;
};

}  // namespace scannerlib
