#pragma once

#include <QColor>
#include <QObject>
#include <QPointF>

class QDialog;
class QFrame;
class QLabel;
class QWidget;

// What the borderless dialogs (Add/Edit, Loan, Search) share instead of a system title bar: the
// navy title strip `Title` that drags the window, and the close label `XButton` whose pressed look
// follows the pointer in and out. The dialog is fixed in size, has no system menu, no minimise or
// maximise button and no task-bar button, and opens centred over the window that opened it.
class DialogChrome final : public QObject {
  Q_OBJECT

 public:
  // Makes `dialog` borderless and gives it the title strip, the X label and a raised frame.
  explicit DialogChrome(QDialog* dialog);

  void SetTitle(const QString& text);
  QLabel* TitleLabel() const { return title_; }
  QLabel* XLabel() const { return x_; }
  // Height of the strip: the dialog's own controls start below it.
  int StripHeight() const;
  // Places the strip and the X label across the top of the dialog at its current width, and fixes
  // the dialog's size; call once the dialog has its final size.
  void Fit();
  // Centres the dialog over `owner` (or its screen when there is none), kept on that screen.
  void CenterOver(const QWidget* owner);

 signals:
  // A press and release over the X label.
  void XClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool TitleMouse(QEvent* event);
  bool XMouse(QEvent* event);
  void SetXPressedLook(bool opaque);

  QDialog* dialog_;
  QFrame* frame_;
  QLabel* title_;
  QLabel* x_;
  bool dragging_ = false;
  QPointF dragStart_;  // pointer position inside the strip when the drag began
  bool xDown_ = false;
  bool xOpaque_ = false;
  QColor savedXColor_;
};
