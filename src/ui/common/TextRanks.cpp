#include "ui/common/TextRanks.h"

#include <QLocale>
#include <algorithm>
#include <numeric>

QCollator ListCollator() {
  QCollator collator{QLocale(QLocale::English, QLocale::UnitedStates)};
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(false);
  collator.setIgnorePunctuation(false);
  return collator;
}

std::vector<int> RankTexts(const std::vector<QString>& texts, std::vector<QString>* byRank) {
  const QCollator collator = ListCollator();
  std::vector<QCollatorSortKey> keys;
  keys.reserve(texts.size());
  for (const QString& text : texts) keys.push_back(collator.sortKey(text));
  std::vector<int> byKey(texts.size());
  std::iota(byKey.begin(), byKey.end(), 0);
  std::sort(byKey.begin(), byKey.end(),
            [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
  std::vector<int> rankOfText(texts.size());
  int rank = 0;
  for (size_t i = 0; i < byKey.size(); ++i) {
    if (i > 0 && keys[size_t(byKey[i - 1])].compare(keys[size_t(byKey[i])]) != 0) ++rank;
    rankOfText[size_t(byKey[i])] = rank;
  }
  if (byRank) {
    byRank->assign(texts.empty() ? 0 : size_t(rank) + 1, QString());
    for (size_t t = 0; t < texts.size(); ++t) (*byRank)[size_t(rankOfText[t])] = texts[t];
  }
  return rankOfText;
}

std::vector<int> JoinRanks(std::vector<QString>& byRank, const std::vector<QString>& more) {
  const QCollator collator = ListCollator();
  auto less = [&collator](const QString& a, const QString& b) {
    return collator.compare(a, b) < 0;
  };
  std::vector<bool> joined(byRank.size(), false);
  for (const QString& text : more) {
    const auto at = std::lower_bound(byRank.begin(), byRank.end(), text, less);
    if (at != byRank.end() && collator.compare(*at, text) == 0) continue;
    joined.insert(joined.begin() + (at - byRank.begin()), true);
    byRank.insert(at, text);
  }
  std::vector<int> moved;
  for (size_t r = 0; r < byRank.size(); ++r) {
    if (!joined[r]) moved.push_back(int(r));
  }
  return moved;
}

int RankOf(const std::vector<QString>& byRank, const QString& text) {
  const QCollator collator = ListCollator();
  return int(std::lower_bound(byRank.begin(), byRank.end(), text,
                              [&collator](const QString& a, const QString& b) {
                                return collator.compare(a, b) < 0;
                              }) -
             byRank.begin());
}
