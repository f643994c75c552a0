#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "inventory/DVDRecord.h"

class QComboBox;

// The drop-down of a dialog's category, rating, stars or title box: every distinct stored value
// of the column, read from the file's index a screenful at a time as the list is scrolled, so
// that a collection of a million DVDs costs no more to open a dialog on than a small one.
class ChoiceModel : public QAbstractListModel {
  Q_OBJECT

 public:
  ChoiceModel(InventoryFunctions::DVDField field, QObject* parent);

  // Starts again from the first value. Throws DatabaseError.
  void Reload();
  // The first value whose first characters are `typed`, letter case ignored, looked up in the
  // whole list (not only the part read so far).
  std::optional<QString> FirstStartingWith(const QString& typed) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  InventoryFunctions::DVDField field_;
  std::vector<QString> values_;
  QByteArray lastKey_;
  bool atEnd_ = true;
};

namespace FormHelpers {
// Gives a drop-down (NewChoiceBox) the distinct stored values of a column; the text in its box
// stays as it was, and no change is reported for the refill. Throws DatabaseError.
void SetChoices(QComboBox* box, InventoryFunctions::DVDField field);
}  // namespace FormHelpers
