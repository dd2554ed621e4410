#include "core/collection.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <vector>

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

// The order users have always seen, kept here as the reference the listing must reproduce.
bool ReferenceOrder(const QString& a, const QString& b) {
    const int byCase = QString::compare(a, b, Qt::CaseInsensitive);
    return byCase != 0 ? byCase < 0 : a < b;
}

TEST(ListingOrder, IsTheCaseInsensitiveComparisonWithTheExactNameBreakingTies) {
    // Letter case, digits, punctuation between "Z" and "a", accents composed and decomposed,
    // letters whose fold is another letter, a character beyond the 16-bit range.
    const QStringList names{
        "heat.txt",     "Heat.txt",    "HEAT.txt",        "heat.JPG",        "Heat.jpg",
        "Heat 2.txt",   "Heat2.txt",   "Heat_2.txt",      "Heat[2].txt",     "Heat^.txt",
        "Heat`.txt",    "Heat~.txt",   "10.txt",          "9.txt",           "09.txt",
        "a.txt",        "_a.txt",      "Z.txt",           "[a].jpg",         "Émile.txt",
        "émile.txt",    "Emile.txt",   "e\u0301mile.txt", "Zoë.txt",         "ZOË.txt",
        "Straße.txt",   "STRASSE.txt", "Strasse.txt",     "\u212Aelvin.txt", "kelvin.txt",
        "\u017Fun.txt", "sun.txt",     "Σοφία.txt",       "σοφία.txt",       "ΣΟΦΊΑ.txt",
        "ıi.txt",       "Iİ.txt",      "\U00010400x.txt", "\U00010428x.txt", "\uFF21.txt",
        "\uFF41.txt",   "日本.txt",    "Ærø.jpg",         "ærø.jpg"};
    // And bytes that are no UTF-8 at all, written as they are (Qt would write the replacement
    // character's UTF-8 instead).
    const QList<QByteArray> rawNames{"Caf\xE9.txt", "\xC3.jpg"};

    // Once as they are, once all behind one long prefix, as in "Title 00042 ..." collections.
    for (const QString& prefix : {QString(), QStringLiteral("Title 00042 Heat ")}) {
        SCOPED_TRACE(prefix.toStdString());
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        QStringList expected;
        for (const QString& name : names) {
            ASSERT_TRUE(WriteFileBytes(dir.filePath(prefix + name), "x")) << name.toStdString();
            expected << prefix + name;
        }
        const QByteArray folderBytes = QFile::encodeName(dir.path() + '/' + prefix);
        for (const QByteArray& raw : rawNames) {
            const int fd = ::open((folderBytes + raw).constData(), O_CREAT | O_WRONLY, 0644);
            ASSERT_GE(fd, 0) << raw.toStdString();
            ::close(fd);
            expected << prefix + QFile::decodeName(raw);
        }
        const QStringList listed = ListCollection(dir.path());
        // QTemporaryDir cannot remove what it cannot name.
        for (const QByteArray& raw : rawNames)
            ::unlink((folderBytes + raw).constData());

        std::sort(expected.begin(), expected.end(), ReferenceOrder);
        EXPECT_EQ(listed, expected);
    }
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

// The folder's modification time an hour back, as for a collection not touched today.
void AgeFolder(const QString& folder, int extraSeconds = 0) {
    const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600 + extraSeconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0), 0);
}

struct Folder {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    void touch(const QString& name) const { ASSERT_TRUE(WriteFileBytes(path(name), "x")); }
};

TEST(CollectionListing, AKeptListingIsReusedOnlyWhileTheFolderShowsNoChange) {
    struct Case {
        const char* what;
        std::function<void(Folder&, CollectionListing&)> between;
        bool reused;
        QStringList entries;
    };
    const QStringList both{"Heat.jpg", "Heat.txt"};
    const std::vector<Case> cases{
        {"nothing", [](Folder&, CollectionListing&) {}, true, both},
        {"a file added",
         [](Folder& f, CollectionListing&) { f.touch("Alien.txt"); },
         false,
         {"Alien.txt", "Heat.jpg", "Heat.txt"}},
        {"a file removed",
         [](Folder& f, CollectionListing&) { QFile::remove(f.path("Heat.jpg")); },
         false,
         {"Heat.txt"}},
        {"a file added, the time set back",
         [](Folder& f, CollectionListing&) {
             f.touch("Alien.txt");
             AgeFolder(f.dir.path());
         },
         false,
         {"Alien.txt", "Heat.jpg", "Heat.txt"}},
        {"forgotten", [](Folder&, CollectionListing& l) { l.Forget(); }, false, both},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Folder f;
        ASSERT_TRUE(f.dir.isValid());
        f.touch("Heat.txt");
        f.touch("Heat.jpg");
        AgeFolder(f.dir.path());
        CollectionListing listing;
        EXPECT_EQ(listing.List(f.dir.path()), both);
        EXPECT_FALSE(listing.LastWasReused());
        c.between(f, listing);
        EXPECT_EQ(listing.List(f.dir.path()), c.entries);
        EXPECT_EQ(listing.LastWasReused(), c.reused);
    }
}

