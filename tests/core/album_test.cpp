#include "core/album.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <optional>

namespace quorvel {
namespace {

const QStringList kIndexHeader{
    "<!DOCTYPE html>",
    "<html>",
    "<h1><center>Poster Index</center></h1>",
    "<title>Quorvel Poster Index List</title>",
    "<style>",
    "body { background-color : black; color : white; }",
    "div.img {margin: 5px; border: 1px solid #ccc; float: Left; width: 180px; height: 350px}",
    "div.img:hover {border: 1px solid #777;}",
    "div.img img {width: 100%; height: auto;}",
    "div.desc {padding: 15px; text-align: center;}",
    "</style>",
    "</head>",
    "<body>",
};

QStringList TitlePageHead(const QString& shownTitle, const QString& posterUrl) {
    return {"<!DOCTYPE html>",
            "<html>",
            "<body>",
            "<title>" + shownTitle + "</title>",
            "<h1><center>" + shownTitle + "</center></h1>",
            "<style>",
            "body { background-color : black; color : white; }",
            "</style>",
            "<p><center><img src=\"" + posterUrl +
                "\" alt=\"No Poster Found\"style=\"width:300px;height:445px;\"></center></p>",
            "<style> .center {margin: auto; width: 60%; border: 3px solid #73AD21; padding: "
            "10px;}</style>",
            "<div class=\"center\">"};
}

QStringList TitlePageTail(const QString& albumUrl) {
    return {"</div>",
            "<center><form action=\"" + albumUrl +
                "/index.html\"> <button type=\"submit\">Back to Index</button></form></center>",
            "</body>", "</html>"};
}

TEST(AlbumPages, IndexOfTwoTitlesIsTwentyTwoLines) {
    QStringList expected = kIndexHeader;
    for (const char* title : {"A", "B"}) {
        expected << "<div class=\"img\">" << QString("<a href=\"%1.html\">").arg(title)
                 << QString("<img src=\"file:///c/Movies/%1.jpg \"alt=\"No Poster Found\" "
                            "width=\"158\" height=\"234\">")
                        .arg(title)
                 << QString("</a><div class=\"desc\">%1</div></div>").arg(title);
    }
    expected << "</body> </html>";
    const QStringList page = AlbumIndexPage("/c/Movies", {"A", "B"});
    EXPECT_EQ(page.size(), 22);
    EXPECT_EQ(page, expected);
}

TEST(AlbumPages, TitlePageWrapsEveryInfoLineEmptyOnesIncluded) {
    QStringList info;
    QStringList paragraphs;
    for (int i = 0; i < 55; ++i) {
        const QString line = i % 3 == 1 ? QString() : QString("line %1").arg(i);
        info << line;
        paragraphs << "<p>" + line + "</p>";
    }
    const QStringList page = AlbumTitlePage("/c/Movies/", "/c/Album", "Heat", info);
    EXPECT_EQ(page.size(), 70);
    EXPECT_EQ(page, TitlePageHead("Heat", "file:///c/Movies/Heat.jpg") + paragraphs +
                        TitlePageTail("file:///c/Album"));
    EXPECT_EQ(page.at(12), "<p></p>");
}

// Names from files and text from the service reach the pages as text and as whole addresses.
TEST(AlbumPages, MarkupIsEscapedAndAddressesArePercentEncoded) {
    struct Row {
        QString title;
        QString link;   // the index's href
        QString poster; // the src both pages use
        QString shown;  // the caption and the title page's heading
    };
    const Row rows[] = {
        {"Tom & Jerry <3> #1", "Tom%20%26%20Jerry%20%3C3%3E%20%231.html",
         "file:///c/M/Tom%20&amp;%20Jerry%20%3C3%3E%20%231.jpg", "Tom &amp; Jerry &lt;3&gt; #1"},
        {"50% Off? \"Yes\"", "50%25%20Off%3F%20%22Yes%22.html",
         "file:///c/M/50%25%20Off%3F%20%22Yes%22.jpg", "50% Off? &quot;Yes&quot;"},
        {QString::fromUtf8("Amélie"), "Am%C3%A9lie.html", "file:///c/M/Am%C3%A9lie.jpg",
         QString::fromUtf8("Amélie")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title.toStdString());
        const QStringList index = AlbumIndexPage("/c/M", {row.title});
        EXPECT_EQ(index.at(14), "<a href=\"" + row.link + "\">");
        EXPECT_TRUE(index.at(15).startsWith("<img src=\"" + row.poster + " \""));
        EXPECT_EQ(index.at(16), "</a><div class=\"desc\">" + row.shown + "</div></div>");
        const QStringList page =
            AlbumTitlePage("/c/M", "/c/A#1", row.title, {"<script>alert(\"x\") & co</script>"});
        EXPECT_EQ(page.mid(0, 11), TitlePageHead(row.shown, row.poster));
        EXPECT_EQ(page.at(11), "<p>&lt;script&gt;alert(&quot;x&quot;) &amp; co&lt;/script&gt;</p>");
        EXPECT_EQ(page.mid(12), TitlePageTail("file:///c/A%231"));
    }
}

TEST(AlbumPages, TitlePageIsWrittenEvenWhenItsTextCannotBeRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir.filePath("Heat.TXT"), "Heat\r\n\r\nTYPE\r\n"));
    const TitlePageOutcome heat = CreateTitlePage(dir.path(), dir.path(), "Heat");
    EXPECT_TRUE(heat.readFailure.isEmpty()) << heat.readFailure.toStdString();
    EXPECT_TRUE(heat.writeFailure.isEmpty());
    const QByteArray written = test::ReadFileBytes(dir.filePath("Heat.html"));
    EXPECT_TRUE(written.contains("<p>Heat</p>\r\n<p></p>\r\n<p>TYPE</p>\r\n</div>\r\n"));

