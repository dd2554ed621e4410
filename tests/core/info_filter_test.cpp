#include "core/info_filter.h"
#include "core/infotext.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace quorvel {
namespace {

// What stays of a listed folder after one filter, and what the walk tells on its way.
TEST(FilterInfoTexts, KeepsMatchesProtectedTicksAndUnreadableEntries) {
    QTemporaryDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir.filePath("Heat.txt"), "Heat\r\n\r\nGENRE\r\nCrime\r\n"));
    ASSERT_TRUE(test::WriteFileBytes(dir.filePath("Up.txt"), "Up\r\n\r\nGENRE\r\nAnimation\r\n"));
    const QStringList entries{"Heat.txt", "Up.txt", "Gone.txt", "../Heat.txt"};
    const std::vector<bool> ticks{false, true, false, false};
    struct Row {
        const char* word;
        InfoTextTest test;
        bool protect;
        std::vector<bool> kept;
    };
    const Row rows[] = {
        {"CRIME", &InfoTextHasGenre, false, {true, false, true, true}},
        {"CRIME", &InfoTextHasGenre, true, {true, true, true, true}},
        {"UP", &InfoTextContains, false, {false, true, true, true}},
        {"NOWHERE", &InfoTextContains, false, {false, false, true, true}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.word);
        QStringList told;
        QList<int> reached;
        const FilterWalk walk{[&](int at) { reached << at; },
                              [&](const QString& entry) { told << entry; }};
        EXPECT_EQ(
            FilterInfoTexts(dir.path(), entries, ticks, row.protect, row.word, row.test, walk),
            row.kept);
        EXPECT_EQ(told, (QStringList{"Gone.txt", "../Heat.txt"}));
        EXPECT_EQ(reached, (QList<int>{0, 1, 2, 3}));
    }
}

} // namespace
} // namespace quorvel
