#include "platform/connection.h"
#include "platform/shell.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace quorvel {
namespace {

// Stands in for the desktop's handlers: Qt hands it every address of the schemes it claims,
// so nothing is launched.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;

    UrlRecorder() {
        for (const char* scheme : {"file", "http", "https", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlRecorder() override {
        for (const char* scheme : {"file", "http", "https", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

TEST(DesktopShellTest, WebAndMailAddressesGoOutAsWritten) {
    UrlRecorder recorder;
    DesktopShell shell;
    const QString addresses[] = {
        QStringLiteral("https://www.google.com/search?q=Blade+Runner"),
        QStringLiteral("https://www.youtube.com/results?search_query=Blade+Runner+trailer"),
        QStringLiteral("http://www.omdbapi.com/?t=L%C3%A9on&plot=full"),
        QStringLiteral("mailto:someone@example.com?subject=Quorvel"),
    };
    for (const QString& address : addresses)
        EXPECT_TRUE(shell.OpenWithDefaultHandler(address)) << address.toStdString();
    ASSERT_EQ(recorder.opened.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(recorder.opened[i].toString(QUrl::FullyEncoded), addresses[i]);
}

TEST(DesktopShellTest, PathsOpenAsLocalFiles) {
    UrlRecorder recorder;
    DesktopShell shell;
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("My Album/index #1.html"));
    EXPECT_TRUE(shell.OpenWithDefaultHandler(page));
    // A relative path is taken from the current folder, not mistaken for an address.
    EXPECT_TRUE(shell.OpenWithDefaultHandler(QStringLiteral("Help/Quorvel.html")));
    EXPECT_FALSE(shell.OpenWithDefaultHandler(QString()));

    ASSERT_EQ(recorder.opened.size(), 2);
    EXPECT_TRUE(recorder.opened[0].isLocalFile());
    EXPECT_EQ(recorder.opened[0].toLocalFile(), page);
    EXPECT_EQ(recorder.opened[1].toLocalFile(),
              QDir::current().absoluteFilePath(QStringLiteral("Help/Quorvel.html")));
}

TEST(DesktopShellTest, OnlyAnExistingFolderIsOpened) {
    UrlRecorder recorder;
    DesktopShell shell;
    QTemporaryDir dir;
    EXPECT_TRUE(shell.OpenFolder(dir.path()));
    EXPECT_FALSE(shell.OpenFolder(dir.filePath(QStringLiteral("Album"))));
    EXPECT_FALSE(shell.OpenFolder(QString()));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl::fromLocalFile(dir.path()));
}

// The kernel's own answer, read without Qt: an interface other than loopback, up and running,
// with an IPv4 or IPv6 address.
bool KernelSaysOnline() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool online = false;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if ((flags & IFF_LOOPBACK) || !(flags & IFF_UP) || !(flags & IFF_RUNNING))
            continue;
        if (entry->ifa_addr &&
            (entry->ifa_addr->sa_family == AF_INET || entry->ifa_addr->sa_family == AF_INET6))
            online = true;
    }
    freeifaddrs(list);
    return online;
}

TEST(NetworkConnectionTest, AgreesWithTheKernelsInterfaceList) {
    // The machine's interfaces are what they are; this only checks that the same rule read
    // two ways gives the same answer here.
    NetworkConnection connection;
    EXPECT_EQ(connection.IsOnline(), KernelSaysOnline());
}

} // namespace
} // namespace quorvel

#include "desktop_test.moc"
