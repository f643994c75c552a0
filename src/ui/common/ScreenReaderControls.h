#pragma once

// Qt's own descriptions of two kinds of control mislead a screen reader on Linux: a combo box is
// named by what it holds rather than by its caption, and a read-only line edit is called editable
// as well as read only. Installed once, after the application object and before any window, these
// describe both as the user sees them.
namespace ScreenReaderControls {

void Install();

}  // namespace ScreenReaderControls
