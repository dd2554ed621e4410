#include "online/addresses.h"
#include "online/omdb.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace quorvel {
namespace {

TEST(Addresses, PlusForBlanksKeepsOnlyUnreservedCharacters) {
    const std::pair<QString, const char*> cases[] = {
        {QStringLiteral("Fast & Furious"), "Fast+%26+Furious"},
        {QStringLiteral("Star Wars: Episode IV"), "Star+Wars%3A+Episode+IV"},
        {QStringLiteral("  Alien "), "++Alien+"},
        {QStringLiteral("100% Wolf"), "100%25+Wolf"},
        {QStringLiteral("C# and C++"), "C%23+and+C%2B%2B"},
        {QStringLiteral("What?=/x'y\"z~"), "What%3F%3D%2Fx%27y%22z~"},
        {QStringLiteral("a-b._c~<>\\^`{|}"), "a-b._c~%3C%3E%5C%5E%60%7B%7C%7D"},
        {QStringLiteral("L\u00e9on"), "L%C3%A9on"},
        {QStringLiteral("\u4e03"), "%E4%B8%83"},
        {QStringLiteral("tab\there\nnew\x7f"), "tab%09here%0Anew%7F"},
        {QString(), ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(PlusForBlanks(text), QString::fromLatin1(expected)) << expected;
}

TEST(Addresses, SearchPagesCarryTheEscapedTitle) {
    const QString title = QStringLiteral("Star Wars: Episode IV");
    EXPECT_EQ(GoogleSearchAddress(title),
              QStringLiteral("https://www.google.com/#q=Star+Wars%3A+Episode+IV"));
    EXPECT_EQ(RottenTomatoesSearchAddress(QStringLiteral("Fast & Furious")),
              QStringLiteral("http://www.rottentomatoes.com/search/?search=Fast+%26+Furious"));
    EXPECT_EQ(YouTubeSearchAddress(QStringLiteral("Alien #1")),
              QStringLiteral("https://www.youtube.com/results?search_query=Alien+%231"));
    EXPECT_EQ(GoogleSearchAddress(QString()), QStringLiteral("https://www.google.com/#q="));
    EXPECT_EQ(ImdbTitleAddress(QStringLiteral("tt0111161")),
              QStringLiteral("http://www.imdb.com/title/tt0111161"));
    EXPECT_EQ(YouTubeEmbedPrefix() + "abc", QStringLiteral("https://www.youtube.com/embed/abc"));
    EXPECT_EQ(YouTubeWatchPrefix() + "abc", QStringLiteral("https://www.youtube.com/watch?v=abc"));
    EXPECT_EQ(YouTubeWatchPrefix().size(), 32);
}

TEST(Addresses, YouTubePagesOnAnotherSite) {
    for (const char* site : {"http://127.0.0.1:8080", "http://127.0.0.1:8080/"}) {
        const QString base = QString::fromLatin1(site);
        EXPECT_EQ(YouTubeHomeAddress(base), "http://127.0.0.1:8080");
        EXPECT_EQ(YouTubeResultsPrefix(base), "http://127.0.0.1:8080/results?search_query=");
        EXPECT_EQ(YouTubeWatchPrefix(base), "http://127.0.0.1:8080/watch?v=");
        EXPECT_EQ(YouTubeEmbedPrefix(base), "http://127.0.0.1:8080/embed/");
    }
}

TEST(Addresses, SitePagesJoinTheSiteWithOneSlash) {
    for (const char* site : {"http://maker.example", "http://maker.example/"}) {
        const QString base = QString::fromLatin1(site);
        EXPECT_EQ(HelpDocumentAddress(base),
                  QStringLiteral("http://maker.example/Quorvel%20Help.pdf"));
        // The page address runs on unescaped, its own query included.
        EXPECT_EQ(
            VideoDownloadAddress(base, QStringLiteral("https://www.youtube.com/watch?v=a&t=5")),
            QStringLiteral("http://maker.example/?url=https://www.youtube.com/watch?v=a&t=5"));
    }
}

// Every address built around a typed text is a strict URL and gives the text back whole.
TEST(Addresses, QueryAddressesAreStrictUrlsThatDecodeBackToTheText) {
    QString everyPrintable;
    for (char16_t c = 0x20; c < 0x7F; ++c)
        everyPrintable += QChar(c);
    const QString texts[] = {
        QStringLiteral("\"Weird Al\" Yankovic"),
        everyPrintable,
        QStringLiteral("Am\u00e9lie \u4e03\u4eba \U0001F3AC"),
        QStringLiteral("a\tb\r\nc\x7f"),
    };
    const std::pair<const char*, std::function<QString(const QString&)>> builders[] = {
        {"https://www.google.com/#q=", GoogleSearchAddress},
        {"http://www.rottentomatoes.com/search/?search=", RottenTomatoesSearchAddress},
        {"https://www.youtube.com/results?search_query=", YouTubeSearchAddress},
        {"http://www.omdbapi.com/?t=",
         [](const QString& t) {
             return BuildOmdbQuery(QStringLiteral("http://www.omdbapi.com"), t, t)
                 .section(u'&', 0, 0);
         }},
    };
    for (const QString& text : texts) {
        for (const auto& [prefix, build] : builders) {
            const QString address = build(text);
            ASSERT_TRUE(address.startsWith(QLatin1String(prefix))) << address.toStdString();
            EXPECT_TRUE(QUrl(address, QUrl::StrictMode).isValid()) << address.toStdString();
            QString value = address.mid(qsizetype(qstrlen(prefix)));
            for (const QChar c : value)
                EXPECT_TRUE((c.unicode() < 0x80 && c.isLetterOrNumber()) ||
                            QStringLiteral("-._~+%").contains(c))
                    << address.toStdString();
            value.replace(u'+', u' ');
            EXPECT_EQ(QUrl::fromPercentEncoding(value.toLatin1()), text) << address.toStdString();
        }
    }
    // The key is escaped the same way.
    EXPECT_TRUE(
        BuildOmdbQuery(QStringLiteral("http://x"), QStringLiteral("k&y=1"), QStringLiteral("A"))
            .endsWith(QLatin1String("&apikey=k%26y%3D1")));
}

TEST(Addresses, JoinSiteAndPathPutsExactlyOneSlashBetween) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"http://maker.example", "page.html", "http://maker.example/page.html"},
        {"http://maker.example/", "page.html", "http://maker.example/page.html"},
        {"http://maker.example//", "/page.html", "http://maker.example/page.html"},
        {"http://maker.example/sub", "?url=", "http://maker.example/sub/?url="},
        {"", "page.html", "/page.html"},
    };
    for (const auto& [site, path, expected] : cases)
        EXPECT_EQ(JoinSiteAndPath(QString::fromLatin1(site), QString::fromLatin1(path)),
                  QString::fromLatin1(expected))
            << site << " + " << path;
}

