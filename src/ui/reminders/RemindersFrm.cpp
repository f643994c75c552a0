#include "ui/reminders/RemindersFrm.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "app/ErrorFunctions.h"
#include "inventory/DVDRecord.h"
#include "seams/Clock.h"
#include "seams/MessageBox.h"
#include "settings/SettingsTransaction.h"
#include "ui/common/FormHelpers.h"
#include "ui/common/PanelRows.h"
#include "ui/common/WindowLayout.h"
#include "ui/report/ReportPrinting.h"

namespace {

const QString kWindowName = QStringLiteral("RemindersFrm");
const QString kTitle = QStringLiteral("Reminders");
const QString kLineEnd = QStringLiteral("\r\n");
constexpr int kLetterPointSize = 11;

// A label for a control, named after it ("DaysLbl" for "DaysTxt") and its buddy.
QLabel* Caption(QWidget* parent, const QString& text, QWidget* control) {
  auto* label = new QLabel(text, parent);
  QString name = control->objectName();
  name.replace(name.size() - 3, 3, QStringLiteral("Lbl"));
  label->setObjectName(name);
  label->setBuddy(control);
  return label;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setProperty("Tag", QString::fromUtf8(hint));
  // Enter while editing the letter must not send it.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

RemindersFrm::RemindersFrm(Collection& collection, QWidget* parent)
    : QDialog(parent), collection_(collection) {
  setObjectName(kWindowName);
  setWindowTitle(kTitle);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

  daysTxt_ = new QSpinBox(this);
  daysTxt_->setObjectName(QStringLiteral("DaysTxt"));
  daysTxt_->setRange(0, 365);
  daysTxt_->setSuffix(QStringLiteral(" days"));
  daysTxt_->setProperty("Tag", QStringLiteral("DVDs due back within this many days are listed "
                                              "as well as the overdue ones."));

  borrowersList_ = new QTreeWidget(this);
  borrowersList_->setObjectName(QStringLiteral("BorrowersTxt"));
  borrowersList_->setAccessibleName(QStringLiteral("Borrowers:"));
  borrowersList_->setProperty(
      "Tag", QStringLiteral("Everyone with DVDs overdue or soon due: pick one to remind."));
  borrowersList_->setHeaderLabels(
      {QStringLiteral("Borrower / DVD"), QStringLiteral("Due"), QStringLiteral("Reminded")});
  borrowersList_->setUniformRowHeights(true);
  // Widths from the texts' shapes rather than measured over every row, so that hundreds of
  // borrowers open at once.
  QHeaderView* columns = borrowersList_->header();
  columns->setStretchLastSection(false);
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setSectionResizeMode(0, QHeaderView::Stretch);
  const QFontMetrics metrics = borrowersList_->fontMetrics();
  const int room = 3 * metrics.averageCharWidth();
  columns->resizeSection(
      1, metrics.horizontalAdvance(QStringLiteral("12/28/2000, 365 days overdue")) + room);
  columns->resizeSection(2,
                         metrics.horizontalAdvance(QStringLiteral("reminded 365 days ago")) + room);

  templateTxt_ = PanelRows::NotesBox(this, false);
  templateTxt_->setObjectName(QStringLiteral("LetterTxt"));
  templateTxt_->setAccessibleName(QStringLiteral("Letter:"));
  templateTxt_->setProperty("Tag", QStringLiteral("The reminder's text: {name} becomes the "
                                                  "borrower's name, {dvds} the list of DVDs with "
                                                  "their due dates, {today} today's date."));

  emailButton_ = Button(this, "EmailButton", "&E-mail...",
                        "Writes the reminder in your mail program, to the borrower's address.");
  copyButton_ = Button(this, "CopyButton", "C&opy",
                       "Puts the reminder on the clipboard, to paste into a message.");
  printButton_ = Button(this, "PrintButton", "&Print...", "Prints the reminder as a letter.");
  pdfButton_ =
      Button(this, "PdfButton", "Save As P&DF...", "Saves the reminder as a letter in a PDF file.");
  defaultButton_ = Button(this, "DefaultButton", "De&fault Text",
                          "Puts the friendly text the program comes with back into the letter.");
  closeButton_ = Button(this, "CloseButton", "&Close", "Closes this window.");

  messBar_ = new QStatusBar(this);
  messBar_->setObjectName(QStringLiteral("MessBar"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(Caption(this, QStringLiteral("Due within:"), daysTxt_), 0, 0);
  grid->addWidget(daysTxt_, 0, 1, Qt::AlignLeft);
  QLabel* borrowersLbl = Caption(this, QStringLiteral("Borrowers:"), borrowersList_);
  grid->addWidget(borrowersLbl, 1, 0, Qt::AlignTop);
  grid->addWidget(borrowersList_, 1, 1);
  grid->addWidget(Caption(this, QStringLiteral("Letter:"), templateTxt_), 2, 0, Qt::AlignTop);
  grid->addWidget(templateTxt_, 2, 1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button :
       {emailButton_, copyButton_, printButton_, pdfButton_, defaultButton_}) {
    buttons->addWidget(button);
  }
  buttons->addStretch();
  buttons->addWidget(closeButton_);
  grid->addLayout(buttons, 3, 0, 1, 2);
  grid->addWidget(messBar_, 4, 0, 1, 2);
  grid->setRowStretch(1, 3);
  grid->setRowStretch(2, 2);
  grid->setColumnStretch(1, 1);
  resize(64 * fontMetrics().averageCharWidth(), 36 * fontMetrics().height());

  connect(daysTxt_, &QSpinBox::valueChanged, this, [this](int days) {
    if (!loaded_) return;
    Reported([this, days] { Reminders::SetWithinDays(collection_, days); });
    LoadBorrowers();
  });
  connect(borrowersList_, &QTreeWidget::currentItemChanged, this, &RemindersFrm::UpdateButtons);
  connect(emailButton_, &QPushButton::clicked, this, &RemindersFrm::EmailReminder);
  connect(copyButton_, &QPushButton::clicked, this, &RemindersFrm::CopyReminder);
  connect(printButton_, &QPushButton::clicked, this, &RemindersFrm::PrintReminder);
  connect(pdfButton_, &QPushButton::clicked, this, &RemindersFrm::SaveReminderAsPdf);
  connect(defaultButton_, &QPushButton::clicked, this,
          [this] { templateTxt_->setPlainText(Reminders::DefaultTemplate()); });
  connect(closeButton_, &QPushButton::clicked, this, &RemindersFrm::close);

  // A DVD returned or lent, a borrower's address changed, a reminder noted: the list follows.
  ChangeNotice& notice = ChangeNotice::Instance();
  const auto reload = [this] {
    if (loaded_) LoadBorrowers();
  };
  connect(&notice, &ChangeNotice::DVDsChanged, this, reload);
  connect(&notice, &ChangeNotice::BorrowersChanged, this, reload);
  connect(&notice, &ChangeNotice::EverythingChanged, this, reload);

  tagTimer_ = FormHelpers::HintTimer(this);
}

RemindersFrm::~RemindersFrm() = default;

bool RemindersFrm::Reported(const std::function<void()>& work) {
  return ErrorFunctions::CarryOn(QStringLiteral("The reminders could not be read or noted."),
                                 ErrorFunctions::Report::ShowUnlessPassing, work);
}

bool RemindersFrm::LoadForm() {
  const bool read = Reported([this] {
    ::LoadWindow(collection_, this, kWindowName, -1, nullptr);
    if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
    daysTxt_->setValue(Reminders::WithinDays(collection_));
    templateTxt_->setPlainText(Reminders::Template(collection_));
  });
  if (!read) return false;
  loaded_ = true;
  LoadBorrowers();
  if (borrowersList_->topLevelItemCount() > 0)
    borrowersList_->setCurrentItem(borrowersList_->topLevelItem(0));
  UpdateButtons();
  borrowersList_->setFocus();
  tagTimer_->start();
  return true;
}

void RemindersFrm::LoadBorrowers() {
  const QString selected = SelectedBorrower();
  const QDate today = seams::Today();
  std::vector<Reminders::Borrower> borrowers;
  if (!Reported(
          [&] { borrowers = Reminders::DueBorrowers(collection_, today, daysTxt_->value()); }))
    return;
  const QSignalBlocker quiet(borrowersList_);
  borrowersList_->clear();
  QList<QTreeWidgetItem*> items;
  for (const Reminders::Borrower& borrower : borrowers) {
    const int overdue = int(std::count_if(borrower.dvds.begin(), borrower.dvds.end(),
                                          [](const auto& dvd) { return dvd.daysOverdue > 0; }));
    auto* item = new QTreeWidgetItem(
        {borrower.name,
         overdue > 0 ? QStringLiteral("%1 of %2 overdue").arg(overdue).arg(borrower.dvds.size())
                     : QStringLiteral("%1 due soon").arg(borrower.dvds.size()),
         Reminders::RemindedText(borrower.lastReminded, today)});
    for (const Reminders::DueDVD& dvd : borrower.dvds)
      item->addChild(new QTreeWidgetItem({dvd.title, Reminders::DueText(dvd)}));
    items << item;
  }
  borrowersList_->addTopLevelItems(items);
  borrowersList_->expandAll();
  SelectBorrower(selected);
  UpdateButtons();
  Message(borrowers.empty() ? QStringLiteral("Nobody has a DVD overdue or due soon.")
                            : QStringLiteral("%1 borrower(s) to remind.").arg(borrowers.size()));
}

QString RemindersFrm::SelectedBorrower() const {
  const QTreeWidgetItem* item = borrowersList_->currentItem();
  if (!item) return {};
  if (item->parent()) item = item->parent();
  return item->text(0);
}

void RemindersFrm::SelectBorrower(const QString& name) {
  for (int i = 0; i < borrowersList_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = borrowersList_->topLevelItem(i);
    if (item->text(0).compare(name, Qt::CaseInsensitive) == 0) {
      borrowersList_->setCurrentItem(item);
      return;
    }
  }
}

void RemindersFrm::UpdateButtons() {
  const bool chosen = !SelectedBorrower().isEmpty();
  for (QPushButton* button : {emailButton_, copyButton_, printButton_, pdfButton_})
    button->setEnabled(chosen);
}

std::optional<Reminders::Borrower> RemindersFrm::Current() {
  const QString name = SelectedBorrower();
  if (name.isEmpty()) return std::nullopt;
  std::optional<Reminders::Borrower> borrower;
  if (!Reported([&] {
        SaveTemplate();
        borrower = Reminders::DueBorrower(collection_, name, seams::Today(), daysTxt_->value());
      })) {
    return std::nullopt;
  }
  if (borrower->dvds.empty()) {
    // Brought back since the list was filled.
    seams::ShowMessage(QStringLiteral("%1 has nothing overdue or due soon any more.").arg(name),
                       kTitle, seams::MsgIcon::Information);
    LoadBorrowers();
    return std::nullopt;
  }
  return borrower;
}

QString RemindersFrm::Letter(const Reminders::Borrower& borrower) {
  return Reminders::FillTemplate(templateTxt_->toPlainText(), borrower, seams::Today());
}

void RemindersFrm::Record(const Reminders::Borrower& borrower, const QString& how) {
  if (Reported([&] { Reminders::RecordReminder(collection_, borrower, seams::Today()); }))
    Message(how);
}

void RemindersFrm::Copy(const Reminders::Borrower& borrower) {
  QGuiApplication::clipboard()->setText(Letter(borrower));
  Record(borrower, QStringLiteral("The reminder for %1 is on the clipboard.").arg(borrower.name));
}

void RemindersFrm::CopyReminder() {
  if (const auto borrower = Current()) Copy(*borrower);
}

void RemindersFrm::EmailReminder() {
  const auto borrower = Current();
  if (!borrower) return;
  if (borrower->email.isEmpty()) {
    const seams::MsgAnswer answer = seams::ShowMessage(
        QStringLiteral("There is no e-mail address for %1 in the phone book.").arg(borrower->name) +
            kLineEnd + kLineEnd +
            QStringLiteral("Would you like to copy the reminder instead, to send it another way?"),
        kTitle, seams::MsgIcon::Information, seams::MsgButtons::YesNo, seams::MsgAnswer::Yes);
    if (answer == seams::MsgAnswer::Yes) Copy(*borrower);
    return;
  }
  const QString url =
      Reminders::MailtoUrl(*borrower, Reminders::Subject(*borrower), Letter(*borrower));
  if (!FormHelpers::OpenDocument(url)) {
    const seams::MsgAnswer answer = seams::ShowMessage(
        QStringLiteral("No mail program could be opened for the reminder.") + kLineEnd + kLineEnd +
            QStringLiteral("Would you like to copy the reminder instead, to paste it into a "
                           "message?"),
        QStringLiteral("No Mail Program"), seams::MsgIcon::Exclamation, seams::MsgButtons::YesNo,
        seams::MsgAnswer::Yes);
    if (answer == seams::MsgAnswer::Yes) Copy(*borrower);
    return;
  }
  Record(*borrower,
         QStringLiteral("The reminder for %1 is in your mail program.").arg(borrower->name));
}

void RemindersFrm::Print(bool toPdf) {
  const auto borrower = Current();
  if (!borrower) return;
  std::vector<ReportPages::Line> lines;
  for (const QString& line : Letter(*borrower).split(u'\n'))
    lines.push_back({line, kLetterPointSize, false});
  const bool done = ReportPrinting::Print(
      this, QStringLiteral("Reminder for %1").arg(borrower->name), QStringLiteral("reminder"),
      lines, toPdf ? ReportPrinting::Target::PdfFile : ReportPrinting::Target::Printer);
  if (done) {
    Record(*borrower, toPdf
                          ? QStringLiteral("The reminder for %1 was saved.").arg(borrower->name)
                          : QStringLiteral("The reminder for %1 was printed.").arg(borrower->name));
  }
}

void RemindersFrm::PrintReminder() { Print(false); }

void RemindersFrm::SaveReminderAsPdf() { Print(true); }

void RemindersFrm::SaveTemplate() {
  Reminders::SetTemplate(collection_, templateTxt_->toPlainText());
}

void RemindersFrm::Message(const QString& text) {
  if (messBar_->currentMessage() != text) messBar_->showMessage(text);
}

void RemindersFrm::done(int result) {
  if (!unloaded_) {
    unloaded_ = true;
    tagTimer_->stop();
    if (loaded_) {
      // The letter is the user's work: a failure to keep it is said, not only logged.
      Reported([this] {
        SettingsManager::SettingsTransaction batch(collection_);
        SaveTemplate();
        ::SaveWindow(collection_, this, kWindowName);
        batch.Commit();
      });
    }
  }
  QDialog::done(result);
}
