#include "core/filteredlist.h"
#include "core/infotext.h"
#include "core/textfile.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <memory>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

using test::FolderNames;
using test::ReadFileBytes;
using test::WriteFileBytes;

const QString kAmelie = QString::fromUtf8("Amélie Poulain");
const QString kLodz = QString::fromUtf8("Łódź");

// ---- Reading: which encoding a file's bytes select ----

TEST(DecodeText, MarkLessBytesAreWindows1252UnlessTheyAreMultiByteUtf8) {
    struct Case {
        const char* name;
        QByteArray bytes;
        TextEncoding encoding;
        QString firstLine;
    };
    const Case cases[] = {
        {"plain ASCII", "Heat\r\n", TextEncoding::Ansi, "Heat"},
        {"1252 e acute", "Am\xE9lie\r\n", TextEncoding::Ansi, kAmelie.left(6)},
        {"1252 euro sign", "10 \x80\r\n", TextEncoding::Ansi, QString::fromUtf8("10 €")},
        {"UTF-8 e acute", "Am\xC3\xA9lie\r\n", TextEncoding::Utf8, kAmelie.left(6)},
        {"UTF-8 three-byte", "\xE2\x82\xAC 5\r\n", TextEncoding::Utf8, QString::fromUtf8("€ 5")},
        {"UTF-8 four-byte", "\xF0\x9F\x8E\xAC\r\n", TextEncoding::Utf8,
         QString::fromUtf8("\xF0\x9F\x8E\xAC")},
        // A truncated sequence at the very end is not UTF-8.
        {"truncated UTF-8", "Am\xC3", TextEncoding::Ansi, QString::fromUtf8("AmÃ")},
        // An overlong encoding of "/" is not valid UTF-8 either.
        {"overlong UTF-8", "a\xC0\xAF", TextEncoding::Ansi, QString::fromUtf8("aÀ¯")},
        // An encoded surrogate half is not valid UTF-8.
        {"UTF-8 surrogate", "\xED\xA0\x80", TextEncoding::Ansi, QString::fromUtf8("í\u00A0€")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TextFile file = DecodeText(c.bytes);
        EXPECT_EQ(file.encoding, c.encoding);
        ASSERT_FALSE(file.lines.isEmpty());
        EXPECT_EQ(file.lines.first(), c.firstLine);
    }
}

TEST(DecodeText, ByteOrderMarksSelectTheirEncodingAndAreNotText) {
    const TextFile utf8 = DecodeText(QByteArray("\xEF\xBB\xBF") + kLodz.toUtf8() + "\r\n");
    EXPECT_EQ(utf8.encoding, TextEncoding::Utf8Bom);
    EXPECT_EQ(utf8.lines, QStringList{kLodz});

    const TextFile le = DecodeText(QByteArray("\xFF\xFE"
                                              "A\0\r\0\n\0B\0",
                                              10));
    EXPECT_EQ(le.encoding, TextEncoding::Utf16LE);
    EXPECT_EQ(le.lines, (QStringList{"A", "B"}));

    const TextFile be = DecodeText(QByteArray("\xFE\xFF"
                                              "\0A\0\r\0\n\0B",
                                              10));
    EXPECT_EQ(be.encoding, TextEncoding::Utf16BE);
    EXPECT_EQ(be.lines, (QStringList{"A", "B"}));
}

TEST(DecodeText, EveryKindOfLineEndEndsALineAndTheLastBreakAddsNoLine) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList lines;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"no final break", "a\r\nb", {"a", "b"}},
        {"empty lines kept", "a\r\n\r\n\r\nb\r\n", {"a", "", "", "b"}},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"only a break", "\r\n", {""}},
        {"trailing empty line", "a\r\n\r\n", {"a", ""}},
        {"nothing", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeText(c.bytes).lines, c.lines);
    }
}

// ---- Writing ----

