#pragma once

#include <QString>

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
};

// Every modal message of the program goes through this interface, so that the windows can be
// driven by tests without anybody clicking.
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual MsgAnswer Show(const MessageRequest& request) = 0;
};

// The process-wide message box. Until one is installed, messages go to standard error and take
// their default answer, which is what a program without a screen can sensibly do.
MessageBox& Messages();
void SetMessages(MessageBox* box);

MsgAnswer ShowMessage(const QString& text, const QString& title, MsgIcon icon = MsgIcon::None,
                      MsgButtons buttons = MsgButtons::Ok, MsgAnswer defaultAnswer = MsgAnswer::Ok);

}  // namespace seams
