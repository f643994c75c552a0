#include "ui/about/AboutFrm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "ReelKeeperVersion.h"
#include "app/Collection.h"
#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "app/DatabasePath.h"
#include "app/ErrorFunctions.h"
#include "inventory/DVDRecord.h"
#include "seams/AutostartEntry.h"
#include "seams/MessageBox.h"
#include "seams/ProgressSink.h"
#include "ui/about/GuideFrm.h"
#include "ui/common/FormHelpers.h"
#include "upkeep/CollectionBackups.h"
#include "upkeep/DatabaseMaintenance.h"

using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;

namespace {

const QString kCrLf = Constants::kCrLf;

// The clean-up's progress texts in the main window's status bar, shown at once: the work runs
// on this thread, and the bar would otherwise be painted only when it is over.
class StatusBarProgress final : public seams::ProgressSink {
 public:
  void Progress(const QString& text) override {
    FormHelpers::MainMessage(text);
    if (QWidget* main = FormHelpers::MainWindow()) {
      if (auto* bar = main->findChild<QStatusBar*>(QStringLiteral("MessBar"))) bar->repaint();
    }
  }
};

void Busy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption,
                       const QString& hint) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  button->setProperty("Tag", hint);
  return button;
}

QFrame* NewLine(QWidget* parent, const char* name) {
  auto* line = new QFrame(parent);
  line->setObjectName(QLatin1String(name));
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

// A label that acts as a link: the pointing hand, and reachable from the keyboard.
void MakeLink(QLabel* label) {
  label->setCursor(Qt::PointingHandCursor);
  label->setFocusPolicy(Qt::StrongFocus);
}

}  // namespace