TEST(BytesMayHoldUpperCased, SaysNoOnlyWhenAnAsciiWordIsNotAmongTheBytes) {
    const QByteArray marked = QByteArray("\xEF\xBB\xBF") + "Am\xC3\xA9lie\r\n";
    const struct {
        QByteArray bytes;
        const char* word;
        bool may;
    } rows[] = {
        {"Director\r\nRidley Scott\r\n", "RIDLEY SCOTT", true},
        {"Director\r\nRidley Scott\r\n", "MANN", false},
        {"Caf\xE9 Noir\r\n", "NOIR", true},                    // Windows-1252 around it
        {"Caf\xE9 Noir\r\n", "CAFÉ", true},                    // not ASCII: cannot be told
        {marked, "LIE", true},                                 // UTF-8 with its mark
        {marked, "MELIE", false},                              // é is no "E"
        {QByteArray("\xFF\xFEH\0e\0a\0t\0", 10), "ZZZ", true}, // UTF-16: cannot be told
        {"Heat", "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes.toStdString() + " / " + row.word);
        EXPECT_EQ(BytesMayHoldUpperCased(row.bytes, QString::fromUtf8(row.word)), row.may);
    }
}

TEST(EncodeText, EveryLineEndsWithCrLfInEveryEncoding) {
    EXPECT_EQ(EncodeText({"a", "", "b"}, TextEncoding::Ansi), QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_EQ(EncodeText({"a"}, TextEncoding::Utf8), QByteArray("a\r\n"));
    EXPECT_EQ(EncodeText({"a"}, TextEncoding::Utf8Bom), QByteArray("\xEF\xBB\xBF"
                                                                   "a\r\n"));
    EXPECT_EQ(EncodeText({"a"}, TextEncoding::Utf16LE), QByteArray("\xFF\xFE"
                                                                   "a\0\r\0\n\0",
                                                                   8));
    EXPECT_EQ(EncodeText({"a"}, TextEncoding::Utf16BE), QByteArray("\xFE\xFF"
                                                                   "\0a\0\r\0\n",
                                                                   8));
    EXPECT_TRUE(EncodeText({}, TextEncoding::Ansi).isEmpty());
}

TEST(EncodeText, AnsiUsesWindows1252Bytes) {
    TextEncoding used = TextEncoding::Utf16BE;
    const QByteArray bytes =
        EncodeText({kAmelie, QString::fromUtf8("10 €")}, TextEncoding::Ansi, &used);
    EXPECT_EQ(used, TextEncoding::Ansi);
    EXPECT_EQ(bytes, QByteArray("Am\xE9lie Poulain\r\n10 \x80\r\n"));
}

TEST(EncodeText, TextWindows1252CannotHoldIsWrittenAsUtf8WithMarkNotAsQuestionMarks) {
    TextEncoding used = TextEncoding::Ansi;
    const QStringList lines{kAmelie, kLodz, QString::fromUtf8("日本")};
    const QByteArray bytes = EncodeText(lines, TextEncoding::Ansi, &used);
    EXPECT_EQ(used, TextEncoding::Utf8Bom);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(bytes.contains('?'));
    const TextFile back = DecodeText(bytes);
    EXPECT_EQ(back.encoding, TextEncoding::Utf8Bom);
    EXPECT_EQ(back.lines, lines);
}

// The reader takes mark-less bytes that start like a mark, or form multi-byte UTF-8, for that
// encoding; a code-page save of such a text must not come back as other text.
TEST(TextFile, CodePageTextsThatLookLikeAnotherEncodingReadBackAsSaved) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* name;
        QStringList lines;
        TextEncoding written;
    };
    const Case cases[] = {
        {"UTF-16 BE mark", {QString::fromUtf8("þÿHeat"), "", "TYPE"}, TextEncoding::Utf8Bom},
        {"UTF-16 LE mark", {QString::fromUtf8("ÿþHeat"), "x"}, TextEncoding::Utf8Bom},
        {"UTF-8 mark", {QString::fromUtf8("ï»¿Heat")}, TextEncoding::Utf8Bom},
        {"UTF-8 pair", {"Heat", QString::fromUtf8("Ã© and Ã¼")}, TextEncoding::Utf8Bom},
        {"mark bytes later on", {QString::fromUtf8("Heat þÿ ï»¿")}, TextEncoding::Ansi},
        {"lead byte without follower", {QString::fromUtf8("AmÃ")}, TextEncoding::Ansi},
        {"plain accents", {kAmelie, QString::fromUtf8("naïve")}, TextEncoding::Ansi},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString record = dir.filePath("record.txt");
        const Result<TextEncoding> saved = SaveInfoText(record, c.lines);
        ASSERT_TRUE(saved) << saved.error().toStdString();
        EXPECT_EQ(*saved, c.written);
        const Result<TextFile> loaded = LoadInfoText(record);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->lines, c.lines);
        EXPECT_EQ(loaded->encoding, c.written);

        const QString list = dir.filePath("saved.list");
        ASSERT_TRUE(SaveFilteredList(list, c.lines));
        const Result<QStringList> entries = LoadFilteredList(list);
        ASSERT_TRUE(entries);
        EXPECT_EQ(*entries, c.lines);
    }
}

