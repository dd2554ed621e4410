#include "core/textfile.h"
#include "tests/core/core_test_files.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

using test::FolderNames;
using test::ReadBytes;
using test::WriteBytes;

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
    ASSERT_TRUE(WriteBytes(path, "Am\xC3\xA9lie\nna\xC3\xAFve\n\nend\n"));
    const Result<TextFile> read = ReadTextFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->encoding, TextEncoding::Utf8);
    ASSERT_TRUE(WriteTextFile(path, read->lines, read->encoding));
    EXPECT_EQ(ReadBytes(path), QByteArray("Am\xC3\xA9lie\r\nna\xC3\xAFve\r\n\r\nend\r\n"));
}

TEST(TextFile, AMissingFileIsAFailureWithItsPath) {
    QTemporaryDir dir;
    const QString path = dir.filePath("absent.txt");
    const Result<TextFile> read = ReadTextFile(path);
    ASSERT_FALSE(read);
    EXPECT_TRUE(read.error().contains(path));
}

// ---- Safe replacement ----

TEST(WriteFileSafely, AWriteIntoAMissingOrNonFolderFailsAndCreatesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(WriteBytes(dir.filePath("plain"), "x"));
    const QString paths[] = {dir.filePath("missing/record.txt"), dir.filePath("plain/record.txt")};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        const Status status = WriteFileSafely(path, "data\r\n");
        ASSERT_FALSE(status);
        EXPECT_TRUE(status.error().contains(path));
        EXPECT_FALSE(QFileInfo::exists(path));
    }
    EXPECT_EQ(FolderNames(dir.path()), QStringList{"plain"});
    EXPECT_EQ(ReadBytes(dir.filePath("plain")), QByteArray("x"));
}

TEST(WriteFileSafely, ASuccessfulWriteReplacesTheFileByRenameNotInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Heat.txt");
    const QString link = dir.filePath("old-link");
    ASSERT_TRUE(WriteBytes(path, "old content\r\n"));
    // A second name for the old file: truncating in place would change it too.
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);

    ASSERT_TRUE(WriteFileSafely(path, "new\r\n"));
    EXPECT_EQ(ReadBytes(path), QByteArray("new\r\n"));
    EXPECT_EQ(ReadBytes(link), QByteArray("old content\r\n"));
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
    ASSERT_TRUE(WriteBytes(path, old));
    const QByteArray big(256 * 1024, 'x');
    Status status = Success();
    {
        FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.active());
        status = WriteFileSafely(path, big);
    }
    EXPECT_FALSE(status);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(FolderNames(dir.path()), QStringList{"Heat.txt"});
}

TEST(WriteTextFile, ReportsTheEncodingReallyWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Lodz.txt");
    const Result<TextEncoding> written = WriteTextFile(path, {kLodz}, TextEncoding::Ansi);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, TextEncoding::Utf8Bom);
    EXPECT_EQ(ReadBytes(path), QByteArray("\xEF\xBB\xBF") + kLodz.toUtf8() + "\r\n");

    const Result<TextEncoding> failed =
        WriteTextFile(dir.filePath("none/x.txt"), {"x"}, TextEncoding::Ansi);
    EXPECT_FALSE(failed);
}

} // namespace
} // namespace quorvel
