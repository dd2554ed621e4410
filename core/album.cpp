#include "core/album.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "core/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quorvel {

namespace {

QString PosterPath(const QString& collectionFolder, const QString& title,
                   const QSet<QString>* posters) {
    return EntryFilePath(collectionFolder, title + QStringLiteral(".jpg"), QStringLiteral(".jpg"),
                         posters);
}

// A title of a loaded list may be any line, a path outside both folders included: such a title
// has neither an info text to read nor a page that may be written.
Result<QString> TitleTextPath(const QString& collectionFolder, const QString& title) {
    return CollectionFilePath(collectionFolder, title + QStringLiteral(".txt"));
}

// The progress calls, each a no-op when the caller left it out.
struct AlbumReport {
    const AlbumProgress& progress;
    void Log(const QString& line) const {
        if (progress.log)
            progress.log(line);
    }
    void Step() const {
        if (progress.step)
            progress.step();
    }
};

// One title page made: the log line that tells it, and whether it counts as a failure.
struct MadePage {
    QString line;
    bool failed = false;
};

MadePage MakeTitlePage(const QString& collectionFolder, const QString& albumFolder,
                       const QString& title, FolderSync& sync, const QSet<QString>& listed) {
    const QString page = title + QStringLiteral(".html");
    if (const Result<QString> text = TitleTextPath(collectionFolder, title); !text)
        return {page + QStringLiteral(" not created: ") + text.error(), true};
    const TitlePageOutcome made =
        CreateTitlePage(collectionFolder, albumFolder, title, &sync, &listed);
    if (!made.writeFailure.isEmpty())
        return {page + QStringLiteral(" not created: ") + made.writeFailure, true};
    if (!made.readFailure.isEmpty())
        return {page + QStringLiteral(" created without its information: ") + made.readFailure,
                true};
    return {page + QStringLiteral(" created."), false};
}

// The pages are made on one thread per processor, each taking the next title, while the calling
// thread reports them in the titles' order: reading, composing and writing a page costs about
// as much processor time as the disk takes to store it, so one thread alone leaves a processor
// idle.
void MakeTitlePages(const QString& collectionFolder, const QString& albumFolder,
                    const QStringList& titles, FolderSync& sync, const QSet<QString>& listed,
                    const AlbumReport& report, AlbumOutcome& outcome) {
    const std::size_t count = std::size_t(titles.size());
    std::vector<std::optional<MadePage>> made(count);
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            MadePage page = MakeTitlePage(collectionFolder, albumFolder, titles[qsizetype(i)],
                                          sync, listed);
            {
                const std::lock_guard lock(mutex);
                made[i] = std::move(page);
            }
            ready.notify_all();
        }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::jthread> workers;
    for (unsigned i = 0; i < threads && i < count; ++i)
        workers.emplace_back(work);
    for (std::size_t i = 0; i < count; ++i) {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return made[i].has_value(); });
        const MadePage page = std::move(*made[i]);
        lock.unlock();
        report.Log(page.line);
        outcome.failures += page.failed ? 1 : 0;
        report.Step();
    }
}

} // namespace

QString HtmlText(const QString& text) {
    // Most lines hold nothing to escape: they are shared, not copied a character at a time.
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '&' || u == '<' || u == '>' || u == '"')
            return text.toHtmlEscaped();
    }
    return text;
}

QString FileUrl(const QString& path) {
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    return QString::fromLatin1(url.toEncoded(QUrl::FullyEncoded));
}

QString FileAddress(const QString& path) {
    // "&" is a legal character of a path and stays in the URL; the attribute still needs it
    // as an entity.
    return HtmlText(FileUrl(path));
}

QString TitlePageLink(const QString& title) {
    return QString::fromLatin1(QUrl::toPercentEncoding(title + QStringLiteral(".html")));
}

QStringList AlbumIndexHeader() {
    return {
        QStringLiteral("<!DOCTYPE html>"),
        QStringLiteral("<html>"),
        QStringLiteral("<h1><center>Poster Index</center></h1>"),
        QStringLiteral("<title>Quorvel Poster Index List</title>"),
        QStringLiteral("<style>"),
        QStringLiteral("body { background-color : black; color : white; }"),
        QStringLiteral("div.img {margin: 5px; border: 1px solid #ccc; float: Left; width: 180px; "
                       "height: 350px}"),
        QStringLiteral("div.img:hover {border: 1px solid #777;}"),
        QStringLiteral("div.img img {width: 100%; height: auto;}"),
        QStringLiteral("div.desc {padding: 15px; text-align: center;}"),
        QStringLiteral("</style>"),
        QStringLiteral("</head>"),
        QStringLiteral("<body>"),
    };
}

QStringList AlbumIndexEntry(const QString& collectionFolder, const QString& title,
                            const QSet<QString>* posters) {
    return {
        QStringLiteral("<div class=\"img\">"),
        QStringLiteral("<a href=\"") + TitlePageLink(title) + QStringLiteral("\">"),
        QStringLiteral("<img src=\"") + FileAddress(PosterPath(collectionFolder, title, posters)) +
            QStringLiteral(" \"alt=\"No Poster Found\" width=\"158\" height=\"234\">"),
        QStringLiteral("</a><div class=\"desc\">") + HtmlText(title) +
            QStringLiteral("</div></div>"),
    };
}

QString AlbumIndexFooter() {
    return QStringLiteral("</body> </html>");
}