TEST(TextFile, EveryEncodingRoundTripsThroughAFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("record.txt");
    struct Case {
        TextEncoding encoding;
        QStringList lines;
    };
    const Case cases[] = {
        {TextEncoding::Ansi, {kAmelie, "", "naive", ""}},
        {TextEncoding::Utf8, {kLodz, "", kAmelie}},
        {TextEncoding::Utf8Bom, {kLodz, "plain", ""}},
        {TextEncoding::Utf16LE, {kLodz, QString::fromUtf8("日本"), ""}},
        {TextEncoding::Utf16BE, {kLodz, QString::fromUtf8("\xF0\x9F\x8E\xAC"), "x"}},
        // A text whose own first character is a zero-width no-break space keeps it.
        {TextEncoding::Utf8Bom, {QString(QChar(0xFEFF)) + "Zero-width start", "x"}},
        {TextEncoding::Utf16LE, {QString(QChar(0xFEFF)) + "Zero-width start", "x"}},
        {TextEncoding::Utf16BE, {QString(QChar(0xFEFF)) + "Zero-width start", "x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.encoding));
        const Result<TextEncoding> written = WriteTextFile(path, c.lines, c.encoding);
        ASSERT_TRUE(written) << written.error().toStdString();
        EXPECT_EQ(*written, c.encoding);
        const Result<TextFile> read = ReadTextFile(path);
        ASSERT_TRUE(read) << read.error().toStdString();
        EXPECT_EQ(read->encoding, c.encoding);
        EXPECT_EQ(read->lines, c.lines);
    }
}

TEST(TextFile, AnLfFileFromAnotherEditorIsWrittenBackWithCrLfAndWithoutMark) {
    QTemporaryDir dir;
    const QString path = dir.filePath("notes.txt");
    ASSERT_TRUE(WriteFileBytes(path, "Am\xC3\xA9lie\nna\xC3\xAFve\n\nend\n"));
    const Result<TextFile> read = ReadTextFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->encoding, TextEncoding::Utf8);
    ASSERT_TRUE(WriteTextFile(path, read->lines, read->encoding));
    EXPECT_EQ(ReadFileBytes(path), QByteArray("Am\xC3\xA9lie\r\nna\xC3\xAFve\r\n\r\nend\r\n"));
}

TEST(TextFile, AMissingFileIsAFailureWithItsPath) {
    QTemporaryDir dir;
    const QString path = dir.filePath("absent.txt");
    const Result<TextFile> read = ReadTextFile(path);
    ASSERT_FALSE(read);
    EXPECT_TRUE(read.error().contains(path));
    const Result<TextFile> folder = ReadTextFile(dir.path()); // a folder is no text either
    ASSERT_FALSE(folder);
    EXPECT_TRUE(folder.error().contains(dir.path()));
}

// ---- Safe replacement ----

TEST(WriteFileSafely, AWriteIntoAMissingOrNonFolderFailsAndCreatesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.filePath("plain"), "x"));
    const QString paths[] = {dir.filePath("missing/record.txt"), dir.filePath("plain/record.txt")};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        const Status status = WriteFileSafely(path, "data\r\n");
        ASSERT_FALSE(status);
        EXPECT_TRUE(status.error().contains(path));
        EXPECT_FALSE(QFileInfo::exists(path));
    }
    EXPECT_EQ(FolderNames(dir.path()), QStringList{"plain"});
    EXPECT_EQ(ReadFileBytes(dir.filePath("plain")), QByteArray("x"));
}

