#include "core/filteredlist.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace quorvel {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(FilteredList, EntriesRoundTripInOrderAsCrLfLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Movie Information List.list");
    const QStringList entries{"Heat.txt", "Alien.TXT", QString::fromUtf8("Amélie.txt")};
    ASSERT_TRUE(SaveFilteredList(path, entries));
    const QByteArray bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes, QByteArray("Heat.txt\r\nAlien.TXT\r\nAm\xE9lie.txt\r\n"));
    const Result<QStringList> loaded = LoadFilteredList(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, entries);
}

TEST(FilteredList, AnEmptyListIsAnEmptyFileThatLoadsAsNoEntries) {
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.list");
    ASSERT_TRUE(SaveFilteredList(path, {}));
    EXPECT_EQ(ReadFileBytes(path).size(), 0);
    const Result<QStringList> loaded = LoadFilteredList(path);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->isEmpty());
}

TEST(FilteredList, LinesAreTakenAsTheyAreWhateverTheLineEnds) {
    QTemporaryDir dir;
    const QString path = dir.filePath("hand.list");
    ASSERT_TRUE(WriteFileBytes(path, "Heat.txt\n\n Alien.txt \nHeat.txt\rLast.txt"));
    const Result<QStringList> loaded = LoadFilteredList(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, (QStringList{"Heat.txt", "", " Alien.txt ", "Heat.txt", "Last.txt"}));
}

TEST(FilteredList, FailuresAreReported) {
    QTemporaryDir dir;
    EXPECT_FALSE(LoadFilteredList(dir.filePath("absent.list")));
    EXPECT_FALSE(SaveFilteredList(dir.filePath("none/a.list"), {"Heat.txt"}));
}

TEST(OfflineListItems, PutsThePosterBeforeTheTextOnlyWhenThePosterExists) {
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.filePath("Heat.jpg"), "x"));
    ASSERT_TRUE(WriteFileBytes(dir.filePath("ALIEN.JPG"), "x"));
    ASSERT_TRUE(WriteFileBytes(dir.filePath("A.jpg"), "x"));
    const QStringList items = OfflineListItems(
        {"Heat.txt", "Gone.txt", "Heat.txt", "Alien", "", "ALIEN.TXT"}, dir.path());
    EXPECT_EQ(items, (QStringList{"Heat.jpg", "Heat.txt", "Gone.txt", "Heat.jpg", "Heat.txt",
                                  "A.jpg", "A.txt", ".txt", "ALIEN.jpg", "ALIEN.txt"}));
}

TEST(OfflineListItems, ALinePastTheFolderListsItsTextItemOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Movies"));
    ASSERT_TRUE(WriteFileBytes(dir.filePath("victim.jpg"), "x"));
    const QString deep = "../../../../../../../.." + dir.filePath("victim.txt");
    EXPECT_EQ(OfflineListItems({"../victim.txt", deep}, dir.filePath("Movies")),
              (QStringList{"../victim.txt", deep}));
}

TEST(OfflineListItems, AMissingFolderGivesTextItemsOnly) {
    QTemporaryDir dir;
    EXPECT_EQ(OfflineListItems({"Heat.txt"}, dir.filePath("missing")), QStringList{"Heat.txt"});
    EXPECT_TRUE(OfflineListItems({}, dir.path()).isEmpty());
}

} // namespace
} // namespace quorvel