TEST_F(CollectionFolder, AListingIsNotKeptForAFolderJustChangedOrHoldingALink) {
    touch("Heat.txt");
    CollectionListing listing;
    // Changed a moment ago: another change within the same clock tick would not show.
    listing.List(dir.path());
    EXPECT_EQ(listing.List(dir.path()), QStringList{"Heat.txt"});
    EXPECT_FALSE(listing.LastWasReused());

    ASSERT_EQ(::symlink("Heat.txt", QFile::encodeName(path("Link.txt")).constData()), 0);
    AgeFolder(dir.path());
    listing.List(dir.path());
    EXPECT_EQ(listing.List(dir.path()), (QStringList{"Heat.txt", "Link.txt"}));
    EXPECT_FALSE(listing.LastWasReused());

    // Another folder is read, whatever was kept.
    QTemporaryDir other;
    ASSERT_TRUE(QFile(path("Heat.txt")).copy(other.filePath("Alien.txt")));
    AgeFolder(other.path());
    listing.List(other.path());
    EXPECT_EQ(listing.List(dir.path()), (QStringList{"Heat.txt", "Link.txt"}));
    EXPECT_FALSE(listing.LastWasReused());
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

TEST(CompanionName, SwapsTheLastThreeCharactersWithoutLookingAtFiles) {
    const std::pair<QString, QString> toPoster[] = {
        {"/no/such/Heat.TXT", "/no/such/Heat.jpg"}, {"Heat.text", "Heat.tjpg"}, {"..", "jpg"}};
    for (const auto& [name, poster] : toPoster)
        EXPECT_EQ(CompanionName(name, "jpg"), poster) << name.toStdString();
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

// A name starting with a dot is a hidden file; ".." is the folder above.
TEST(SanitiseFileName, DropsTheDotsANameStartsWith) {
    const std::pair<QString, QString> cases[] = {
        {".hidden", "hidden"},
        {"..", ""},
        {"/..Revenge", "Revenge"},
        {"...And Justice for All", "And Justice for All"},
        {"Mr. Smith Goes to Washington.", "Mr. Smith Goes to Washington."},
        {" .Blank first", " .Blank first"},
    };
    for (const auto& [title, expected] : cases)
        EXPECT_EQ(SanitiseFileName(title), expected) << title.toStdString();
}

TEST(OverwriteQuestionText, IsThePathAndTheQuestion) {
    EXPECT_EQ(OverwriteQuestionText("/movies/Heat.txt"),
              "/movies/Heat.txt exists. Do you want to overwrite it?");
}

// A line of a list is a file of the collection folder only when it has no folder part.
TEST(CollectionFilePath, RefusesEveryLineThatIsNotAFileOfTheFolder) {
    for (const char* name : {"", ".", "..", "../outside/victim.txt", "/etc/passwd", "Heat/",
                             "..\\outside\\victim.txt", "C:\\victim.txt", "a\\b.txt"}) {
        SCOPED_TRACE(name);
        const QString line = QString::fromLatin1(name);
        EXPECT_FALSE(NamesFileOfFolder(line));
        EXPECT_EQ(CollectionFilePath("/c", line).error(),
                  "Cannot open /c/" + line + ": not the name of a file in the collection folder");
    }
    for (const char* name : {"Heat.txt", "...", ".txt", "..Heat.txt", " Heat.txt ", "C:Heat"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(NamesFileOfFolder(QString::fromLatin1(name)));
        EXPECT_EQ(*CollectionFilePath("/c/", QString::fromLatin1(name)), QString("/c/") + name);
    }
    EXPECT_FALSE(NamesFileOfFolder(QString("Heat") + QChar(u'\0') + ".txt"));
}

TEST_F(CollectionFolder, PosterBytesAreWrittenExactlyAndReplaceTheOldFile) {
    const QByteArray jpeg("\xFF\xD8\xFF\xE0\0\x10JFIF\0\r\n\x1A\n\xFF\xD9", 17);
    touch("Heat.jpg");
    ASSERT_TRUE(WritePosterBytes(path("Heat.jpg"), jpeg));
    EXPECT_EQ(ReadFileBytes(path("Heat.jpg")), jpeg);
    EXPECT_FALSE(WritePosterBytes(path("none/Heat.jpg"), jpeg));
}


TEST(ListSearchTest, FindsTheWholeNameFirstAndElseEveryPartialMatchInOrder) {
    const QStringList entries{"Alien.jpg", "Alien.txt", "Aliens.txt", "HEAT.TXT", "heat.jpg",
                              "The Alienist.txt"};
    const QStringList both{".TXT", ".JPG"};
    const struct {
        const char* text;
        QStringList extensions;
        bool typedExtension;
        int whole;
        QList<int> partial;
    } cases[] = {
        {"alien", both, false, 1, {}},              // the text before the poster
        {"heat", both, false, 3, {}},               // any letter case
        {"heat", {".JPG"}, false, 4, {}},           // the extensions in the order given
        {"lien", both, false, -1, {0, 1, 2, 5}},    // partial: every row holding it
        {"alien.txt", both, false, -1, {1}},        // the typed extension is only text here
        {"alien.txt", {".TXT"}, true, 1, {}},       // and the whole name there
        {"alien", {".TXT"}, true, 1, {}},           // the extension is added when not typed
        {"predator", both, false, -1, {}},
        {"", both, false, -1, {}},
    };
    for (const auto& c : cases) {
        const ListMatches found = SearchList(entries, c.text, c.extensions, c.typedExtension);
        EXPECT_EQ(found.whole, c.whole) << c.text;
        EXPECT_EQ(found.partial, c.partial) << c.text;
    }
}

TEST_F(CollectionFolder, InfoTextsAreTheTextEntriesInListingOrder) {
    for (const char* name : {"b.TXT", "a.txt", "a.jpg", "c.doc"})
        touch(name);
    EXPECT_EQ(ListInfoTexts(dir.path()), (QStringList{"a.txt", "b.TXT"}));
    EXPECT_EQ(CountLabelText(2), "Collection count: 2 Text");
    EXPECT_EQ(CountLabelText(3, " (Filtered list)"), "Collection count: 3 Text (Filtered list)");
}

} // namespace
} // namespace quorvel
