#include "ui/main/checkable_list.h"

namespace quorvel {

CheckableListModel::CheckableListModel(QObject* parent) : QAbstractListModel(parent) {}

int CheckableListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant CheckableListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto row = std::size_t(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return entries_.at(index.row());
    case Qt::CheckStateRole:
        return ticks_[row] ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool CheckableListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    SetTicked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags CheckableListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable |
           Qt::ItemNeverHasChildren;
}

void CheckableListModel::SetEntries(const QStringList& entries, bool ticked) {
    SetEntriesAndTicks(entries, std::vector<bool>(std::size_t(entries.size()), ticked));
}

void CheckableListModel::SetEntriesAndTicks(const QStringList& entries,
                                            const std::vector<bool>& ticks) {
    beginResetModel();
    entries_ = entries;
    ticks_.assign(std::size_t(entries.size()), false);
    std::copy_n(ticks.begin(), std::min(ticks.size(), ticks_.size()), ticks_.begin());
    endResetModel();
}

bool CheckableListModel::IsTicked(int row) const {
    return row >= 0 && row < Count() && ticks_[std::size_t(row)];
}

void CheckableListModel::SetTicked(int row, bool ticked) {
    if (row < 0 || row >= Count() || ticks_[std::size_t(row)] == ticked)
        return;
    ticks_[std::size_t(row)] = ticked;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {Qt::CheckStateRole});
}

void CheckableListModel::SetAllTicked(bool ticked) {
    ticks_.assign(ticks_.size(), ticked);
    AllTicksChanged();
}

void CheckableListModel::InvertTicks() {
    ticks_.flip();
    AllTicksChanged();
}

void CheckableListModel::AllTicksChanged() {
    if (entries_.isEmpty())
        return;
    Q_EMIT dataChanged(index(0), index(Count() - 1), {Qt::CheckStateRole});
}

QStringList CheckableListModel::TickedEntries() const {
    QStringList ticked;
    for (int row = 0; row < Count(); ++row) {
        if (ticks_[std::size_t(row)])
            ticked << entries_.at(row);
    }
    return ticked;
}

void CheckableListModel::SetEntry(int row, const QString& text) {
    if (row < 0 || row >= Count())
        return;
    entries_[row] = text;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void CheckableListModel::Keep(const std::vector<bool>& keep) {
    QStringList entries;
    std::vector<bool> ticks;
    for (int row = 0; row < Count(); ++row) {
        if (std::size_t(row) < keep.size() && keep[std::size_t(row)]) {
            entries << entries_.at(row);
            ticks.push_back(ticks_[std::size_t(row)]);
        }
    }
    SetEntriesAndTicks(entries, ticks);
}

} // namespace quorvel
