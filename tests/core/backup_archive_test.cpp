#include "core/backup_archive.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <csignal>

#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel {
namespace {

using test::FolderNames;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(BackupNameTest, DateAndTimeBecomeOneFileName) {
    struct Row {
        const char* date;
        const char* time;
        const char* expected;
    };
    const QDateTime at(QDate(2016, 12, 8), QTime(15, 4, 5));
    for (const Row& row : {Row{"M/d/yyyy", "h:mm:ss AP", "QVL_Backup_12-8-2016_3-04-05_PM"},
                           Row{"dd.MM.yyyy", "HH:mm:ss", "QVL_Backup_08.12.2016_15-04-05"},
                           Row{"d MMM yyyy", "HH:mm", "QVL_Backup_8_Dec_2016_15-04"}}) {
        EXPECT_EQ(GenerateBackupName(at, row.date, row.time, QLocale::c()), row.expected)
            << row.date;
    }
}

TEST(BackupNameTest, RefusedKeysBecomeUnderscoresAndZipIsAlwaysAppended) {
    for (char key : QByteArray("\"*/:<>?\\|"))
        EXPECT_EQ(BackupNameKey(QLatin1Char(key)), QLatin1Char('_')) << key;
    for (char key : QByteArray("aZ9 ._-"))
        EXPECT_EQ(BackupNameKey(QLatin1Char(key)), QLatin1Char(key)) << key;
    EXPECT_EQ(BackupArchivePath("/b", "old.zip"), "/b/old.zip.zip");
    EXPECT_EQ(BackupArchivePath("/b/", "new"), "/b/new.zip");
}

TEST(StoredEntryNameTest, MemberNamesFollowTheBaseFolder) {
    struct Row {
        const char* path;
        const char* base;
        const char* expected;
    };
    for (const Row& row : {
             Row{"/home/u/Movies/Heat.txt", "/home/u/Movies", "Heat.txt"},
             Row{"/home/u/Movies/Heat.jpg", "/home/u/Movies/", "Heat.jpg"},
             Row{"C:\\Data\\Movie\\Heat.txt", "C:\\Backups", "Data/Movie/Heat.txt"},
             Row{"C:\\Data\\Movie\\Heat.txt", "C:\\Data", "Movie/Heat.txt"},
             Row{"\\\\server\\share\\Movie\\Heat.txt", "C:\\Backups", "share/Movie/Heat.txt"},
             Row{"/home/u/Movies/Heat.txt", "/media/usb", "home/u/Movies/Heat.txt"},
             // A sibling whose name starts like the base folder is outside it.
             Row{"/home/u/Movies2/Heat.txt", "/home/u/Movies", "home/u/Movies2/Heat.txt"},
             // Colons are ordinary in names here; only a drive prefix goes.
             Row{"/m/Alien: Covenant.txt", "/m", "Alien: Covenant.txt"},
         }) {
        EXPECT_EQ(StoredEntryName(row.path, row.base), row.expected) << row.path;
    }
}

TEST(BackupProgressTest, PercentBeforeEachEntry) {
    QStringList shown;
    for (int i = 0; i < 11; ++i)
        shown << QString::number(BackupProgressAt(i, 11).percent);
    EXPECT_EQ(shown.join(' '), "10 10 20 30 40 50 60 70 80 90 100");
    EXPECT_EQ(BackupProgressAt(0, 11).position, 1);
    EXPECT_EQ(BackupProgressAt(0, 1).percent, 100);
    EXPECT_EQ(BackupProgressAt(1, 2).percent, 100);
    // Adding the members walks the first half of the bar, writing them the second.
    QStringList rows;
    for (ArchiveStage stage : {ArchiveStage::Adding, ArchiveStage::Writing})
        for (int row : {0, 1, 2, 9, 10})
            rows << QString::number(BackupRowAt(row, stage, 11));
    EXPECT_EQ(rows.join(' '), "0 0 1 4 5 5 5 6 9 10");
}

// What other tools see in an archive: Info-ZIP's test and the names it restores, the names 7-Zip
// lists, and Python's reading of names, methods, flags and contents.
struct Inspection {
    int unzipExit = -1;
    QString unzipOutput;
    QStringList unzipRestored;
    QStringList sevenZipNames;
    QString python; // one line per member: name|method|utf8 flag|sha of content
};

QByteArray Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C.UTF-8"); // names come out as the UTF-8 the file system takes
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput() + process.readAllStandardError();
}