    const TitlePageOutcome gone = CreateTitlePage(dir.path(), dir.path(), "Gone");
    EXPECT_FALSE(gone.readFailure.isEmpty());
    EXPECT_TRUE(gone.writeFailure.isEmpty());
    EXPECT_EQ(test::ReadFileBytes(dir.filePath("Gone.html")).count("\r\n"), 15);

    const TitlePageOutcome nowhere = CreateTitlePage(dir.path(), dir.filePath("none"), "Heat");
    EXPECT_FALSE(nowhere.writeFailure.isEmpty());
}

// How a whole creation ends, what it writes and counts, for the index names a window can give.
TEST(AlbumRun, EndFailuresAndFilesFollowTheTitlesAndTheIndexName) {
    enum Ask { NoQuestion, Answer, Closed };
    struct Row {
        QStringList titles;
        Ask ask;
        QString name;
        AlbumEnd end;
        int failures;
        QStringList files; // in the album folder, sorted
    };
    const Row rows[] = {
        {{"A"}, NoQuestion, "", AlbumEnd::Created, 0, {"A.html", "index.html"}},
        {{"A", "Gone"}, Answer, "", AlbumEnd::Created, 1, {"A.html", "Gone.html", "index.html"}},
        {{"A", "../A"}, Answer, "Drama", AlbumEnd::Created, 1, {"A.html", "Drama.html"}},
        {{"A"}, Closed, "", AlbumEnd::Cancelled, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.titles.join(',').toStdString() + " " + row.name.toStdString());
        QTemporaryDir dir;
        ASSERT_TRUE(test::WriteFileBytes(dir.filePath("A.txt"), "A\r\n"));
        const QString album = dir.filePath("new/album");
        QStringList log;
        int steps = 0;
        AlbumProgress progress{[&](const QString& line) { log << line; }, [&] { ++steps; }, {}};
        if (row.ask != NoQuestion)
            progress.indexName = [&row]() -> std::optional<QString> {
                return row.ask == Closed ? std::nullopt : std::optional<QString>(row.name);
            };
        const AlbumOutcome made = CreateAlbum(dir.path(), album, row.titles, progress);
        EXPECT_EQ(made.end, row.end);
        EXPECT_EQ(made.failures, row.failures);
        EXPECT_EQ(made.indexName, row.name.isEmpty() ? "index" : row.name);
        EXPECT_EQ(QDir(album).entryList(QDir::Files), row.files);
        EXPECT_EQ(steps, int(row.titles.size()) * (row.end == AlbumEnd::Created ? 2 : 1));
        EXPECT_EQ(log.size(), (row.end == AlbumEnd::Created ? 3 : 2) * row.titles.size() + 2);
    }
}

// Pages are made side by side, yet the log tells them in the titles' order, each with its own end.
TEST(AlbumRun, PagesAreReportedInTheTitlesOrder) {
    QTemporaryDir dir;
    QStringList titles;
    QStringList expected;
    for (int i = 0; i < 90; ++i) {
        const QString title = QString("T%1").arg(i, 2, 10, QChar('0'));
        titles << title;
        if (i % 7 == 3) {
            expected << title + ".html created without its information: Cannot open " +
                            dir.filePath(title + ".txt") + ": No such file or directory";
        } else {
            ASSERT_TRUE(test::WriteFileBytes(dir.filePath(title + ".txt"), "x\r\n"));
            expected << title + ".html created.";
        }
    }
    QStringList log;
    AlbumProgress progress;
    progress.log = [&](const QString& line) { log << line; };
    const AlbumOutcome made = CreateAlbum(dir.path(), dir.filePath("album"), titles, progress);
    EXPECT_EQ(made.failures, 13);
    const qsizetype pages = log.indexOf("Creating pages...") + 1;
    ASSERT_GT(pages, 0);
    EXPECT_EQ(log.mid(pages), expected);
}

TEST(AlbumRun, AnIndexThatCannotBeWrittenEndsTheCreationWithItsReason) {
    QTemporaryDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir.filePath("A.txt"), "A\r\n"));
    ASSERT_TRUE(test::WriteFileBytes(dir.filePath("album"), "a file, not a folder"));
    QStringList log;
    AlbumProgress progress;
    progress.log = [&](const QString& line) { log << line; };
    const AlbumOutcome made = CreateAlbum(dir.path(), dir.filePath("album"), {"A"}, progress);
    EXPECT_EQ(made.end, AlbumEnd::NotWritten);
    EXPECT_TRUE(made.failure.startsWith("Cannot write " + dir.filePath("album/index.html")))
        << made.failure.toStdString();
    EXPECT_EQ(log.last(), "Index not created: " + made.failure);
}

} // namespace
} // namespace quorvel
