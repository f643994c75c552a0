#pragma once

#include <QtGlobal>
#include <algorithm>
#include <unordered_map>
#include <vector>

// Where each DVD stands in a list's load order, by its rowid; rowids are mostly dense, so
// mostly a plain array.
class LoadPositions {
 public:
  explicit LoadPositions(const std::vector<qint64>& ids) {
    maxId_ = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
    dense_ = maxId_ <= qint64(ids.size()) * 4 + 4096;
    if (dense_) {
      byId_.assign(size_t(std::max<qint64>(maxId_, 0)) + 1, -1);
      for (size_t p = 0; p < ids.size(); ++p) {
        if (ids[p] >= 0) byId_[size_t(ids[p])] = int(p);
      }
    } else {
      for (size_t p = 0; p < ids.size(); ++p) sparse_.emplace(ids[p], int(p));
    }
  }
  void Prefetch(qint64 id) const {
    if (dense_ && id >= 0 && id <= maxId_) __builtin_prefetch(&byId_[size_t(id)]);
  }
  int Of(qint64 id) const {
    if (dense_) return id >= 0 && id <= maxId_ ? byId_[size_t(id)] : -1;
    const auto found = sparse_.find(id);
    return found == sparse_.end() ? -1 : found->second;
  }

 private:
  qint64 maxId_ = 0;
  bool dense_ = true;
  std::vector<int> byId_;
  std::unordered_map<qint64, int> sparse_;
};