TEST(WriteFileSafely, ASuccessfulWriteReplacesTheFileByRenameNotInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Heat.txt");
    const QString link = dir.filePath("old-link");
    ASSERT_TRUE(WriteFileBytes(path, "old content\r\n"));
    // A second name for the old file: truncating in place would change it too.
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);

    ASSERT_TRUE(WriteFileSafely(path, "new\r\n"));
    EXPECT_EQ(ReadFileBytes(path), QByteArray("new\r\n"));
    EXPECT_EQ(ReadFileBytes(link), QByteArray("old content\r\n"));
    EXPECT_EQ(FolderNames(dir.path()), (QStringList{"Heat.txt", "old-link"}));
}

// The file-size limit makes the kernel refuse the new bytes part way, the way a full medium
// does; the process limit is put back before the test ends.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool active() const { return active_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

TEST(WriteFileSafely, AWriteThatFailsPartWayLeavesTheOldFileWholeAndNoTemporaryFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Heat.txt");
    const QByteArray old = EncodeText({"Heat", "", "TYPE", "movie"}, TextEncoding::Ansi);
    ASSERT_TRUE(WriteFileBytes(path, old));
    const QByteArray big(256 * 1024, 'x');
    Status status = Success();
    {
        FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.active());
        status = WriteFileSafely(path, big);
    }
    EXPECT_FALSE(status);
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(FolderNames(dir.path()), QStringList{"Heat.txt"});
}

// A real full medium: Qt's buffer takes a small write and the kernel refuses it only at the
// final flush, which a file-size limit cannot show. Mounted per test, root only.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        disk = std::make_unique<test::SmallFileSystem>(dir.path(), 64);
        if (!disk->mounted())
            GTEST_SKIP() << disk->skipReason().toStdString();
        ASSERT_TRUE(QDir(dir.path()).mkdir("Movies"));
        folder = dir.filePath("Movies");
    }
    QTemporaryDir dir;
    std::unique_ptr<test::SmallFileSystem> disk;
    QString folder;
};

TEST_F(FullDisk, ASaveThatDoesNotFitFailsWithTheSystemsReasonAndLeavesTheOldFile) {
    const QString path = folder + "/Heat.txt";
    const QByteArray old = EncodeText({"Heat", "", "TYPE", "movie"}, TextEncoding::Ansi);
    ASSERT_TRUE(WriteFileBytes(path, old));
    struct Case {
        const char* name;
        qint64 spaceLeft;
        qsizetype size;
    };
    const Case cases[] = {
        {"a small record on a full disk", 0, 1200},
        {"12,040 bytes with 8 KiB left", 8192, 12040},
        {"a large file with 8 KiB left", 8192, 256 * 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(disk->Fill("filler", c.spaceLeft));
        const Status status = WriteFileSafely(path, QByteArray(c.size, 'x'));
        ASSERT_FALSE(status);
        EXPECT_TRUE(status.error().contains(path)) << status.error().toStdString();
        EXPECT_TRUE(status.error().contains("No space left on device"))
            << status.error().toStdString();
        EXPECT_EQ(ReadFileBytes(path), old);
        EXPECT_EQ(FolderNames(folder), QStringList{"Heat.txt"});
    }
    // With room again the same save goes through: the refusals were the medium's.
    ASSERT_TRUE(QFile::remove(dir.filePath("filler")));
    ASSERT_TRUE(WriteFileSafely(path, QByteArray(12040, 'x')));
    EXPECT_EQ(ReadFileBytes(path), QByteArray(12040, 'x'));
}

TEST(WriteFileSafely, APathHoldingANulOrNoPathAtAllIsRefusedAndNothingIsWritten) {
    QTemporaryDir dir;
    const QString paths[] = {dir.filePath("Ronin") + QChar(0) + ".txt", QString()};
    for (const QString& path : paths) {
        const Status status = WriteFileSafely(path, "Ronin\r\n");
        ASSERT_FALSE(status);
        EXPECT_FALSE(status.error().isEmpty());
    }
    EXPECT_TRUE(WriteFileSafely(paths[0], "x").error().contains("NUL"));
    EXPECT_TRUE(FolderNames(dir.path()).isEmpty());
}

TEST(WriteTextFile, ReportsTheEncodingReallyWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Lodz.txt");
    const Result<TextEncoding> written = WriteTextFile(path, {kLodz}, TextEncoding::Ansi);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, TextEncoding::Utf8Bom);
    EXPECT_EQ(ReadFileBytes(path), QByteArray("\xEF\xBB\xBF") + kLodz.toUtf8() + "\r\n");

    const Result<TextEncoding> failed =
        WriteTextFile(dir.filePath("none/x.txt"), {"x"}, TextEncoding::Ansi);
    EXPECT_FALSE(failed);
}