QStringList AlbumIndexPage(const QString& collectionFolder, const QStringList& titles) {
    QStringList lines = AlbumIndexHeader();
    lines.reserve(lines.size() + 4 * titles.size() + 1);
    for (const QString& title : titles)
        lines << AlbumIndexEntry(collectionFolder, title);
    lines << AlbumIndexFooter();
    return lines;
}

QStringList AlbumTitlePage(const QString& collectionFolder, const QString& albumFolder,
                           const QString& title, const QStringList& infoLines,
                           const QSet<QString>* posters) {
    const QString shownTitle = HtmlText(title);
    QStringList lines{
        QStringLiteral("<!DOCTYPE html>"),
        QStringLiteral("<html>"),
        QStringLiteral("<body>"),
        QStringLiteral("<title>") + shownTitle + QStringLiteral("</title>"),
        QStringLiteral("<h1><center>") + shownTitle + QStringLiteral("</center></h1>"),
        QStringLiteral("<style>"),
        QStringLiteral("body { background-color : black; color : white; }"),
        QStringLiteral("</style>"),
        QStringLiteral("<p><center><img src=\"") +
            FileAddress(PosterPath(collectionFolder, title, posters)) +
            QStringLiteral("\" alt=\"No Poster Found\"style=\"width:300px;height:445px;\">"
                           "</center></p>"),
        QStringLiteral("<style> .center {margin: auto; width: 60%; border: 3px solid #73AD21; "
                       "padding: 10px;}</style>"),
        QStringLiteral("<div class=\"center\">"),
    };
    lines.reserve(lines.size() + infoLines.size() + 4);
    for (const QString& line : infoLines)
        lines << QStringLiteral("<p>") + HtmlText(line) + QStringLiteral("</p>");
    lines << QStringLiteral("</div>")
          << QStringLiteral("<center><form action=\"") +
                 FileAddress(AlbumPagePath(albumFolder, QStringLiteral("index"))) +
                 QStringLiteral("\"> <button type=\"submit\">Back to Index</button></form>"
                                "</center>")
          << QStringLiteral("</body>") << QStringLiteral("</html>");
    return lines;
}

QString AlbumPagePath(const QString& albumFolder, const QString& name) {
    return JoinPath(albumFolder, name + QStringLiteral(".html"));
}

Status WriteAlbumPage(const QString& path, const QStringList& lines, FolderSync* sync) {
    const Result<TextEncoding> written = sync ? WriteTextFile(path, lines, TextEncoding::Ansi, *sync)
                                              : WriteTextFile(path, lines, TextEncoding::Ansi);
    if (!written)
        return Failure(written.error());
    return Success();
}

TitlePageOutcome CreateTitlePage(const QString& collectionFolder, const QString& albumFolder,
                                 const QString& title, FolderSync* sync,
                                 const QSet<QString>* posters) {
    const QString infoPath = EntryFilePath(collectionFolder, title + QStringLiteral(".txt"),
                                           QStringLiteral(".txt"), posters);
    const Result<TextFile> info = LoadInfoText(infoPath);
    const QStringList lines =
        AlbumTitlePage(collectionFolder, albumFolder, title, info ? info->lines : QStringList(),
                       posters);
    const Status written = WriteAlbumPage(AlbumPagePath(albumFolder, title), lines, sync);
    return {info.error(), written.error()};
}

AlbumOutcome CreateAlbum(const QString& collectionFolder, const QString& albumFolder,
                         const QStringList& titles, const AlbumProgress& progress) {
    const AlbumReport report{progress};
    AlbumOutcome outcome;
    report.Log(QStringLiteral("Creating Index..."));
    QStringList index = AlbumIndexHeader();
    index.reserve(index.size() + 4 * titles.size() + 1);
    const QStringList entries = ListCollection(collectionFolder);
    const QSet<QString> posters(entries.begin(), entries.end());
    for (const QString& title : titles) {
        report.Log(QStringLiteral("Creating ") + title + QStringLiteral(" entry..."));
        if (const Result<QString> text = TitleTextPath(collectionFolder, title); !text) {
            // Its page is not made either: a link would lead out of the album.
            report.Log(QStringLiteral("...left out: ") + text.error());
        } else {
            index << AlbumIndexEntry(collectionFolder, title, &posters);
            report.Log(QStringLiteral("...Done."));
        }
        report.Step();
    }
    index << AlbumIndexFooter();

    if (progress.indexName) {
        const std::optional<QString> name = progress.indexName();
        if (!name) {
            report.Log(QStringLiteral("Album creation cancelled: no name was given for the "
                                      "index, nothing was written."));
            outcome.end = AlbumEnd::Cancelled;
            return outcome;
        }
        if (!name->isEmpty())
            outcome.indexName = *name;
    }
    // A portable album folder or a freshly chosen one may not exist yet.
    QDir().mkpath(albumFolder);
    FolderSync sync(albumFolder); // the pages are synced as they are written
    const Status written =
        WriteAlbumPage(AlbumPagePath(albumFolder, outcome.indexName), index, &sync);
    if (!written) {
        report.Log(QStringLiteral("Index not created: ") + written.error());
        outcome.end = AlbumEnd::NotWritten;
        outcome.failure = written.error();
        return outcome;
    }

    report.Log(QStringLiteral("Creating pages..."));
    MakeTitlePages(collectionFolder, albumFolder, titles, sync, posters, report, outcome);
    const Status stored = sync.Sync();
    if (!stored) {
        report.Log(QStringLiteral("Album not stored: ") + stored.error());
        outcome.end = AlbumEnd::NotWritten;
        outcome.failure = stored.error();
    }
    return outcome;
}

} // namespace quorvel
