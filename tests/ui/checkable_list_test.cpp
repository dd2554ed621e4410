#include "ui/main/checkable_list.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <functional>

namespace quorvel {
namespace {

// Each operation on the list "a b c d" ticked as "x.x." (x ticked), as one change signal.
TEST(CheckableListTest, EachOperationGivesItsTicksInOneChange) {
    const struct {
        const char* name;
        std::function<void(CheckableListModel&)> operation;
        QStringList entries;
        const char* ticks;
        int resets;
        int changes;
    } cases[] = {
        {"tick all",
         [](CheckableListModel& m) { m.SetAllTicked(true); },
         {"a", "b", "c", "d"},
         "xxxx",
         0,
         1},
        {"untick all",
         [](CheckableListModel& m) { m.SetAllTicked(false); },
         {"a", "b", "c", "d"},
         "....",
         0,
         1},
        {"invert",
         [](CheckableListModel& m) { m.InvertTicks(); },
         {"a", "b", "c", "d"},
         ".x.x",
         0,
         1},
        {"tick one",
         [](CheckableListModel& m) { m.SetTicked(1, true); },
         {"a", "b", "c", "d"},
         "xxx.",
         0,
         1},
        {"tick one already ticked",
         [](CheckableListModel& m) { m.SetTicked(0, true); },
         {"a", "b", "c", "d"},
         "x.x.",
         0,
         0},
        {"tick outside",
         [](CheckableListModel& m) { m.SetTicked(9, true); },
         {"a", "b", "c", "d"},
         "x.x.",
         0,
         0},
        {"by the view's check box",
         [](CheckableListModel& m) { m.setData(m.index(2), Qt::Unchecked, Qt::CheckStateRole); },
         {"a", "b", "c", "d"},
         "x...",
         0,
         1},
        {"rename keeps the tick",
         [](CheckableListModel& m) { m.SetEntry(0, "z"); },
         {"z", "b", "c", "d"},
         "x.x.",
         0,
         1},
        {"keep some",
         [](CheckableListModel& m) {
             m.Keep({true, true, false, false});
         },
         {"a", "b"},
         "x.",
         1,
         0},
        {"fill unticked",
         [](CheckableListModel& m) {
             m.SetEntries({"e", "f"});
         },
         {"e", "f"},
         "..",
         1,
         0},
        {"fill ticked",
         [](CheckableListModel& m) {
             m.SetEntries({"e", "f"}, true);
         },
         {"e", "f"},
         "xx",
         1,
         0},
        {"fill with fewer ticks",
         [](CheckableListModel& m) {
             m.SetEntriesAndTicks({"e", "f"}, {true});
         },
         {"e", "f"},
         "x.",
         1,
         0},
    };
    for (const auto& c : cases) {
        CheckableListModel model;
        QAbstractItemModelTester tester(&model);
        model.SetEntriesAndTicks({"a", "b", "c", "d"}, {true, false, true, false});
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        c.operation(model);

        QString ticks;
        for (int row = 0; row < model.rowCount(); ++row) {
            const bool ticked = model.data(model.index(row), Qt::CheckStateRole) == Qt::Checked;
            EXPECT_EQ(ticked, model.IsTicked(row)) << c.name;
            ticks += ticked ? u'x' : u'.';
        }
        EXPECT_EQ(model.Entries(), c.entries) << c.name;
        EXPECT_EQ(ticks, QString::fromLatin1(c.ticks)) << c.name;
        EXPECT_EQ(resets.size(), c.resets) << c.name;
        EXPECT_EQ(changes.size(), c.changes) << c.name;
        QStringList ticked;
        for (int row = 0; row < c.entries.size(); ++row) {
            if (c.ticks[row] == 'x')
                ticked << c.entries.at(row);
        }
        EXPECT_EQ(model.TickedEntries(), ticked) << c.name;
    }
}

TEST(CheckableListTest, RowsAreCheckableTextsAndAnEmptyListChangesNothing) {
    CheckableListModel model;
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    model.SetAllTicked(true);
    model.InvertTicks();
    EXPECT_EQ(changes.size(), 0);
    model.SetEntries({"Heat.txt"});
    EXPECT_EQ(model.data(model.index(0), Qt::DisplayRole).toString(), "Heat.txt");
    EXPECT_TRUE(model.flags(model.index(0)).testFlag(Qt::ItemIsUserCheckable));
    EXPECT_FALSE(model.setData(model.index(0), "other", Qt::EditRole));
}

} // namespace
} // namespace quorvel
