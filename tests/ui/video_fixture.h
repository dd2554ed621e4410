#pragma once
// The whole program with the video tab's YouTube site and download site on the fake web
// server, and a favourites folder of its own.

#include "core/favourites.h"
#include "tests/support/fake_web_server.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/main/video_tab.h"
#include "ui/tools/add_favourite.h"
#include "ui/tools/manage_favourites.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

#include <optional>
#include <utility>
#include <vector>

namespace quorvel::test {

// Counts the browser's finished loads from its creation on.
class LoadCounter {
public:
    explicit LoadCounter(QWebEngineView* view) {
        QObject::connect(view, &QWebEngineView::loadFinished, &loop_, [this] {
            ++count_;
            loop_.quit();
        });
    }
    // Runs the event loop until `n` loads have finished; false after 15 s without them.
    bool WaitFor(int n) {
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop_, &QEventLoop::quit);
        timeout.start(15000);
        while (count_ < n && timeout.isActive())
            loop_.exec();
        return count_ >= n;
    }
    int count() const { return count_; }

private:
    QEventLoop loop_;
    int count_ = 0;
};

// Sets (or, with no value, removes) environment variables for its lifetime, then puts back
// what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(
        std::initializer_list<std::pair<const char*, std::optional<QByteArray>>> vars) {
        for (const auto& [name, value] : vars) {
            saved_.push_back({name, qEnvironmentVariableIsSet(name)
                                        ? std::optional<QByteArray>(qgetenv(name))
                                        : std::nullopt});
            Set(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_)
            Set(name, value);
    }

private:
    static void Set(const char* name, const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};

class VideoTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        favFolder = MakeFolder(QStringLiteral("Favs"));
        server.serveText("/", "<html><body>download page</body></html>");
        server.serveText("/watch", "<html><body>watch page</body></html>");
        server.serveText("/results", "<html><body>results</body></html>");
    }
    // Options.ini with the sites on the fake server; `extra` lines end with CR LF.
    void StartWith(const QByteArray& extra = {}) {
        WriteOptions("[Settings]\r\nSavingFavPath=" + favFolder.toUtf8() +
                     "\r\nYouTubeSite=" + server.baseAddress().toUtf8() +
                     "\r\nVideoDownloadSite=" + server.baseAddress().toUtf8() + "\r\n" + extra);
        Start();
        ForgetStartup();
        tab = Main().VideoPage();
        if (tab->Browser())
            loads = std::make_unique<LoadCounter>(tab->Browser());
    }
    void TearDown() override {
        loads.reset();
        WindowFixture::TearDown();
    }

    QString FavouritesFile() const { return favFolder + QStringLiteral("/Favourites.lst"); }
    void WriteFavourites(const QStringList& entries) {
        ASSERT_TRUE(WriteFileBytes(FavouritesFile(), (entries.join("\r\n") + "\r\n").toLatin1()));
    }
    QByteArray FileOf(const QStringList& entries) const {
        return (entries.join("\r\n") + "\r\n").toLatin1();
    }
    static QString Entry(const QString& title, const QString& id) {
        return title + QString(39, QLatin1Char(' ')) + QLatin1Char('=') + id;
    }

    QString Watch(const QString& id) const { return server.address("/watch?v=") + id; }
    QString Embed(const QString& id) const { return server.address("/embed/") + id; }
    QString Results(const QString& query) const {
        return server.address("/results?search_query=") + query;
    }

    QLineEdit* Edit4() const { return tab->UrlEdit(); }
    QLineEdit* Edit5() const { return tab->SearchEdit(); }
    QToolButton* Speed(const char* name) const { return Find<QToolButton>(tab, name); }
    // SpeedButton4, 5 and 6 together: all enabled, all disabled, or mixed.
    QString PageButtons() const {
        const int on = Speed("SpeedButton4")->isEnabled() + Speed("SpeedButton5")->isEnabled() +
                       Speed("SpeedButton6")->isEnabled();
        return on == 3 ? "enabled" : on == 0 ? "disabled" : "mixed";
    }
    QStringList ComboItems() const { return tab->Favourites(); }

    TForm3* Add() const { return app->windows().form3; }
    TForm4* Manage() const { return app->windows().form4; }

    FakeWebServer server;
    QString favFolder;
    VideoTab* tab = nullptr;
    std::unique_ptr<LoadCounter> loads;
};

} // namespace quorvel::test
