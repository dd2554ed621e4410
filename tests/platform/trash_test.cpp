// The freedesktop.org trash: where a recycled file goes and what is written beside it.

#include "platform/shell.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>

namespace quorvel {
namespace {

using test::FolderNames;
using test::ReadFileBytes;
using test::WriteFileBytes;

const QDateTime kWhen(QDate(2016, 3, 7), QTime(14, 25, 9));

TEST(MoveToTrash, MovesTheFileAndRecordsWhereItCameFromUnderAFreeName) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/My Movies";
    const QString trash = dir.path() + "/share/Trash"; // nothing of it exists yet
    ASSERT_TRUE(QDir().mkpath(folder));
    struct Row {
        QString name, trashName;
    };
    const std::vector<Row> rows = {
        {"Heat.txt", "Heat.txt"}, {"Heat.txt", "Heat.2.txt"}, {"Léon%.txt", "Léon%.txt"},
        {"README", "README"},     {"README", "README.2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.trashName.toStdString());
        const QString path = folder + "/" + row.name;
        ASSERT_TRUE(WriteFileBytes(path, row.trashName.toUtf8()));
        ASSERT_TRUE(MoveToTrash(path, trash, kWhen).ok());
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_EQ(ReadFileBytes(trash + "/files/" + row.trashName), row.trashName.toUtf8());
        const QByteArray encodedPath =
            (dir.path() + "/My%20Movies/").toUtf8() + QUrl::toPercentEncoding(row.name);
        EXPECT_EQ(ReadFileBytes(trash + "/info/" + row.trashName + ".trashinfo"),
                  "[Trash Info]\nPath=" + encodedPath + "\nDeletionDate=2016-03-07T14:25:09\n");
    }
    // The trash is the user's own: every folder made for it is private.
    for (const QString& made : {dir.path() + "/share", trash, trash + "/files", trash + "/info"}) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(made).constData(), &info), 0) << made.toStdString();
        EXPECT_EQ(info.st_mode & 07777, 0700u) << made.toStdString();
    }
}

TEST(MoveToTrash, FailsWithoutLeavingATraceWhenTheFileCannotGo) {
    QTemporaryDir dir;
    const QString trash = dir.path() + "/Trash";
    const QString locked = dir.path() + "/locked";
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_TRUE(WriteFileBytes(locked + "/Heat.txt", "x"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    const bool root = ::geteuid() == 0; // root may move out of a read-only folder
    struct Row {
        const char* name;
        QString path;
        bool fails;
    };
    const std::vector<Row> rows = {
        {"missing file", dir.path() + "/none.txt", true},
        {"a folder", locked, true},
        {"read-only folder", locked + "/Heat.txt", !root},
    };
    for (const Row& row : rows) {
        const Status moved = MoveToTrash(row.path, trash, kWhen);
        EXPECT_EQ(!moved.ok(), row.fails) << row.name;
        if (row.fails) {
            EXPECT_FALSE(moved.error().isEmpty()) << row.name;
        }
    }
    if (!root) {
        EXPECT_EQ(FolderNames(trash + "/info"), QStringList{});
    }
    EXPECT_FALSE(MoveToTrash(dir.path() + "/x", QString(), kWhen).ok());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(UserTrashFolder, FollowsXdgDataHomeWhenItIsAbsolute) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/data/home");
    EXPECT_EQ(UserTrashFolder(), "/data/home/Trash");
    qputenv("XDG_DATA_HOME", "relative");
    EXPECT_EQ(UserTrashFolder(), QDir::homePath() + "/.local/share/Trash");
    qputenv("XDG_DATA_HOME", saved);
}

} // namespace
} // namespace quorvel