TEST(Addresses, MailtoLinkEncodesSubjectAndBody) {
    EXPECT_EQ(MailtoLink(QString(), QStringLiteral("Hi"), QString()),
              QStringLiteral("mailto:mail?subject=Hi"));
    EXPECT_EQ(
        MailtoLink(QStringLiteral(" \t"), QStringLiteral("Hi"), QStringLiteral("  \r\n \r\n")),
        QStringLiteral("mailto:mail?subject=Hi"));
    EXPECT_EQ(MailtoLink(QStringLiteral("author@maker.example"), QStringLiteral("Fast & Furious?"),
                         QStringLiteral("Line 1\r\nLine=2")),
              QStringLiteral("mailto:author@maker.example?subject=Fast%20%26%20Furious%3F"
                             "&body=Line%201%0D%0ALine%3D2"));
    // Lone LF and CR become CR LF; letters outside ASCII go as UTF-8.
    EXPECT_EQ(MailtoLink(QStringLiteral("a@b.c"), QStringLiteral("Caf\u00e9"),
                         QStringLiteral("x\ny\rz#100%")),
              QStringLiteral("mailto:a@b.c?subject=Caf%C3%A9&body=x%0D%0Ay%0D%0Az%23100%25"));
}

} // namespace
} // namespace quorvel