Inspection Inspect(const QString& archive) {
    Inspection out;
    QProcess unzip;
    unzip.start("unzip", {"-t", archive});
    unzip.waitForFinished(60000);
    out.unzipExit = unzip.exitStatus() == QProcess::NormalExit ? unzip.exitCode() : -1;
    out.unzipOutput = QString::fromLocal8Bit(unzip.readAll());
    QTemporaryDir restored;
    Run("unzip", {"-q", archive, "-d", restored.path()});
    out.unzipRestored = FolderNames(restored.path());
    for (const QString& line :
         QString::fromUtf8(Run("7z", {"l", "-slt", "-ba", archive})).split('\n'))
        if (line.startsWith("Path = "))
            out.sevenZipNames << line.mid(7);
    out.sevenZipNames.sort();
    out.python = QString::fromUtf8(
        Run("python3", {"-c",
                        "import sys, zipfile, hashlib\n"
                        "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
                        "  d = zipfile.ZipFile(sys.argv[1]).read(i.filename)\n"
                        "  print(i.filename, i.compress_type, i.flag_bits >> 11 & 1,\n"
                        "        hashlib.sha1(d).hexdigest()[:8], sep='|')\n",
                        archive}));
    return out;
}

QString Sha(const QByteArray& bytes) {
    return QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(8));
}

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Put(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }
    static QByteArray Noise(int size) {
        QByteArray bytes(size, '\0');
        QRandomGenerator generator(7);
        generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
        return bytes;
    }
    QTemporaryDir dir;
};

TEST_F(ArchiveTest, OtherToolsReadNamesMethodsAndContents) {
    const QByteArray text = QByteArray("Heat\r\n\r\nTYPE\r\nmovie\r\n").repeated(50);
    const QByteArray picture = Noise(60000);
    struct Row {
        QString name;
        QByteArray bytes;
        const char* methodAndFlag; // 8 deflate, 0 stored; UTF-8 flag
    };
    const QList<Row> rows{
        {"Heat.txt", text, "8|0"},
        {"Heat.jpg", picture, "0|0"},
        {QString::fromUtf8("Amélie.txt"), text, "8|1"}, // CP437 could hold it, unzip would not
        {QString::fromUtf8("Léon Çà ñ ß.jpg"), picture, "0|1"},
        {QString::fromUtf8("千と千尋.txt"), text, "8|1"},
        {"tiny.txt", "ab", "0|0"},
        {"empty.txt", "", "0|0"},
    };
    QList<ArchiveMember> members;
    QString expected;
    QStringList names;
    for (const Row& row : rows) {
        members << ArchiveMember{Put(row.name, row.bytes), row.name};
        expected += row.name + "|" + row.methodAndFlag + "|" + Sha(row.bytes) + "\n";
        names << row.name;
    }
    names.sort();
    // A second entry of one name is written once.
    members << members.first();
    QStringList opened;
    const QString archive = dir.filePath("out.zip");
    const Result<int> written = WriteZipArchive(archive, members, [&](int i, ArchiveStage stage) {
        opened << (stage == ArchiveStage::Adding ? "a" : "w") + QString::number(i);
    });
    ASSERT_TRUE(written) << written.error().toStdString();
    EXPECT_EQ(*written, rows.size());
    EXPECT_EQ(opened.join(' '), "a0 a1 a2 a3 a4 a5 a6 w0 w1 w2 w3 w4 w5 w6");

    const Inspection seen = Inspect(archive);
    EXPECT_EQ(seen.unzipExit, 0) << seen.unzipOutput.toStdString();
    EXPECT_EQ(seen.unzipRestored.join(" / ").toStdString(), names.join(" / ").toStdString());
    EXPECT_EQ(seen.sevenZipNames.join(" / ").toStdString(), names.join(" / ").toStdString());
    EXPECT_EQ(seen.python.toStdString(), expected.toStdString());
    const Result<int> verified = VerifyZipArchive(archive);
    ASSERT_TRUE(verified) << verified.error().toStdString();
    EXPECT_EQ(*verified, rows.size());
}

TEST_F(ArchiveTest, VerificationNamesTheFirstDamagedMember) {
    const QByteArray text = QByteArray("Heat\r\nTYPE\r\nmovie\r\n").repeated(100);
    const QList<ArchiveMember> members{{Put("A.txt", "first member, stored"), "A.txt"},
                                       {Put("B.txt", text), "B.txt"}};
    const QString archive = dir.filePath("out.zip");
    ASSERT_TRUE(WriteZipArchive(archive, members));
    QByteArray bytes = ReadFileBytes(archive);
    // The stored member's data follows its 30-byte header and name: flip one of its bytes.
    const qsizetype data = bytes.indexOf("first member");
    ASSERT_GT(data, 0);
    bytes[data] = 'F';
    ASSERT_TRUE(WriteFileBytes(archive, bytes));
    const Result<int> verified = VerifyZipArchive(archive);
    ASSERT_FALSE(verified);
    EXPECT_TRUE(verified.error().startsWith("A.txt: ")) << verified.error().toStdString();
}

