#include "online/update.h"
#include "tests/support/fake_web_server.h"
#include "tests/support/test_files.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvel {
namespace {

using test::FakeWebServer;

const QString kMarker = QStringLiteral("<p>***version***</p>");

TEST(WebVersion, TakesSevenCharactersAfterTheLastMarker) {
    EXPECT_EQ(ParseWebVersion("<html>\r\n" + kMarker + "\r\n<p>1.7.1.1</p>\r\n</html>\r\n"),
              QStringLiteral("1.7.1.1"));
    EXPECT_EQ(ParseWebVersion(kMarker + "\n<p>1.6.0.0</p>\n" + kMarker + "\n<p>1.7.1.0</p>\n"),
              QStringLiteral("1.7.1.0"));
    // A longer version is cut to its first seven characters; lone CR ends lines too.
    EXPECT_EQ(ParseWebVersion("x\r" + kMarker + "\r<p>1.10.2.3</p>"), QStringLiteral("1.10.2."));
    EXPECT_EQ(ParseWebVersion(kMarker + "\r\n<p>1.7.1.1"),
              QStringLiteral("1.7.1.1")); // 10 characters
    // A stray half of a surrogate pair elsewhere on the page does not hide the version.
    EXPECT_EQ(ParseWebVersion(QString(QChar(0xD800)) + "\r\n" + kMarker + "\r\n<p>1.7.1.1</p>"),
              QStringLiteral("1.7.1.1"));
}

TEST(WebVersion, NothingWithoutAUsableVersionLine) {
    const QString pages[] = {
        QString(),
        QStringLiteral("<html><p>1.7.1.1</p></html>"),
        kMarker + " \r\n<p>1.7.1.1</p>\r\n",      // trailing blank: not a marker
        " " + kMarker + "\r\n<p>1.7.1.1</p>\r\n", // leading blank
        "<P>***VERSION***</P>\r\n<p>1.7.1.1</p>", // other case
        "<p>1.7.1.1</p>\r\n" + kMarker,           // marker is the last line
        "<p>1.7.1.1</p>\r\n" + kMarker + "\r\n",
        kMarker + "\r\n<p>1.7.1.\r\n", // 9 characters
        kMarker + "\r\n<p>1.7.1.1</p>\r\n" + kMarker + "\r\n\r\n",
    };
    for (const QString& page : pages)
        EXPECT_EQ(ParseWebVersion(page), std::nullopt) << page.toStdString();
}

TEST(WebVersion, FetchesTheUpdatePageOrNothing) {
    FakeWebServer server;
    const std::string page = "<html>\r\n<p>***version***</p>\r\n<p>1.7.1.0</p>\r\n</html>\r\n";
    server.serveText("/QVLUpdate.html", page);
    const QString text = FetchWebVersion(server.baseAddress());
    EXPECT_EQ(text, QString::fromStdString(page));
    EXPECT_EQ(ParseWebVersion(text), QStringLiteral("1.7.1.0"));
    EXPECT_NE(ParseWebVersion(text), BuildVersion());

    FakeWebServer missing; // no routes: 404
    EXPECT_TRUE(FetchWebVersion(missing.baseAddress()).isEmpty());
    EXPECT_EQ(missing.requestCount("/QVLUpdate.html"), 1);
}

TEST(WanIp, ReadsTheIpMemberOrShowsTheAnswer) {
    FakeWebServer server;
    server.serveText("/json", R"({"ip":"203.0.113.7","city":"Nowhere"})", "application/json");
    server.serveText("/plain", "203.0.113.8", "text/plain");
    server.serveText("/other", R"({"address":"203.0.113.9"})", "application/json");
    server.serveText("/down", "gone", "text/plain", 503);

    EXPECT_EQ(WanIpAddress(server.address("/json")), QStringLiteral("203.0.113.7"));
    EXPECT_EQ(WanIpAddress(server.address("/plain")), QStringLiteral("203.0.113.8"));
    EXPECT_EQ(WanIpAddress(server.address("/other")),
              QStringLiteral(R"({"address":"203.0.113.9"})"));
    EXPECT_TRUE(WanIpAddress(server.address("/down")).isEmpty());
    server.stop();
    EXPECT_TRUE(
        WanIpAddress(server.address("/json"), HttpSettings{.totalTimeoutMs = 1000}).isEmpty());
}

TEST(Version, TheExecutableCarriesItsOwnVersion) {
    EXPECT_EQ(BuildVersion(), QStringLiteral(QUORVEL_VERSION_TEXT));
    // This test program links the online library, so its file holds the same version.
    EXPECT_EQ(ReadFileVersion(QCoreApplication::applicationFilePath()), BuildVersion());
}

TEST(Version, FilesWithoutAVersionGiveNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Spelled backwards here so this program's own bytes hold no second marker.
    std::string marker = ":NOISREV-ELIF-LEVROUQ";
    std::reverse(marker.begin(), marker.end());

    const auto write = [&](const char* name, const std::string& bytes) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(test::WriteFileBytes(path, QByteArray::fromStdString(bytes)));
        return path;
    };
    EXPECT_TRUE(ReadFileVersion(write("plain.bin", std::string(4096, 'z'))).isEmpty());
    EXPECT_TRUE(ReadFileVersion(write("empty.bin", "")).isEmpty());
    EXPECT_TRUE(ReadFileVersion(write("unended.bin", marker + "2.0.0.0")).isEmpty());
    EXPECT_TRUE(ReadFileVersion(dir.filePath("absent.bin")).isEmpty());
    EXPECT_TRUE(ReadFileVersion(dir.path()).isEmpty());
    EXPECT_TRUE(
        ReadFileVersion(QString::fromLatin1(QUORVEL_FIXTURES "/omdb/poster.jpg")).isEmpty());

    // An empty marker does not hide a later one; blanks around the text are trimmed.
    const std::string both = "head" + marker + std::string(1, '\0') + "mid" + marker + " 2.0.0.1 " +
                             std::string(1, '\0');
    EXPECT_EQ(ReadFileVersion(write("both.bin", both)), QStringLiteral("2.0.0.1"));
}

TEST(Version, EditionAndArchiveFollowThePointerWidth) {
    EXPECT_EQ(Edition(), 64);
    const QString site = QStringLiteral("http://maker.example");
    EXPECT_EQ(DownloadArchiveAddress(site, Edition()),
              QStringLiteral("http://maker.example/Quorvel_64Bits.zip"));
    EXPECT_EQ(DownloadArchiveAddress(site, 32),
              QStringLiteral("http://maker.example/Quorvel_32bits.zip"));
    EXPECT_EQ(UpdatePageAddress(site + "/"), QStringLiteral("http://maker.example/QVLUpdate.html"));
    EXPECT_EQ(UpdateLogAddress(site), QStringLiteral("http://maker.example/UpdateLogQVL.html"));
    EXPECT_EQ(WhatsNewAddress(site), QStringLiteral("http://maker.example/QVLWhatIsNewLog.html"));
}

TEST(LanIp, NamesTheFirstIpv4AddressOrSaysThereIsNone) {
    const QString text = LanIpAddressText();
    static const QRegularExpression dotted(
        QStringLiteral(R"(^LAN IP Address: \d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3}$)"));
    EXPECT_TRUE(dotted.match(text).hasMatch() || text == QStringLiteral("No. IP Address"))
        << text.toStdString();
}

} // namespace
} // namespace quorvel
