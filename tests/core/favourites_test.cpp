#include "core/favourites.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

namespace quorvel {
namespace {

const QString kBlanks(39, ' ');

TEST(FavouritesFilePath, PutsOneSeparatorBeforeTheFileName) {
    EXPECT_EQ(FavouritesFilePath("/home/u/Fav"), "/home/u/Fav/Favourites.lst");
    EXPECT_EQ(FavouritesFilePath("/home/u/Fav/"), "/home/u/Fav/Favourites.lst");
}

// An empty folder must not turn into the root folder or the process's current folder.
TEST(FavouritesFilePath, AnEmptyFolderNamesNoFileToLoadOrSave) {
    EXPECT_EQ(FavouritesFilePath(""), "");
    const Result<TextFile> loaded = LoadFavourites(FavouritesFilePath(""));
    ASSERT_FALSE(loaded);
    EXPECT_FALSE(loaded.error().isEmpty());
    EXPECT_FALSE(SaveFavourites(FavouritesFilePath(""), {"x"}));
    EXPECT_FALSE(QFileInfo::exists("Favourites.lst"));
}

TEST(FavouriteEntry, IsTitleBlanksEqualsAndIdentifier) {
    EXPECT_EQ(MakeFavouriteEntry("Top=Gun", "xa-HuhfD7gE"), "TopGun" + kBlanks + "=xa-HuhfD7gE");
    EXPECT_EQ(MakeFavouriteEntry("", "id"), kBlanks + "=id");
}

TEST(FavouriteEntry, PartsAreTakenBackOut) {
    const QString entry = MakeFavouriteEntry("Heat", "abcdefghijk");
    EXPECT_EQ(FavouriteVideoId(entry), "abcdefghijk");
    EXPECT_EQ(FavouriteTitle(entry), "Heat");
    EXPECT_EQ(FavouriteIdPart(entry), "=abcdefghijk");

    const QString timed = "Heat" + kBlanks + "=abcdefghijk&t=90";
    EXPECT_EQ(FavouriteVideoId(timed), "90");
    EXPECT_EQ(FavouriteIdPart(timed), "=abcdefghijk&t=90");
    EXPECT_EQ(FavouriteVideoId("no separator"), "no separator");
    EXPECT_EQ(FavouriteIdPart("no separator"), "");

    EXPECT_EQ(FavouriteTitle(QString(51, 'a')), "");
    EXPECT_EQ(FavouriteTitle(QString(50, 'a')), QString(50, 'a'));
    EXPECT_EQ(FavouriteTitle(QString(52, 'a')), "a");
    // Another identifier length shifts what is taken for the title: a shorter one costs the
    // title its last characters, a longer one leaves separator blanks on it.
    EXPECT_EQ(FavouriteTitle("Heat 2 the sequel" + kBlanks + "=short"), "Heat 2 the ");
    EXPECT_EQ(FavouriteTitle("Heat" + kBlanks + "=abcdefghijklm"), "Heat  ");
}

TEST(FavouriteEntry, DuplicatesCompareWholeIgnoringCase) {
    const QStringList list{MakeFavouriteEntry("Heat", "abcdefghijk")};
    EXPECT_TRUE(IsDuplicateFavourite(list, MakeFavouriteEntry("HEAT", "ABCDEFGHIJK")));
    EXPECT_FALSE(IsDuplicateFavourite(list, MakeFavouriteEntry("Heat 2", "abcdefghijk")));
    EXPECT_FALSE(IsDuplicateFavourite(list, MakeFavouriteEntry("Heat", "bbcdefghijk")));
    EXPECT_FALSE(IsDuplicateFavourite({}, "x"));
}

TEST(FavouritesFile, SavesInListOrderAndLoadsBack) {
    QTemporaryDir dir;
    const QString path = FavouritesFilePath(dir.path());
    const QStringList entries{MakeFavouriteEntry("Zulu", "z"), MakeFavouriteEntry("alpha", "a"),
                              MakeFavouriteEntry("Zulu", "z")};
    ASSERT_TRUE(SaveFavourites(path, entries));
    const QByteArray bytes = test::ReadFileBytes(path);
    EXPECT_EQ(bytes, (entries.join("\r\n") + "\r\n").toLatin1());
    const Result<TextFile> loaded = LoadFavourites(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->lines, entries);
    EXPECT_EQ(loaded->encoding, TextEncoding::Ansi);
}

TEST(FavouritesFile, AbsentFilesAndFoldersAreFailures) {
    QTemporaryDir dir;
    EXPECT_FALSE(LoadFavourites(FavouritesFilePath(dir.path())));
    EXPECT_FALSE(LoadFavourites(dir.path()));
    EXPECT_FALSE(SaveFavourites(FavouritesFilePath(dir.filePath("gone")), {"x"}));
    EXPECT_TRUE(test::FolderNames(dir.path()).isEmpty());
}

} // namespace
} // namespace quorvel