// Whichever way the bytes travel, the archive is the same file, byte for byte; a member larger
// than one read, a date before 1980 and names beyond ASCII included.
TEST_F(ArchiveTest, EveryWayOfCopyingWritesTheSameBytes) {
    const QByteArray text = QByteArray("Heat\r\n\r\nTYPE\r\nmovie\r\n").repeated(400);
    QList<ArchiveMember> members;
    for (const auto& [name, bytes] : std::initializer_list<std::pair<QString, QByteArray>>{
             {"Heat.txt", text},
             {"Heat.jpg", Noise(700000)},
             {QString::fromUtf8("Léon Çà.jpg"), Noise(4096)},
             {QString::fromUtf8("千と千尋.txt"), text.left(999)},
             {"empty.txt", ""},
             {"tiny.txt", "ab"},
             {"long.txt", text.repeated(600)}, // deflated in a second reading
         })
        members << ArchiveMember{Put(name, bytes), name};
    const timeval old[2] = {{158000000, 0}, {158000000, 0}}; // 1975
    ASSERT_EQ(::utimes(QFile::encodeName(members[1].path).constData(), old), 0);
    members << members.first();
    QList<QByteArray> archives;
    for (ArchiveCopy copy : {ArchiveCopy::ByLibzip, ArchiveCopy::InKernel,
                             ArchiveCopy::ThroughMemory}) {
        const QString archive = dir.filePath(QString("out%1.zip").arg(int(copy)));
        const Result<int> written = WriteZipArchive(archive, members, {},
                                                    ArchiveTemporary::Unnamed, copy);
        ASSERT_TRUE(written) << written.error().toStdString();
        EXPECT_EQ(*written, 7);
        archives << ReadFileBytes(archive);
    }
    EXPECT_GT(archives[0].size(), 700000);
    EXPECT_TRUE(archives[1] == archives[0]);
    EXPECT_TRUE(archives[2] == archives[0]);
}

// However a write ends, the folder holds one whole archive of the name and nothing else: the new
// one when it was written whole, else the older one as it was.
TEST_F(ArchiveTest, AnOlderArchiveIsReplacedOnlyByAWholeOne) {
    enum class Cause { None, MemberVanishes, DiskFull, ReadOnlyFolder };
    for (ArchiveTemporary temporary : {ArchiveTemporary::Unnamed, ArchiveTemporary::Named}) {
        for (Cause cause :
             {Cause::None, Cause::MemberVanishes, Cause::DiskFull, Cause::ReadOnlyFolder}) {
            SCOPED_TRACE(QString("temporary %1, cause %2")
                             .arg(int(temporary))
                             .arg(int(cause))
                             .toStdString());
            QTemporaryDir target;
            const QString archive = target.filePath("QVL.zip");
            const QByteArray old = "an older archive";
            std::unique_ptr<test::SmallFileSystem> small;
            std::unique_ptr<test::ReadOnlyFolder> readOnly;
            if (cause == Cause::DiskFull || (cause == Cause::ReadOnlyFolder && ::geteuid() == 0)) {
                small = std::make_unique<test::SmallFileSystem>(target.path(), 64);
                if (!small->mounted()) {
                    ADD_FAILURE() << small->skipReason().toStdString();
                    continue;
                }
            }
            ASSERT_TRUE(WriteFileBytes(archive, old));
            if (cause == Cause::ReadOnlyFolder)
                readOnly = std::make_unique<test::ReadOnlyFolder>(target.path());
            const QList<ArchiveMember> members{{Put("A.jpg", Noise(200000)), "A.jpg"},
                                               {Put("B.txt", "text"), "B.txt"}};
            const Result<int> written = WriteZipArchive(
                archive, members,
                [&](int i, ArchiveStage stage) {
                    if (cause == Cause::MemberVanishes && i == 0 && stage == ArchiveStage::Writing)
                        QFile::remove(members[1].path);
                },
                temporary);
            EXPECT_EQ(FolderNames(target.path()).join(" / ").toStdString(), "QVL.zip");
            if (cause == Cause::None) {
                ASSERT_TRUE(written) << written.error().toStdString();
                const Result<int> verified = VerifyZipArchive(archive);
                EXPECT_TRUE(verified && *verified == 2) << verified.error().toStdString();
                continue;
            }
            ASSERT_FALSE(written);
            EXPECT_TRUE(written.error().startsWith(cause == Cause::MemberVanishes ? members[1].path
                                                                                  : archive))
                << written.error().toStdString();
            EXPECT_EQ(ReadFileBytes(archive), old);
        }
    }
}

// A process killed while it writes the archive leaves the older archive and nothing else.
TEST_F(ArchiveTest, AKilledWriteLeavesNothingBehind) {
    const QString archive = dir.filePath("QVL.zip");
    ASSERT_TRUE(WriteFileBytes(archive, "an older archive"));
    const QList<ArchiveMember> members{{Put("A.jpg", Noise(400000)), "A.jpg"},
                                       {Put("B.jpg", Noise(400000)), "B.jpg"}};
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Killed as the second member is read, the first one already in the file.
        (void)WriteZipArchive(archive, members, [](int i, ArchiveStage stage) {
            if (i == 1 && stage == ArchiveStage::Writing)
                ::raise(SIGKILL);
        });
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_EQ(FolderNames(dir.path()).join(" / ").toStdString(), "A.jpg / B.jpg / QVL.zip");
    EXPECT_EQ(ReadFileBytes(archive), "an older archive");
}

} // namespace
} // namespace quorvel
