#include "platform/shell.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

namespace quorvel {
namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A page becomes a link to its URL, the program a launcher of itself; a second request for
// the same name leaves the first launcher alone.
TEST(DesktopShortcut, WrittenOnceAsADesktopEntryAndRefusedTheSecondTime) {
    QTemporaryDir dir;
    const QString album = dir.filePath("My Album #1");
    const QString desktop = dir.filePath("Desktop");
    ASSERT_TRUE(QDir().mkpath(album));
    QFile page(album + "/index.html");
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    QFile program(dir.filePath("quorvel $1"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    ASSERT_TRUE(program.setPermissions(program.permissions() | QFile::ExeOwner));

    struct Row {
        QString target;
        QString entry;
        QByteArray contents;
    };
    const Row rows[] = {
        {album + "/index.html", desktop + "/index.html.desktop",
         "[Desktop Entry]\nVersion=1.0\nType=Link\nURL=file://" +
             QUrl::toPercentEncoding(album, "/") + "/index.html\nName=index.html\n"},
        {program.fileName(), desktop + "/quorvel $1.desktop",
         "[Desktop Entry]\nVersion=1.0\nType=Application\nExec=\"" + dir.path().toUtf8() +
             "/quorvel \\\\$1\"\nPath=" + dir.path().toUtf8() + "\nName=quorvel $1\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.target.toStdString());
        const Result<bool> first = WriteDesktopEntry(row.target, desktop);
        ASSERT_TRUE(first) << first.error().toStdString();
        EXPECT_TRUE(*first);
        EXPECT_EQ(Contents(row.entry), row.contents);
        EXPECT_TRUE(QFileInfo(row.entry).isExecutable());

        QFile entry(row.entry);
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("kept");
        entry.close();
        const Result<bool> second = WriteDesktopEntry(row.target, desktop);
        ASSERT_TRUE(second);
        EXPECT_FALSE(*second);
        EXPECT_EQ(Contents(row.entry), "kept");
    }
}

TEST(DesktopShortcut, TheDesktopIsXdgDesktopDirWhenSet) {
    const QByteArray saved = qgetenv("XDG_DESKTOP_DIR");
    qputenv("XDG_DESKTOP_DIR", "/tmp/some desktop");
    EXPECT_EQ(DesktopFolder(), "/tmp/some desktop");
    qunsetenv("XDG_DESKTOP_DIR");
    if (!saved.isEmpty())
        qputenv("XDG_DESKTOP_DIR", saved);
}

} // namespace
} // namespace quorvel
