#include "online/addresses.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(Addresses, PlusForBlanksEscapesOnlyWhatWouldCutTheQueryShort) {
    const std::pair<QString, const char*> cases[] = {
        {QStringLiteral("Fast & Furious"), "Fast+%26+Furious"},
        {QStringLiteral("Star Wars: Episode IV"), "Star+Wars:+Episode+IV"},
        {QStringLiteral("  Alien "), "++Alien+"},
        {QStringLiteral("100% Wolf"), "100%25+Wolf"},
        {QStringLiteral("C# and C++"), "C%23+and+C%2B%2B"},
        {QStringLiteral("What?=/x'y\"z~"), "What?=/x'y\"z~"},
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
              QStringLiteral("https://www.google.com/#q=Star+Wars:+Episode+IV"));
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
