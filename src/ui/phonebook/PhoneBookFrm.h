#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>
#include <array>
#include <functional>
#include <memory>

class Collection;

class LoansList;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;

// Where the phone book window's parts go, apart from any widget so that the numbers can be
// checked directly. Everything is in pixels.
namespace PhoneBookLayout {

struct Placement {
  QRect separator;
  QRect nameTxt;
  QRect nameList;
  QRect infoFrame;
};

// Splits band (the window's area above its status bar) at ratio, the separator's centre as a
// fraction of the band's width: the name box (nameHeight high) and the name list below it fill
// the left, the entry's frame the right. No width or height comes out negative.
Placement Place(const QRect& band, double ratio, int separatorWidth, int nameHeight);

// Inside the entry's frame: the field boxes reach from their left edge to the frame's right edge,
// the buttons sit on the frame's bottom edge and the notes box takes the height down to them.
struct FrameParts {
  int boxWidth = 0;
  int notesHeight = 0;
  int buttonTop = 0;
};
FrameParts PlaceInFrame(const QSize& frame, int boxLeft, int notesTop, int buttonHeight, int gap);

}  // namespace PhoneBookLayout

// The Phone Book window: every name on the left, one entry on the right, a separator between
// them that the user drags. Opened modally by the main window.
class PhoneBookFrm final : public QDialog {
  Q_OBJECT

 public:
  explicit PhoneBookFrm(Collection& collection, QWidget* parent = nullptr);
  ~PhoneBookFrm() override;

  // The load: separator ratio, placement, the names, the layout. False when the phone book could
  // not be read (the failure has been reported); the window is then not to be shown.
  bool LoadForm();

  // The phone book's record operations on this window's boxes.
  void LoadPhoneNames();
  void LoadPhoneBookInfo();
  void ClearPhoneBookInfo();
  void SavePhoneInfo();
  void DelPhoneInfo();

  // Layout persistence under the window's name.
  void LoadWindow();
  void SaveWindow();
  void LoadSeparatorRatio();
  void SaveSeparatorRatio();
  // SeparatorRatio from where the separator stands now, held within 1/8 and 7/8.
  void ResetSeparatorRatio();

  // Lays the window out at SeparatorRatio.
  void ResizeMe();
  // The separator's centre as a fraction of the width the two halves share.
  float SeparatorRatio = 0.5f;

  // Shows a text in the status bar when it differs from what is shown; the hover hints come here.
  Q_INVOKABLE void Message(const QString& text);

 signals:
  // A loan of the borrower was double-clicked (or Enter pressed on it): the window closes and
  // the main window goes to its DVD.
  void DVDChosen(const QString& title);

 public slots:
  // Every way of closing ends here: the unload stores the separator and the placement once.
  void done(int result) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Collection& collection_;
  class Form;

  QRect Band() const;
  void TypingName();
  // The borrower's loans and their summary, for the name in the box.
  void ShowLoans();
  void NamePicked(int row);
  void SaveLayout();
  // Runs the work; a failure of the database engine is reported and the window stays usable. A
  // passing fault (a busy file, a full disk) goes on to the error boundary, as in every window.
  bool Reported(const std::function<void()>& work);

  QLineEdit* nameTxt_ = nullptr;
  QListWidget* nameList_ = nullptr;
  QLabel* separator_ = nullptr;
  QFrame* infoFrame_ = nullptr;
  std::array<QLineEdit*, 8> boxes_{};  // address, city, state, zip, phone, fax, cell, e-mail
  QLineEdit* summaryTxt_ = nullptr;
  LoansList* loansList_ = nullptr;
  QPlainTextEdit* notes_ = nullptr;
  QPushButton* buttons_[3] = {};  // Save, Delete, Close
  QStatusBar* messBar_ = nullptr;
  QTimer* tagTimer_ = nullptr;
  std::unique_ptr<Form> form_;
  int boxLeft_ = 0;

  bool loaded_ = false;
  bool unloaded_ = false;
  bool typing_ = false;  // the typing sequence is running: its own list moves are not picks
};
