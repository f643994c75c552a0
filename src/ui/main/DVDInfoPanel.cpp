#include "ui/main/DVDInfoPanel.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>

#include "ui/common/PanelRows.h"
#include "ui/common/Twips.h"

namespace {

const QString kDVDHint = QStringLiteral(
    "To edit this DVD click the \"Edit DVD\" button or right click the DVD in the list on the "
    "left.");
constexpr double kDescriptionInsetTwips = 50;

}  // namespace

DVDInfoPanel::DVDInfoPanel(QWidget* page, int labelWidth) : QFrame(page) {
  using PanelRows::DisplayBox;
  setObjectName(QStringLiteral("DVDInfoFrame"));
  setAccessibleName(QStringLiteral("DVD Info"));
  const int rowHeight = QLineEdit().sizeHint().height();
  PanelRows::Column rows(this, labelWidth, rowHeight);
  titleTxt_ =
      rows.Add(QStringLiteral("Title:"), QStringLiteral("TitleTxt"), DisplayBox(this), kDVDHint);
  statusTxt_ =
      rows.Add(QStringLiteral("Status:"), QStringLiteral("StatusTxt"), DisplayBox(this), kDVDHint);
  categoryTxt_ = rows.Add(QStringLiteral("Category:"), QStringLiteral("CategoryTxt"),
                          DisplayBox(this), kDVDHint);
  ratedTxt_ =
      rows.Add(QStringLiteral("Rated:"), QStringLiteral("RatedTxt"), DisplayBox(this), kDVDHint);
  starringTxt_ = rows.Add(QStringLiteral("Starring:"), QStringLiteral("StarringTxt"),
                          DisplayBox(this), kDVDHint);
  barCodeTxt_ = rows.Add(QStringLiteral("Bar Code:"), QStringLiteral("BarCodeTxt"),
                         DisplayBox(this), kDVDHint);

  descFrame_ = new QGroupBox(QStringLiteral("Description:"), this);
  descFrame_->setObjectName(QStringLiteral("DescFrame"));
  descFrame_->setGeometry(0, rows.Top(), 200, 200);
  descriptionTxt_ = PanelRows::NotesBox(descFrame_, true);
  descriptionTxt_->setObjectName(QStringLiteral("DescriptionTxt"));
  descriptionTxt_->setProperty("Tag", kDVDHint);
  const int inset = DescriptionInset();
  descriptionTxt_->setGeometry(std::max(inset, descFrame_->contentsMargins().left()),
                               std::max(inset, descFrame_->contentsMargins().top()), 100, 100);
}

int DVDInfoPanel::DescriptionInset() const { return TwipsToPixels(kDescriptionInsetTwips, this); }

void DVDInfoPanel::Show(const InventoryFunctions::DVDRecord& dvd, const QDate& today) {
  using PanelRows::ShowText;
  ShowText(titleTxt_, dvd.title);
  ShowText(statusTxt_, InventoryFunctions::DetailStatusText(dvd, today));
  ShowText(categoryTxt_, dvd.category);
  ShowText(ratedTxt_, dvd.rated);
  ShowText(starringTxt_, dvd.starring);
  descriptionTxt_->setPlainText(PanelRows::ToEditor(dvd.description));
  ShowText(barCodeTxt_, dvd.barCode);
}

void DVDInfoPanel::Clear() {
  for (QLineEdit* box :
       {titleTxt_, statusTxt_, categoryTxt_, ratedTxt_, starringTxt_, barCodeTxt_}) {
    box->clear();
  }
  descriptionTxt_->clear();
}
