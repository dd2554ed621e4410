// The real executable where users cannot write (a system install under /usr, a locked-down
// drive): its data must go to the user's own data folder, and the portable folders with it.
// From a folder it can write, everything stays beside it.

#include "tests/support/fake_web_server.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

#include <unistd.h>

namespace quorvel {
namespace {

using test::WriteFileBytes;

TEST(InstalledProgram, KeepsItsDataBesideItselfOnlyWhereItCanWrite) {
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only prefix" : "writable prefix");
        QTemporaryDir temp;
        const QString bin = temp.path() + "/prefix/bin";
        const QString dataHome = temp.path() + "/data";
        ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(temp.path() + "/home"));
        std::unique_ptr<test::SmallFileSystem> mount;
        if (readOnly && ::geteuid() == 0) {
            // Root writes through any permission bits; only a read-only mount stops it.
            mount = std::make_unique<test::SmallFileSystem>(bin, 512 * 1024);
            if (!mount->mounted())
                GTEST_SKIP() << mount->skipReason().toStdString();
        }
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVEL_EXECUTABLE), bin + "/quorvel"));
        std::unique_ptr<test::ReadOnlyFolder> locked;
        if (readOnly)
            locked = std::make_unique<test::ReadOnlyFolder>(bin);
        const QString expected = readOnly ? dataHome + "/Quorvel/" : bin + "/";

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dataHome);
        env.insert("HOME", temp.path() + "/home");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");

        // Asking what the program is, or how to use it, leaves no folder behind.
        for (const QStringList& arguments :
             {QStringList{"--version"}, {"--help"}, {"add", "--help"}, {"fetch"}}) {
            QProcess asked;
            asked.setProcessEnvironment(env);
            asked.start(bin + "/quorvel", arguments);
            ASSERT_TRUE(asked.waitForFinished(30000));
            EXPECT_FALSE(QFileInfo::exists(dataHome)) << arguments.join(' ').toStdString();
        }

        test::FakeWebServer server;
        server.serveOmdbTitle("The Shawshank Redemption", "omdb/shawshank.json");
        server.serveFixture("/posters/shawshank.jpg", "omdb/poster.jpg", "image/jpeg");
        ASSERT_TRUE(QDir().mkpath(expected));
        ASSERT_TRUE(WriteFileBytes(expected + "Options.ini",
                                   ("[Settings]\r\nOmdbAddress=" + server.baseAddress() +
                                    "\r\nOmdbApiKey=k\r\nPortable Mode=1\r\n")
                                       .toUtf8()));

        // The command line reads that Options.ini (the server's address is only there) and
        // saves into the default collection folder, the application folder.
        QProcess add;
        add.setProcessEnvironment(env);
        add.start(bin + "/quorvel", {"add", "-"});
        ASSERT_TRUE(add.waitForStarted());
        add.write("The Shawshank Redemption\n");
        add.closeWriteChannel();
        ASSERT_TRUE(add.waitForFinished(60000));
        EXPECT_EQ(add.exitCode(), 0) << add.readAllStandardOutput().toStdString()
                                     << add.readAllStandardError().toStdString();
        EXPECT_TRUE(QFileInfo::exists(expected + "The Shawshank Redemption.txt"));
        EXPECT_TRUE(QFileInfo::exists(expected + "The Shawshank Redemption.jpg"));

        // The windows' portable start makes its folders in the same application folder.
        QProcess windows;
        windows.setProcessEnvironment(env);
        windows.start(bin + "/quorvel", {});
        ASSERT_TRUE(windows.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (!(QFileInfo(expected + "Movie").isDir() && QFileInfo(expected + "Album").isDir()) &&
               waited.elapsed() < 60000 && windows.state() == QProcess::Running)
            QThread::msleep(100);
        EXPECT_TRUE(QFileInfo(expected + "Movie").isDir()) << windows.readAll().toStdString();
        EXPECT_TRUE(QFileInfo(expected + "Album").isDir());
        windows.kill();
        windows.waitForFinished(10000);
        if (readOnly) {
            EXPECT_EQ(QDir(bin).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                      QStringList{"quorvel"});
        }
    }
}

} // namespace
} // namespace quorvel
