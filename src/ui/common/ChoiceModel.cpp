#include "ui/common/ChoiceModel.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "app/ErrorFunctions.h"
#include "inventory/ChoiceLists.h"

namespace {
// A few screens of the drop-down (it shows 20 at a time).
constexpr int kPage = 100;
}  // namespace

ChoiceModel::ChoiceModel(InventoryFunctions::DVDField field, QObject* parent)
    : QAbstractListModel(parent), field_(field) {}

void ChoiceModel::Reload() {
  std::vector<ChoiceLists::Choice> first = ChoiceLists::ValuesAfter(field_, {}, kPage);
  beginResetModel();
  values_.clear();
  for (ChoiceLists::Choice& choice : first) values_.push_back(std::move(choice.value));
  lastKey_ = first.empty() ? QByteArray() : first.back().key;
  atEnd_ = int(first.size()) < kPage;
  endResetModel();
}

std::optional<QString> ChoiceModel::FirstStartingWith(const QString& typed) const {
  std::optional<QString> found;
  // Asked at every key typed: a file gone meanwhile leaves the text as typed.
  ErrorFunctions::CarryOn(QStringLiteral("The choice list could not be read."),
                          ErrorFunctions::Report::LogOnly,
                          [&] { found = ChoiceLists::FirstStartingWith(field_, typed); });
  return found;
}

int ChoiceModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(values_.size());
}

QVariant ChoiceModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(values_.size())) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  return values_[size_t(index.row())];
}

bool ChoiceModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && !atEnd_;
}

void ChoiceModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  std::vector<ChoiceLists::Choice> more;
  // Called while the list scrolls: a file gone meanwhile ends the list where it is.
  if (!ErrorFunctions::CarryOn(QStringLiteral("The choice list could not be read."),
                               ErrorFunctions::Report::LogOnly,
                               [&] { more = ChoiceLists::ValuesAfter(field_, lastKey_, kPage); })) {
    atEnd_ = true;
    return;
  }
  atEnd_ = int(more.size()) < kPage;
  if (more.empty()) return;
  beginInsertRows({}, int(values_.size()), int(values_.size() + more.size()) - 1);
  for (ChoiceLists::Choice& choice : more) values_.push_back(std::move(choice.value));
  lastKey_ = more.back().key;
  endInsertRows();
}

void FormHelpers::SetChoices(QComboBox* box, InventoryFunctions::DVDField field) {
  const QString remembered = box->currentText();
  const QSignalBlocker quiet(box);
  auto* model = qobject_cast<ChoiceModel*>(box->model());
  if (!model) {
    model = new ChoiceModel(field, box);
    box->setModel(model);
    // The arrow keys step through a closed box without scrolling its list, so it reads on itself
    // once the last value read is reached: every value stays reachable from the keyboard.
    QObject::connect(box, &QComboBox::currentIndexChanged, model, [model](int row) {
      if (row >= model->rowCount() - 1 && model->canFetchMore({})) model->fetchMore({});
    });
  }
  model->Reload();
  box->setCurrentIndex(-1);
  box->setEditText(remembered);
}
