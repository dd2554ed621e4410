#include "tests/ui/album_fixture.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace quorvel::test {
namespace {

// Every image of the page with its natural width, every link and form target as the browser
// resolved it.
const char* kPageScript = R"(JSON.stringify({
    images: Array.from(document.images).map(i => i.complete ? i.naturalWidth : 0),
    targets: Array.from(document.links).map(a => a.href)
        .concat(Array.from(document.forms).map(f => f.action))
}))";

class AlbumInBrowserTest : public AlbumTest {
protected:
    bool Load(const QString& url) {
        QEventLoop wait;
        bool ok = false;
        const auto done =
            QObject::connect(&view, &QWebEngineView::loadFinished, &wait, [&](bool finished) {
                ok = finished;
                wait.quit();
            });
        QTimer::singleShot(60000, &wait, &QEventLoop::quit);
        view.load(QUrl(url));
        wait.exec();
        QObject::disconnect(done);
        return ok;
    }
    QJsonObject Inspect() {
        QEventLoop wait;
        QJsonObject found;
        view.page()->runJavaScript(QString::fromLatin1(kPageScript), [&](const QVariant& result) {
            found = QJsonDocument::fromJson(result.toString().toUtf8()).object();
            wait.quit();
        });
        QTimer::singleShot(30000, &wait, &QEventLoop::quit);
        wait.exec();
        return found;
    }
    void ExpectEveryImageAndTarget(const QJsonObject& page, int images, int targets) {
        const QJsonArray widths = page["images"].toArray();
        EXPECT_EQ(widths.size(), images);
        for (const QJsonValue& width : widths)
            EXPECT_GT(width.toInt(), 0);
        const QJsonArray found = page["targets"].toArray();
        EXPECT_EQ(found.size(), targets);
        for (const QJsonValue& target : found) {
            const QUrl url(target.toString());
            EXPECT_TRUE(url.isLocalFile() && QFileInfo::exists(url.toLocalFile()))
                << target.toString().toStdString();
        }
    }

    QWebEngineView view;
};

TEST_F(AlbumInBrowserTest, EveryThumbnailLoadsAndEveryLinkLeadsToAPage) {
    const QStringList titles{"Heat", "Tom & Jerry #1", "100% Pure?",
                             QString::fromUtf8("Amélie <Director's Cut>")};
    for (const QString& title : titles) {
        AddInfo(title);
        AddPoster(title);
    }
    Start();
    scripted.dialogs.answers = {Button::No};
    Button("Button8")->click();
    ASSERT_EQ(Log().filter(" created.").size(), 4) << Log().join('\n').toStdString();

    view.resize(1000, 800);
    view.show();
    ASSERT_TRUE(Load(IndexUrl()));
    const QJsonObject index = Inspect();
    ExpectEveryImageAndTarget(index, 4, 4);

    // Each title page shows its large poster and leads back to the index.
    for (const QJsonValue& link : index["targets"].toArray()) {
        SCOPED_TRACE(link.toString().toStdString());
        ASSERT_TRUE(Load(link.toString()));
        ExpectEveryImageAndTarget(Inspect(), 1, 1);
    }
}

} // namespace
} // namespace quorvel::test
