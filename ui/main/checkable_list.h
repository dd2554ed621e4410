#pragma once
// The lists whose entries carry a tick: the collection windows' lists and the favourites.

#include <QAbstractListModel>
#include <QStringList>

#include <vector>

namespace quorvel {

// Entries with a tick each, shown in a QListView. Filling, ticking all, unticking all and
// inverting are one change each, whatever the number of entries: a list of a hundred thousand
// titles fills and ticks in a few milliseconds, where one item at a time took seconds.
class CheckableListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit CheckableListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Replaces every entry, all ticked or all unticked.
    void SetEntries(const QStringList& entries, bool ticked = false);
    // Replaces every entry; entry i takes ticks[i], unticked where ticks is shorter.
    void SetEntriesAndTicks(const QStringList& entries, const std::vector<bool>& ticks);
    const QStringList& Entries() const { return entries_; }
    int Count() const { return int(entries_.size()); }

    bool IsTicked(int row) const;
    void SetTicked(int row, bool ticked);
    void SetAllTicked(bool ticked);
    void InvertTicks();
    QStringList TickedEntries() const;
    // One tick per entry, in list order.
    const std::vector<bool>& Ticks() const { return ticks_; }

    // Changes one entry's text, keeping its tick.
    void SetEntry(int row, const QString& text);
    // Keeps the entries for which keep[i] is true, with their ticks, in one change.
    void Keep(const std::vector<bool>& keep);

private:
    void AllTicksChanged();

    QStringList entries_;
    std::vector<bool> ticks_;
};

} // namespace quorvel