AboutFrm::AboutFrm(Collection& collection, QWidget* parent)
    : QDialog(parent), collection_(collection) {
  setObjectName(QStringLiteral("AboutFrm"));
  setWindowTitle(QStringLiteral("About ReelKeeper"));
  const QString homePage = QString::fromUtf8(BuildInfo::kHomePage);

  image1_ = NewLabel(this, "Image1", QString());
  image1_->setPixmap(QIcon(QStringLiteral(":/icons/ReelKeeper.svg")).pixmap(64, 64));
  image1_->setAccessibleName(QStringLiteral("ReelKeeper home page"));
  MakeLink(image1_);
  auto* label7 =
      NewLabel(this, "Label7",
               QStringLiteral("ReelKeeper version %1, build %2")
                   .arg(QLatin1String(BuildInfo::kVersion), QLatin1String(BuildInfo::kBuild)));
  QFont nameFont = label7->font();
  nameFont.setBold(true);
  label7->setFont(nameFont);
  const QDate released = QDate::fromString(QLatin1String(BuildInfo::kReleaseDate), Qt::ISODate);
  auto* label8 =
      NewLabel(this, "Label8",
               QStringLiteral("Released %1").arg(InventoryFunctions::ShortDateText(released)));
  auto* label4 = NewLabel(this, "Label4",
                          QStringLiteral("Get more cool software and check for updates on the web "
                                         "at,"));
  label3_ = NewLabel(this, "Label3",
                     QStringLiteral("<a href=\"%1\">%1</a>").arg(homePage.toHtmlEscaped()));
  label3_->setTextFormat(Qt::RichText);
  label3_->setTextInteractionFlags(Qt::NoTextInteraction);
  label3_->setProperty("Tag", QStringLiteral("Click here to go to our web site."));
  label3_->setAccessibleName(homePage);
  MakeLink(label3_);
  auto* label5 = NewLabel(this, "Label5",
                          QStringLiteral("For questions, help, support, and updates click go to "
                                         "our website..."));
  checkChk_ = new QCheckBox(QStringLiteral("Check Overdue Status When I Log In."), this);
  checkChk_->setObjectName(QStringLiteral("CheckChk"));
  // Beside the clean-up, which makes most of these copies.
  auto* keptLabel = NewLabel(this, "BackupsKeptLbl", QStringLiteral("Automatic Backups Kept:"));
  keptBox_ = new QSpinBox(this);
  keptBox_->setObjectName(QStringLiteral("BackupsKeptTxt"));
  keptBox_->setRange(1, CollectionBackups::kMostKept);
  keptBox_->setProperty("Tag", QStringLiteral("How many automatic backups to keep in the Backups "
                                              "folder beside your collection."));
  keptLabel->setBuddy(keptBox_);
  auto* command4 = NewButton(this, "Command4", QStringLiteral("Clean Up Database"),
                             QStringLiteral("Click here to clean the database."));
  auto* command3 = NewButton(this, "Command3", QStringLiteral("Documentation"),
                             QStringLiteral("Opens program documentation."));
  auto* command2 =
      NewButton(this, "Command2", QStringLiteral("Close"), QStringLiteral("Closes this window."));
  command2->setDefault(true);

  auto* heading = new QGridLayout;
  heading->addWidget(image1_, 0, 0, 2, 1);
  heading->addWidget(label7, 0, 1);
  heading->addWidget(label8, 1, 1);
  heading->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(command4);
  buttons->addWidget(command3);
  buttons->addStretch(1);
  buttons->addWidget(command2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(heading);
  layout->addWidget(NewLine(this, "Line1"));
  layout->addWidget(label4);
  layout->addWidget(label3_);
  layout->addWidget(label5);
  layout->addWidget(NewLine(this, "Line2"));
  layout->addWidget(checkChk_);
  auto* kept = new QHBoxLayout;
  kept->addWidget(keptLabel);
  kept->addWidget(keptBox_);
  kept->addStretch(1);
  layout->addLayout(kept);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  image1_->installEventFilter(this);
  label3_->installEventFilter(this);
  connect(command4, &QPushButton::clicked, this, &AboutFrm::CleanUpDatabase);
  connect(command3, &QPushButton::clicked, this, &AboutFrm::OpenDocumentation);
  connect(command2, &QPushButton::clicked, this, &AboutFrm::close);

  tagTimer_ = FormHelpers::HintTimer(this);
}

AboutFrm::~AboutFrm() = default;

void AboutFrm::LoadForm() {
  const std::optional<QStringList> command = seams::CurrentAutostartEntry().ReadCommand();
  checkChk_->setChecked(command && !command->join(u' ').trimmed().isEmpty());
  keptBox_->setValue(CollectionBackups::KeptCount(collection_));
  tagTimer_->start();
}

QString AboutFrm::FindDocument(const QString& name) {
  // The program is rarely started from its own folder: the documents are looked for where they
  // are installed, not in the current folder.
  const QString program = AppFunctions::ProgramFolder();
  for (const QString& folder : {program, AppFunctions::DocumentationFolder(program)}) {
    const QString path = QDir(folder).absoluteFilePath(name);
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

void AboutFrm::done(int result) {
  tagTimer_->stop();
  if (!saved_) {
    saved_ = true;
    SaveLogOnEntry();
    SaveBackupsKept();
  }
  QDialog::done(result);
}

void AboutFrm::SaveBackupsKept() {
  if (keptBox_->value() == CollectionBackups::KeptCount(collection_)) return;
  // A preference: a file that cannot take it now must not keep the window from closing.
  ErrorFunctions::CarryOn(QStringLiteral("The number of backups to keep could not be saved."),
                          ErrorFunctions::Report::Show, [this] {
                            CollectionBackups::SetKeptCount(collection_, keptBox_->value());
                          });
}

void AboutFrm::SaveLogOnEntry() {
  seams::AutostartEntry& entry = seams::CurrentAutostartEntry();
  if (!checkChk_->isChecked()) {
    entry.Remove();
    return;
  }
  const QString failure =
      entry.Write(QCoreApplication::applicationFilePath(), {QStringLiteral("checkonly")});
  if (!failure.isEmpty()) {
    seams::ShowMessage(
        QStringLiteral("The overdue check at log-on could not be set up.") + kCrLf + failure,
        Constants::kAppTitle, MsgIcon::Exclamation);
  }
}

bool AboutFrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == label3_ || watched == image1_) {
    const bool clicked = event->type() == QEvent::MouseButtonRelease &&
                         static_cast<QWidget*>(watched)->rect().contains(
                             static_cast<QMouseEvent*>(event)->position().toPoint());
    bool pressed = false;
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      pressed = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    }
    if (clicked || pressed) {
      OpenHomePage();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void AboutFrm::OpenHomePage() {
  const QString page = QString::fromUtf8(BuildInfo::kHomePage);
  if (FormHelpers::OpenDocument(page)) return;
  seams::ShowMessage(QStringLiteral("No web browser could be started to open %1.").arg(page) +
                         kCrLf +
                         QStringLiteral("Install one (and the package xdg-utils), or open the "
                                        "address in a browser yourself."),
                     Constants::kAppTitle, MsgIcon::Information);
}

void AboutFrm::OpenDocumentation() {
  const QString name = FormHelpers::IsConnected() ? QStringLiteral("OnlineDoc.htm")
                                                  : QStringLiteral("OfflineDoc.htm");
  const QString path = FindDocument(name);
  if (path.isEmpty()) {
    seams::ShowMessage(QStringLiteral("The documentation file '%1' is neither in the program's "
                                      "folder '%2' nor in '%3'.")
                           .arg(name, AppFunctions::ProgramFolder(),
                                AppFunctions::DocumentationFolder(AppFunctions::ProgramFolder())),
                       Constants::kAppTitle, MsgIcon::Information);
    return;
  }
  if (FormHelpers::OpenDocument(path)) return;
  // The desktop has no program for it (no xdg-open, or nothing behind it): the guide is read here.
  auto* guide = new GuideFrm(path, this);
  guide->show();
  FormHelpers::MainMessage(
      QStringLiteral("No program to open the guide with was found; it is "
                     "shown in a window of ReelKeeper's own."));
}

void AboutFrm::CleanUpDatabase() {
  if (seams::ShowMessage(QStringLiteral("Cleaning the database may take some time, are you sure?"),
                         QStringLiteral("Confirm"), MsgIcon::Question, MsgButtons::YesNo,
                         MsgAnswer::Yes) != MsgAnswer::Yes) {
    return;
  }
  // The clean-up's automatic copy keeps the number now in the box.
  SaveBackupsKept();
  StatusBarProgress progress;
  const DatabaseMaintenance::CleanUpResult result =
      DatabaseMaintenance::CleanUpDatabase(collection_, &progress, &Busy);
  if (result.declined) return;
  CleanedUp = true;
  if (result.failure) {
    // The file is as it was and open again. Another program holding it is a passing matter; any
    // other failure ends the program at the error boundary, as every engine failure does.
    if (!ErrorFunctions::IsBusy(*result.failure)) throw *result.failure;
    seams::ShowMessage(
        ErrorFunctions::BusyText(*result.failure, result.path,
                                 QStringLiteral("The database has not been cleaned up; try again "
                                                "once the other program is done.")),
        Constants::kAppTitle, MsgIcon::Exclamation);
    return;
  }
  if (result.cleaned.salvaged) {
    // The file was damaged: what could be read was kept, and the user must know what that is.
    QString text = QStringLiteral("The database '%1' was damaged. Rows kept:").arg(result.path);
    for (const TableRows& table : result.cleaned.tables) {
      text += kCrLf + QStringLiteral("%1: %2").arg(table.table).arg(table.rows);
    }
    text += kCrLf + kCrLf +
            QStringLiteral("The damaged original is kept beside it as '%1'.")
                .arg(result.cleaned.damagedFile);
    seams::ShowMessage(text, Constants::kAppTitle, MsgIcon::Exclamation);
  }
  seams::ShowMessage(QStringLiteral("Cleanup Complete."), QStringLiteral("Complete."),
                     MsgIcon::Information);
}
