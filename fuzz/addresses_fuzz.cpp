// The address builders: an escaped query value holds no raw reserved character, decodes back to
// the text, and every address built around it is a strict URL.

#include "fuzz/fuzz_support.h"
#include "online/addresses.h"
#include "online/omdb.h"

#include <QUrl>

using namespace quorvel;
using namespace quorvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Begin(data, size);
    const QString text = Text(data, size);
    const QString escaped = PlusForBlanks(text);
    for (const QChar c : escaped) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                             (u >= '0' && u <= '9') || u == '-' || u == '.' || u == '_' ||
                             u == '~' || u == '+' || u == '%';
        Check(allowed, "an escaped value holds no raw reserved character", escaped);
    }
    QString decoded = escaped;
    decoded.replace(u'+', u' ');
    decoded = QUrl::fromPercentEncoding(decoded.toLatin1());
    Check(decoded == text, "an escaped value decodes back", decoded, text);

    const QString addresses[] = {
        GoogleSearchAddress(text),
        RottenTomatoesSearchAddress(text),
        YouTubeSearchAddress(text),
        BuildOmdbQuery(QStringLiteral("http://www.omdbapi.com"), text, text),
    };
    for (const QString& address : addresses)
        Check(QUrl(address, QUrl::StrictMode).isValid(), "an address is a strict URL", address);

    const QString query = BuildOmdbQuery(QStringLiteral("http://x/"), {}, text);
    Check(query.startsWith(IsImdbId(text) ? QLatin1String("http://x/?i=")
                                          : QLatin1String("http://x/?t=")),
          "an identifier is asked for as one", query);

    // However many slashes either side brings, the site and the path meet at one.
    QString path = text;
    while (path.startsWith(u'/'))
        path.remove(0, 1);
    const int slashes = size > 0 ? data[0] % 4 : 0;
    const QString joined = JoinSiteAndPath(QStringLiteral("http://x") + QString(slashes, u'/'),
                                           QString(slashes, u'/') + path);
    Check(joined == QStringLiteral("http://x/") + path, "one slash between site and path", joined,
          QStringLiteral("http://x/") + path);
    return 0;
}
