#include "ui/about/GuideFrm.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

GuideFrm::GuideFrm(const QString& path, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("GuideFrm"));
  setWindowTitle(QStringLiteral("ReelKeeper User Guide"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_DeleteOnClose);

  text_ = new QTextBrowser(this);
  text_->setObjectName(QStringLiteral("GuideTxt"));
  text_->setAccessibleName(QStringLiteral("User Guide"));
  // Without a browser on the desktop an outside link could not be followed anyway; its address
  // stays readable in the text.
  text_->setOpenExternalLinks(false);
  text_->setSource(QUrl::fromLocalFile(path));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* close = buttons->button(QDialogButtonBox::Close);
  close->setObjectName(QStringLiteral("CloseButton"));
  close->setText(QStringLiteral("&Close"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_, 1);
  layout->addWidget(buttons);
  const int line = fontMetrics().height();
  resize(60 * fontMetrics().averageCharWidth(), 36 * line);
}
