#pragma once

#include <QCollator>
#include <QHash>
#include <QString>
#include <vector>

// The ranks a list sorts cells by: the cells' texts in dictionary order without regard to letter
// case, accents next to their base letters, the same whatever the process locale.
QCollator ListCollator();

// The cells' texts, each kept once and numbered in the order first seen, so that a million cells
// cost one collation key per distinct text.
class DistinctTexts {
 public:
  int IndexOf(const QString& text) {
    auto it = index_.constFind(text);
    if (it == index_.constEnd()) {
      it = index_.insert(text, int(texts_.size()));
      texts_.push_back(text);
    }
    return *it;
  }
  const std::vector<QString>& All() const { return texts_; }

 private:
  QHash<QString, int> index_;
  std::vector<QString> texts_;
};

// The rank of each text in the list's collation order; texts the collator finds equal (differing
// only in letter case) share a rank. `byRank`, when given, gets one text of each rank.
std::vector<int> RankTexts(const std::vector<QString>& texts,
                           std::vector<QString>* byRank = nullptr);

// Puts the texts of `more` that `byRank` (one text per rank, as RankTexts gives) has no rank for
// among them at their places; gives each former rank's new one.
std::vector<int> JoinRanks(std::vector<QString>& byRank, const std::vector<QString>& more);
// The rank of a text that `byRank` holds.
int RankOf(const std::vector<QString>& byRank, const QString& text);
