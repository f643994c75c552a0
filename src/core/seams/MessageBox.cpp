#include "seams/MessageBox.h"

#include <cstdio>

namespace seams {
namespace {

class ConsoleMessageBox final : public MessageBox {
 public:
  MsgAnswer Show(const MessageRequest& request) override {
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(request.title), qUtf8Printable(request.text));
    return request.defaultAnswer;
  }
};

ConsoleMessageBox consoleBox;
MessageBox* current = &consoleBox;

}  // namespace

MsgAnswer EscapeAnswer(const MessageRequest& request) {
  if (request.escapeAnswer) return *request.escapeAnswer;
  switch (request.buttons) {
    case MsgButtons::Ok:
      return MsgAnswer::Ok;
    case MsgButtons::YesNo:
      return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
      return MsgAnswer::Cancel;
  }
  return MsgAnswer::Cancel;
}

void SetMessages(MessageBox* box) { current = box ? box : &consoleBox; }

MsgAnswer ShowMessage(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons,
                      MsgAnswer defaultAnswer, std::optional<MsgAnswer> escapeAnswer) {
  return current->Show(MessageRequest{text, title, icon, buttons, defaultAnswer, escapeAnswer});
}

}  // namespace seams
