#pragma once

#include <QString>
#include <optional>

namespace seams {

enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
  QString text;
  QString title;
  MsgIcon icon = MsgIcon::None;
  MsgButtons buttons = MsgButtons::Ok;
  MsgAnswer defaultAnswer = MsgAnswer::Ok;
  // What Escape (or closing the box) answers; unset: the answer that changes nothing (see
  // EscapeAnswer).
  std::optional<MsgAnswer> escapeAnswer;
};

// The answer Escape gives: the request's own, else No for Yes/No, Cancel where there is a Cancel
// button, OK for a box with OK alone. A stray key must never say yes to deleting, returning,
// overwriting or cleaning up.
MsgAnswer EscapeAnswer(const MessageRequest& request);

// Every modal message of the program goes through this interface, so that the windows can be
// driven by tests without anybody clicking.
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual MsgAnswer Show(const MessageRequest& request) = 0;
};

// Installs the process-wide message box; nullptr goes back to the one used until the program
// installs its own: messages go to standard error and take their default answer, which is what a
// program without a screen can sensibly do.
void SetMessages(MessageBox* box);

MsgAnswer ShowMessage(const QString& text, const QString& title, MsgIcon icon = MsgIcon::None,
                      MsgButtons buttons = MsgButtons::Ok, MsgAnswer defaultAnswer = MsgAnswer::Ok,
                      std::optional<MsgAnswer> escapeAnswer = std::nullopt);

}  // namespace seams
