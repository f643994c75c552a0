#include "ui/dialogs/SavingDialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "ui/common/DialogChrome.h"
#include "ui/common/FormHelpers.h"

SavingDialog::SavingDialog(QWidget* parent)
    : QDialog(parent),
      chrome_(new DialogChrome(this)),
      content_(new QWidget(this)),
      rows_(new QGridLayout(content_)),
      ok_(new QPushButton(QStringLiteral("&Ok"), this)),
      cancel_(new QPushButton(QStringLiteral("&Cancel"), this)),
      tagTimer_(FormHelpers::HintTimer(this)) {
  rows_->setContentsMargins(10, 8, 10, 4);
  rows_->setHorizontalSpacing(6);
  rows_->setVerticalSpacing(4);

  ok_->setObjectName(QStringLiteral("OkButton"));
  ok_->setDefault(true);
  cancel_->setObjectName(QStringLiteral("CancelButton"));
  connect(ok_, &QPushButton::clicked, this, [this] {
    Cancelled = false;
    accept();
  });
  connect(cancel_, &QPushButton::clicked, this, &SavingDialog::CancelClose);
  connect(chrome_, &DialogChrome::XClicked, this, &SavingDialog::CancelClose);
}

SavingDialog::~SavingDialog() = default;

void SavingDialog::Message(const QString& mess) {
  if (messBar_ && messBar_->currentMessage() != mess) messBar_->showMessage(mess);
}

QLabel* SavingDialog::AddRow(int row, const QString& caption, const QString& name, QWidget* control,
                             const QString& hint, int columnSpan) {
  control->setObjectName(name);
  if (!hint.isEmpty()) control->setProperty("Tag", hint);
  auto* label = new QLabel(caption, content_);
  QString labelName = name;
  labelName.replace(labelName.size() - 3, 3, QStringLiteral("Lbl"));
  label->setObjectName(labelName);
  label->setBuddy(control);
  rows_->addWidget(label, row, 0);
  rows_->addWidget(control, row, 1, 1, columnSpan);
  return label;
}

QPlainTextEdit* SavingDialog::NewLinesBox(const QString& name, const QString& hint) {
  auto* box = new QPlainTextEdit(content_);
  box->setObjectName(name);
  box->setProperty("Tag", hint);
  box->setTabChangesFocus(true);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->installEventFilter(this);
  return box;
}

QComboBox* SavingDialog::ChoiceBox() { return FormHelpers::NewChoiceBox(content_, 12); }

void SavingDialog::FinishLayout(int minimumWidth) {
  auto* outer = new QVBoxLayout(this);
  // Inside the raised frame, below the title strip.
  outer->setContentsMargins(2, 2 + chrome_->StripHeight(), 2, 2);
  outer->setSpacing(0);
  outer->addWidget(content_);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(10, 6, 10, 6);
  buttons->addStretch(1);
  const QSize buttonSize = ok_->sizeHint().expandedTo(cancel_->sizeHint()).expandedTo({80, 0});
  for (QPushButton* button : {ok_, cancel_}) {
    button->setFixedSize(buttonSize);
    buttons->addWidget(button);
  }
  outer->addLayout(buttons);
  messBar_ = new QStatusBar(this);
  messBar_->setObjectName(QStringLiteral("MessBar"));
  messBar_->setSizeGripEnabled(false);
  outer->addWidget(messBar_);

  const QSize hint = outer->totalSizeHint();
  resize(std::max(minimumWidth, hint.width()), hint.height());
  chrome_->Fit();
}

void SavingDialog::done(int result) {
  static_cast<void>(result);  // the outcome is Cancelled, whichever way the close came
  if (!SaveStuff()) return;
  QDialog::done(Cancelled ? Rejected : Accepted);
}

void SavingDialog::CancelClose() {
  Cancelled = true;
  reject();
}

void SavingDialog::setVisible(bool visible) {
  // Placed before the window is mapped: moved while the window manager maps it, the dialog ends up
  // in its place but Qt, and so a screen reader, can keep it at the screen's corner.
  if (visible && !loaded_) chrome_->CenterOver(parentWidget());
  QDialog::setVisible(visible);
}

void SavingDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!loaded_) {
    loaded_ = true;
    LoadForm();
  }
  tagTimer_->start();
}

void SavingDialog::hideEvent(QHideEvent* event) {
  tagTimer_->stop();
  QDialog::hideEvent(event);
}

void SavingDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    CancelClose();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool SavingDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter in a multi-line box starts a new line; Ok is the default button again once the focus
  // has left it.
  if (event->type() == QEvent::FocusIn) ok_->setDefault(false);
  if (event->type() == QEvent::FocusOut) ok_->setDefault(true);
  return QDialog::eventFilter(watched, event);
}
