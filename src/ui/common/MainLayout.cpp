#include "ui/common/MainLayout.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "settings/WindowPlacement.h"

namespace MainLayout {
namespace {

int NotNegative(int value) { return std::max(0, value); }

void SetWidth(QHash<QString, QRect>& controls, const QString& name, int width) {
  const auto it = controls.find(name);
  if (it != controls.end()) it->setWidth(NotNegative(width));
}

void SetHeight(QHash<QString, QRect>& controls, const QString& name, int height) {
  const auto it = controls.find(name);
  if (it != controls.end()) it->setHeight(NotNegative(height));
}

const QStringList& WideControls(int tab) {
  static const QStringList dvdInfo = {"TitleTxt", "StatusTxt",   "CategoryTxt",
                                      "RatedTxt", "StarringTxt", "BarCodeTxt"};
  static const QStringList loanInfo = {"NameTxt",    "AddressTxt", "CityTxt",    "StateTxt",
                                       "ZipTxt",     "PhoneTxt",   "FaxTxt",     "CellTxt",
                                       "OutDateTxt", "DueDateTxt", "DaysDueTxt", "NotesTxt"};
  static const QStringList phoneBook = {"PhoneNameTxt",    "PhoneAddressTxt", "PhoneCityTxt",
                                        "PhoneStateTxt",   "PhoneZipTxt",     "PhonePhoneTxt",
                                        "PhoneFaxTxt",     "PhoneCellTxt",    "PhoneEmailTxt",
                                        "PhoneSummaryTxt", "PhoneLoansTxt",   "PhoneNotesTxt"};
  static const QStringList history = {"SummaryTxt", "LoansTxt"};
  static const QStringList none;
  switch (tab) {
    case 1:
      return dvdInfo;
    case 2:
      return loanInfo;
    case 3:
      return phoneBook;
    case 4:
      return history;
    default:
      return none;
  }
}

}  // namespace

Halves SplitBand(const QRect& band, double ratio, int splitterWidth) {
  const int width = band.width();
  const int height = NotNegative(band.height());
  // The tab strip takes what is right of the splitter, which is width * (1 - ratio) - s / 2 but
  // free of a second rounding.
  const int left = int(std::lround(width * ratio - splitterWidth / 2.0));
  Halves halves;
  halves.splitter = QRect(band.left() + left, band.top(), NotNegative(splitterWidth), height);
  halves.list = QRect(band.left(), band.top(), NotNegative(left), height);
  halves.tabs = QRect(band.left() + left + splitterWidth, band.top(),
                      NotNegative(width - left - splitterWidth), height);
  return halves;
}

float RatioFromSplitter(int splitterLeft, int splitterWidth, int bandWidth, float current) {
  if (bandWidth <= 0) return current;
  return SettingsManager::ClampSeparatorRatio(
      float((splitterWidth / 2.0 + splitterLeft) / double(bandWidth)));
}

QHash<QString, QRect> StretchPanel(int tab, const QSize& panel, QHash<QString, QRect> controls,
                                   int inset) {
  const int boxWidth =
      NotNegative(panel.width() - controls.value(QStringLiteral("TitleTxt")).left());
  for (const QString& name : WideControls(tab)) SetWidth(controls, name, boxWidth);
  switch (tab) {
    case 1: {
      const QRect frame = controls.value(QStringLiteral("DescFrame"));
      const QRect text = controls.value(QStringLiteral("DescriptionTxt"));
      SetWidth(controls, QStringLiteral("DescFrame"), panel.width() - frame.left());
      SetHeight(controls, QStringLiteral("DescFrame"), panel.height() - frame.top());
      SetWidth(controls, QStringLiteral("DescriptionTxt"), panel.width() - text.left() - inset);
      SetHeight(controls, QStringLiteral("DescriptionTxt"),
                (panel.height() - frame.top()) - text.top() - inset);
      break;
    }
    case 2:
      SetHeight(controls, QStringLiteral("NotesTxt"),
                panel.height() - controls.value(QStringLiteral("NotesTxt")).top());
      break;
    case 4:
      SetHeight(controls, QStringLiteral("LoansTxt"),
                panel.height() - controls.value(QStringLiteral("LoansTxt")).top());
      break;
    case 3: {
      const int buttonHeight = controls.value(QStringLiteral("SaveButton")).height();
      SetHeight(
          controls, QStringLiteral("PhoneNotesTxt"),
          panel.height() - controls.value(QStringLiteral("PhoneNotesTxt")).top() - buttonHeight);
      for (const QString& name : {QStringLiteral("SaveButton"), QStringLiteral("DeleteButton")}) {
        const auto it = controls.find(name);
        if (it != controls.end()) it->moveTop(panel.height() - it->height());
      }
      break;
    }
    default:
      break;
  }
  return controls;
}

}  // namespace MainLayout
