#include "core/collection.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

namespace quorvel {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class CollectionFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void touch(const QString& name) const { ASSERT_TRUE(WriteFileBytes(path(name), "x")); }
    QTemporaryDir dir;
};

TEST(ExtensionTest, LooksAtTheLastFourCharactersInAnyLetterCase) {
    EXPECT_TRUE(IsInfoTextEntry("Heat.txt"));
    EXPECT_TRUE(IsInfoTextEntry("heat.Txt"));
    EXPECT_TRUE(IsInfoTextEntry(".TXT"));
    EXPECT_FALSE(IsInfoTextEntry("TXT"));
    EXPECT_FALSE(IsInfoTextEntry("Heat.txt "));
    EXPECT_TRUE(IsPosterEntry("HEAT.JPG"));
    EXPECT_FALSE(IsPosterEntry("heat.jpeg"));
    EXPECT_FALSE(IsCollectionEntry("heat.png"));
    EXPECT_FALSE(IsCollectionEntry("notes.doc"));
    // Only a to z are upper-cased: a dotless i is no "I".
    EXPECT_FALSE(IsInfoTextEntry(QString::fromUtf8("a.tıt")));
}

TEST_F(CollectionFolder, ListsFilesByTheExtensionTestAndSkipsSubFolders) {
    for (const char* name : {"Heat.txt", "Heat.jpg", "Heat.jpeg", "notes.doc"})
        touch(name);
    ASSERT_TRUE(QDir(dir.path()).mkdir("x.txt"));
    const QStringList entries = ListCollection(dir.path());
    EXPECT_EQ(entries, (QStringList{"Heat.jpg", "Heat.txt"}));
    const CollectionCount count = CountCollection(entries);
    EXPECT_EQ(count.texts, 1);
    EXPECT_EQ(count.posters, 1);
    EXPECT_EQ(CountLabelText(count), "Collection count: 1 Text Info and 1 Poster");
}

TEST_F(CollectionFolder, UpperCaseExtensionsAreListedAndCounted) {
    touch("HEAT.TXT");
    touch("Alien.Jpg");
    touch("alien.txt");
    const QStringList entries = ListCollection(dir.path());
    EXPECT_EQ(entries, (QStringList{"Alien.Jpg", "alien.txt", "HEAT.TXT"}));
    EXPECT_EQ(CountLabelText(CountCollection(entries)),
              "Collection count: 2 Text Info and 1 Poster");
}

TEST_F(CollectionFolder, SortsIgnoringCaseWithTheExactNameBreakingTies) {
    for (const char* name : {"b.txt", "B.txt", "a.jpg", "C.txt", "A.txt", "a.txt"})
        touch(name);
    EXPECT_EQ(ListCollection(dir.path()),
              (QStringList{"a.jpg", "A.txt", "a.txt", "B.txt", "b.txt", "C.txt"}));
}

TEST_F(CollectionFolder, ASymbolicLinkCountsAsTheFileItNames) {
    touch("Heat.txt");
    ASSERT_EQ(::symlink("Heat.txt", QFile::encodeName(path("Link.txt")).constData()), 0);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(path("Dangling.txt")).constData()), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    ASSERT_EQ(::symlink("sub", QFile::encodeName(path("Folder.jpg")).constData()), 0);
    EXPECT_EQ(ListCollection(dir.path()), (QStringList{"Heat.txt", "Link.txt"}));
}

TEST_F(CollectionFolder, AMissingEmptyOrNonFolderPathGivesNoEntries) {
    touch("plain.txt");
    EXPECT_TRUE(ListCollection(path("missing")).isEmpty());
    EXPECT_TRUE(ListCollection(QString()).isEmpty());
    EXPECT_TRUE(ListCollection(path("plain.txt")).isEmpty());
    EXPECT_EQ(CountLabelText(CountCollection({})), "Collection count: 0 Text Info and 0 Poster");
}

TEST_F(CollectionFolder, AFolderPathEndingWithASeparatorListsTheSame) {
    touch("Heat.txt");
    EXPECT_EQ(ListCollection(dir.path() + "/"), QStringList{"Heat.txt"});
}

TEST(CountCollection, CountsOnlyEntriesPassingTheExtensionTest) {
    const CollectionCount count =
        CountCollection({"a.txt", "b.TXT", "c.jpg", "d.doc", "", "e.txt"});
    EXPECT_EQ(count.texts, 3);
    EXPECT_EQ(count.posters, 1);
}

