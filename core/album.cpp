#include "core/album.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "core/textfile.h"

#include <QFileInfo>
#include <QUrl>

namespace quorvel {

namespace {

QString PosterPath(const QString& collectionFolder, const QString& title) {
    return EntryFilePath(collectionFolder, title + QStringLiteral(".jpg"), QStringLiteral(".jpg"));
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

QStringList AlbumIndexEntry(const QString& collectionFolder, const QString& title) {
    return {
        QStringLiteral("<div class=\"img\">"),
        QStringLiteral("<a href=\"") + TitlePageLink(title) + QStringLiteral("\">"),
        QStringLiteral("<img src=\"") + FileAddress(PosterPath(collectionFolder, title)) +
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
                           const QString& title, const QStringList& infoLines) {
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
            FileAddress(PosterPath(collectionFolder, title)) +
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

Status WriteAlbumPage(const QString& path, const QStringList& lines) {
    const Result<TextEncoding> written =
        WriteTextFile(path, lines, TextEncoding::Ansi, Durability::Deferred);
    if (!written)
        return Failure(written.error());
    return Success();
}

TitlePageOutcome CreateTitlePage(const QString& collectionFolder, const QString& albumFolder,
                                 const QString& title) {
    const QString infoPath =
        EntryFilePath(collectionFolder, title + QStringLiteral(".txt"), QStringLiteral(".txt"));
    const Result<TextFile> info = LoadInfoText(infoPath);
    const QStringList lines =
        AlbumTitlePage(collectionFolder, albumFolder, title, info ? info->lines : QStringList());
    const Status written = WriteAlbumPage(AlbumPagePath(albumFolder, title), lines);
    return {info.error(), written.error()};
}

} // namespace quorvel