// The code page is converted without the system's converter for speed; it must give what that
// converter gives, byte for byte and character for character.
TEST(EncodeText, Windows1252AgreesWithTheSystemConverter) {
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n')
            every.append(char(b));
    QStringDecoder decoder("windows-1252");
    const TextFile decoded = DecodeText(every);
    EXPECT_EQ(decoded.encoding, TextEncoding::Ansi);
    EXPECT_EQ(decoded.lines, QStringList{decoder(every)});

    int differing = 0;
    for (char16_t c = 1; c < 0x2200; ++c) {
        const QString line(QChar{c});
        QStringEncoder encoder("windows-1252");
        const QByteArray system = encoder(line + "\r\n");
        const QByteArray expected =
            encoder.hasError() ? "\xEF\xBB\xBF" + line.toUtf8() + "\r\n" : system;
        differing += c != '\r' && c != '\n' && EncodeText({line}, TextEncoding::Ansi) != expected;
    }
    EXPECT_EQ(differing, 0);
}

// A deferred write leaves out only the sync: the same whole-or-nothing replacement, the same
// permissions and the same reported failures as a synced one.
TEST(WriteFileSafely, BothDurabilitiesReplaceWholeKeepPermissionsAndFailAlike) {
    for (const Durability durability : {Durability::Synced, Durability::Deferred}) {
        SCOPED_TRACE(int(durability));
        QTemporaryDir dir;
        const QString path = dir.filePath("Heat.html");
        ASSERT_TRUE(WriteFileBytes(path, "old\r\n"));
        ASSERT_TRUE(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        ASSERT_TRUE(WriteFileSafely(path, "new\r\n", durability));
        EXPECT_EQ(ReadFileBytes(path), QByteArray("new\r\n"));
        struct stat status {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0640u);

        const QString missing = dir.filePath("gone/Heat.html");
        const Status refused = WriteFileSafely(missing, "x", durability);
        ASSERT_FALSE(refused);
        EXPECT_TRUE(refused.error().contains(missing)) << refused.error().toStdString();

        Status cut = Success();
        {
            FileSizeLimit limit(16 * 1024);
            ASSERT_TRUE(limit.active());
            cut = WriteFileSafely(path, QByteArray(256 * 1024, 'x'), durability);
        }
        EXPECT_FALSE(cut);
        EXPECT_EQ(ReadFileBytes(path), QByteArray("new\r\n"));
        EXPECT_EQ(FolderNames(dir.path()), QStringList{"Heat.html"});
        EXPECT_TRUE(FolderSync(dir.path()).Sync());
    }
    const Status noFolder = FolderSync("/nonexistent/album").Sync();
    ASSERT_FALSE(noFolder);
    EXPECT_TRUE(noFolder.error().contains("/nonexistent/album"));
}

// Files handed to a FolderSync are stored by its own threads: the pages written through it read
// back whole, even when the process may hold far fewer files open than are written, and a file
// the system cannot store is named in the failure.
TEST(FolderSyncTest, HandedFilesAreStoredAndAFailureNamesTheFile) {
    QTemporaryDir dir;
    {
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        rlimit few = saved;
        few.rlim_cur = QDir("/proc/self/fd").count() + 160;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
        FolderSync sync(dir.path());
        Status written = Success();
        for (int i = 0; i < 600 && written; ++i)
            written = WriteFileSafely(dir.filePath(QString("%1.html").arg(i)),
                                      QByteArray(i * 10, 'p'), sync);
        const Status stored = sync.Sync();
        ::setrlimit(RLIMIT_NOFILE, &saved);
        ASSERT_TRUE(written) << written.error().toStdString();
        EXPECT_TRUE(stored);
    }
    QStringList sizes;
    for (int i : {0, 7, 599})
        sizes << QString::number(ReadFileBytes(dir.filePath(QString("%1.html").arg(i))).size());
    EXPECT_EQ(sizes.join(' '), "0 70 5990");
    EXPECT_EQ(FolderNames(dir.path()).size(), 600); // no temporary file left

    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    ::close(pipe[1]);
    FolderSync sync(dir.path());
    sync.Adopt(pipe[0], "/album/Heat.html"); // a pipe cannot be synced
    const Status stored = sync.Sync();
    ASSERT_FALSE(stored);
    EXPECT_EQ(stored.error(), "Cannot store /album/Heat.html on disk: Invalid argument");
}

// Through a FolderSync a new name is written directly and an existing one replaced whole: a write
// cut short leaves the old file, or for a new name no file at all, and never a temporary one.
TEST(FolderSyncTest, ACutWriteLeavesTheOldFileOrNoneAndAReplacementKeepsPermissions) {
    QTemporaryDir dir;
    const QString old = dir.filePath("Heat.html");
    ASSERT_TRUE(WriteFileBytes(old, "old\r\n"));
    ASSERT_TRUE(QFile::setPermissions(old, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    FolderSync sync(dir.path());
    for (const QString& path : {old, dir.filePath("Ronin.html")}) {
        SCOPED_TRACE(path.toStdString());
        Status cut = Success();
        {
            FileSizeLimit limit(16 * 1024);
            ASSERT_TRUE(limit.active());
            cut = WriteFileSafely(path, QByteArray(256 * 1024, 'x'), sync);
        }
        ASSERT_FALSE(cut);
        EXPECT_EQ(cut.error(), "Cannot write " + path + ": File too large");
        EXPECT_EQ(FolderNames(dir.path()), QStringList{"Heat.html"});
        EXPECT_EQ(ReadFileBytes(old), QByteArray("old\r\n"));
    }
    ASSERT_TRUE(WriteFileSafely(old, "new\r\n", sync));
    ASSERT_TRUE(WriteFileSafely(dir.filePath("Ronin.html"), "ronin\r\n", sync));
    ASSERT_TRUE(sync.Sync());
    EXPECT_EQ(ReadFileBytes(old), QByteArray("new\r\n"));
    EXPECT_EQ(ReadFileBytes(dir.filePath("Ronin.html")), QByteArray("ronin\r\n"));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(old).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderNames(dir.path()), (QStringList{"Heat.html", "Ronin.html"}));
}

TEST_F(FullDisk, ADeferredSaveThatDoesNotFitFailsWithTheSystemsReasonAndLeavesTheOldFile) {
    const QString path = folder + "/Heat.html";
    ASSERT_TRUE(WriteFileBytes(path, "old\r\n"));
    FolderSync sync(folder);
    for (const qint64 spaceLeft : {qint64(0), qint64(8192)}) {
        ASSERT_TRUE(disk->Fill("filler", spaceLeft));
        const Status status = WriteFileSafely(path, QByteArray(12040, 'x'), Durability::Deferred);
        ASSERT_FALSE(status);
        EXPECT_TRUE(status.error().contains(path)) << status.error().toStdString();
        EXPECT_TRUE(status.error().contains("No space left on device"))
            << status.error().toStdString();
        EXPECT_EQ(ReadFileBytes(path), QByteArray("old\r\n"));
        EXPECT_EQ(FolderNames(folder), QStringList{"Heat.html"});
    }
    EXPECT_TRUE(sync.Sync());
}

} // namespace
} // namespace quorvel