TEST(EntryNames, BaseNameDropsFourCharactersWhateverTheyAre) {
    EXPECT_EQ(EntryBaseName("Heat.txt"), "Heat");
    EXPECT_EQ(EntryBaseName("Heat.jpeg"), "Heat.");
    EXPECT_EQ(EntryBaseName("Alien"), "A");
    EXPECT_EQ(EntryBaseName(".txt"), "");
    EXPECT_EQ(EntryBaseName("ab"), "");
    EXPECT_EQ(JoinPath("/movies", "Heat.txt"), "/movies/Heat.txt");
    EXPECT_EQ(JoinPath("/movies/", "Heat.txt"), "/movies/Heat.txt");
}

TEST_F(CollectionFolder, EntryFilePathFindsTheFileWhateverTheCaseOfItsExtension) {
    touch("HEAT.TXT");
    EXPECT_EQ(EntryFilePath(dir.path(), "HEAT.TXT", ".txt"), path("HEAT.TXT"));
    // Absent in every letter case: the lower-case name is returned, for the caller to report.
    EXPECT_EQ(EntryFilePath(dir.path(), "HEAT.TXT", ".jpg"), path("HEAT.jpg"));
    // The base name is not matched in other letter case.
    EXPECT_EQ(EntryFilePath(dir.path(), "heat.txt", ".txt"), path("heat.txt"));

    touch("Alien.Txt");
    EXPECT_EQ(EntryFilePath(dir.path() + "/", "Alien.jpg", ".txt"), path("Alien.Txt"));

    // An existing lower-case file wins over any other.
    touch("HEAT.txt");
    EXPECT_EQ(EntryFilePath(dir.path(), "HEAT.TXT", ".txt"), path("HEAT.txt"));
}

TEST_F(CollectionFolder, EntryFilePathResolvesInTheCurrentFolderWithoutAFolderPart) {
    touch("HEAT.TXT");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString found = EntryFilePath(QString(), "HEAT.TXT", ".txt");
    QDir::setCurrent(before);
    EXPECT_EQ(found, "HEAT.TXT");
}

TEST_F(CollectionFolder, CompanionFilePathSwapsTheThreeLetterExtension) {
    touch("Heat.jpg");
    touch("Heat.txt");
    touch("Alien.JPG");
    touch("Alien.jpeg");
    EXPECT_EQ(CompanionFilePath(path("Heat.jpg"), "txt"), path("Heat.txt"));
    EXPECT_EQ(CompanionFilePath(path("Heat.txt"), "jpg"), path("Heat.jpg"));
    EXPECT_EQ(CompanionFilePath(path("Alien.txt"), "jpg"), path("Alien.JPG"));
    // A four-letter extension leads nowhere.
    const QString none = CompanionFilePath(path("Alien.jpeg"), "txt");
    EXPECT_EQ(none, path("Alien.jtxt"));
    EXPECT_FALSE(QFileInfo::exists(none));
}

TEST(SanitiseFileName, RemovesTheNineForbiddenCharactersOnly) {
    EXPECT_EQ(SanitiseFileName("Face/Off: Part 2?"), "FaceOff Part 2");
    EXPECT_EQ(SanitiseFileName("\"*/:<>?\\|"), "");
    EXPECT_EQ(SanitiseFileName(QString::fromUtf8(" Amélie. (2001) ")),
              QString::fromUtf8(" Amélie. (2001) "));
    EXPECT_EQ(SanitiseFileName("a<b>c|d\"e*f\\g"), "abcdefg");
}

// A NUL cuts the name the system sees; a tab or a line break gives names no list shows well.
TEST(SanitiseFileName, DropsEveryControlCharacter) {
    struct Case {
        const char* name;
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {"NUL", QString("Ronin") + QChar(0) + " 2", "Ronin 2"},
        {"tab and line breaks", "Heat\t2\r\nsequel\n", "Heat2sequel"},
        {"DEL and the ends of the range",
         QString(QChar(0x01)) + "Al" + QChar(0x7F) + "ien" + QChar(0x1F), "Alien"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SanitiseFileName(c.text), c.expected);
    }
}

TEST(OverwriteQuestionText, IsThePathAndTheQuestion) {
    EXPECT_EQ(OverwriteQuestionText("/movies/Heat.txt"),
              "/movies/Heat.txt exists. Do you want to overwrite it?");
}

TEST_F(CollectionFolder, PosterBytesAreWrittenExactlyAndReplaceTheOldFile) {
    const QByteArray jpeg("\xFF\xD8\xFF\xE0\0\x10JFIF\0\r\n\x1A\n\xFF\xD9", 17);
    touch("Heat.jpg");
    ASSERT_TRUE(WritePosterBytes(path("Heat.jpg"), jpeg));
    EXPECT_EQ(ReadFileBytes(path("Heat.jpg")), jpeg);
    EXPECT_FALSE(WritePosterBytes(path("none/Heat.jpg"), jpeg));
}

} // namespace
} // namespace quorvel
