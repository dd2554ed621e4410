#include "online/addresses.h"

#include "core/options.h"
#include "core/textfile.h"

#include <QUrl>

namespace quorvel {

namespace {

// RFC 6068 wants line breaks in a mail as CR LF whatever the text box gave.
QString WithCrLf(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

QString MailValue(const QString& text) {
    // Only the unreserved characters stay; everything else, blanks and "&" included, is %XX.
    return QString::fromLatin1(QUrl::toPercentEncoding(WithCrLf(text)));
}

} // namespace

QString JoinSiteAndPath(const QString& site, QStringView path) {
    QStringView base(site);
    while (base.endsWith(u'/'))
        base.chop(1);
    while (path.startsWith(u'/'))
        path = path.sliced(1);
    QString joined;
    joined.reserve(base.size() + 1 + path.size());
    joined += base;
    joined += u'/';
    joined += path;
    return joined;
}

QString PlusForBlanks(const QString& text) {
    static const char kHex[] = "0123456789ABCDEF";
    const QByteArray bytes = text.toUtf8();
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                                (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' ||
                                b == '~';
        if (unreserved) {
            out += QLatin1Char(ch);
        } else if (b == ' ') {
            out += u'+';
        } else {
            out += u'%';
            out += QLatin1Char(kHex[b >> 4]);
            out += QLatin1Char(kHex[b & 0x0F]);
        }
    }
    return out;
}

QString GoogleSearchAddress(const QString& text) {
    return QStringLiteral("https://www.google.com/#q=") + PlusForBlanks(text);
}

QString RottenTomatoesSearchAddress(const QString& text) {
    return QStringLiteral("http://www.rottentomatoes.com/search/?search=") + PlusForBlanks(text);
}

QString YouTubeSearchAddress(const QString& text) {
    return YouTubeResultsPrefix(QString::fromLatin1(opt::kDefaultYouTubeSite)) +
           PlusForBlanks(text);
}

QString YouTubeWatchPrefix() {
    return YouTubeWatchPrefix(QString::fromLatin1(opt::kDefaultYouTubeSite));
}

QString YouTubeEmbedPrefix() {
    return YouTubeEmbedPrefix(QString::fromLatin1(opt::kDefaultYouTubeSite));
}

QString YouTubeHomeAddress() {
    return YouTubeHomeAddress(QString::fromLatin1(opt::kDefaultYouTubeSite));
}

QString YouTubeHomeAddress(const QString& site) {
    QString home = JoinSiteAndPath(site, u"");
    home.chop(1); // the site itself, without the separator a path would need
    return home;
}

QString YouTubeResultsPrefix(const QString& site) {
    return JoinSiteAndPath(site, u"results?search_query=");
}

QString YouTubeWatchPrefix(const QString& site) {
    return JoinSiteAndPath(site, u"watch?v=");
}

QString YouTubeEmbedPrefix(const QString& site) {
    // "/v/" addresses no longer play anything; the embed player does.
    return JoinSiteAndPath(site, u"embed/");
}

QString ImdbTitleAddress(const QString& imdbId) {
    return QStringLiteral("http://www.imdb.com/title/") + imdbId;
}

QString OmdbHomeAddress() {
    return QStringLiteral("http://www.omdbapi.com");
}

QString HelpDocumentAddress(const QString& makerSite) {
    return JoinSiteAndPath(makerSite, u"Quorvel%20Help.pdf");
}

QString VideoDownloadAddress(const QString& downloadSite, const QString& pageAddress) {
    return JoinSiteAndPath(downloadSite, u"?url=") + pageAddress;
}

QString MailtoLink(const QString& recipient, const QString& subject, const QString& body) {
    const QString to =
        TrimBlanksAndControls(recipient).isEmpty() ? QStringLiteral("mail") : recipient;
    QString link =
        QStringLiteral("mailto:") + to + QStringLiteral("?subject=") + MailValue(subject);
    if (!TrimBlanksAndControls(body).isEmpty())
        link += QStringLiteral("&body=") + MailValue(body);
    return link;
}

} // namespace quorvel
