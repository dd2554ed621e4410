#pragma once
// The whole program over a small collection and an album folder, for the album creator.

#include "core/album.h"
#include "tests/support/list_view.h"
#include "tests/support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/album_name_request.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace quorvel::test {

class AlbumTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        scripted.connection.online = false;
        collection = MakeFolder("Movies");
        album = AppFolder() + "Album";
        WriteOptions("[Settings]\r\nSavingPath=" + collection.toUtf8() +
                     "\r\n[HTML]\r\nSavingPath=" + album.toUtf8() + "\r\n");
    }
    void Start() {
        WindowFixture::Start();
        ForgetStartup();
        creator = app->windows().form7;
        request = app->windows().form13;
        ASSERT_NE(creator, nullptr);
        ASSERT_NE(request, nullptr);
        // A user works in the window once it is open; it lists the collection then.
        creator->Open();
    }

    void AddInfo(const QString& title, const QStringList& lines = {}) {
        const QStringList text = lines.isEmpty() ? QStringList{title, "", "TYPE", "movie"} : lines;
        ASSERT_TRUE(WriteFileBytes(collection + "/" + title + ".txt",
                                   (text.join("\r\n") + "\r\n").toUtf8()));
    }
    void AddPoster(const QString& title) {
        QImage image(60, 90, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(collection + "/" + title + ".jpg", "JPG"));
    }
    QString WriteList(const QByteArray& lines) {
        const QString path = AppFolder() + "saved.list";
        EXPECT_TRUE(WriteFileBytes(path, lines));
        return path;
    }

    // Answers the name request once the creator shows it: `name` typed and "OK", or, without
    // a name, the window closed.
    void AnswerNameRequest(std::optional<QString> name) {
        auto* poll = new QTimer(request);
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, request, [this, poll, name] {
            if (!request->isVisible())
                return;
            poll->deleteLater();
            poll->stop();
            if (!name) {
                request->close();
                return;
            }
            Find<QLineEdit>(request, "Edit1")->setText(*name);
            Find<QPushButton>(request, "Button2")->click();
        });
        poll->start();
    }

    QPushButton* Button(const char* name) const { return Find<QPushButton>(creator, name); }
    QListView* List() const { return Find<QListView>(creator, "MovieListEdit"); }
    QString Caption() const { return Find<QLabel>(creator, "Label2")->text(); }
    QStringList Log() const {
        return Find<QPlainTextEdit>(creator, "Memo3")->toPlainText().split('\n');
    }
    QStringList ListTitles(Qt::CheckState state) const {
        QStringList titles;
        const QStringList rows = RowTexts(List());
        for (int row = 0; row < rows.size(); ++row) {
            if (IsTicked(List(), row) == (state == Qt::Checked))
                titles << rows.at(row);
        }
        return titles;
    }
    QStringList PageLines(const QString& name) const {
        QStringList lines = QString::fromUtf8(ReadFileBytes(album + "/" + name)).split("\r\n");
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    QString IndexUrl(const QString& name = "index.html") const {
        return FileUrl(album + "/" + name);
    }

    QString collection;
    QString album;
    TForm7* creator = nullptr;
    TForm13* request = nullptr;
};

} // namespace quorvel::test
