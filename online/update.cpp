#include "online/update.h"

#include "core/textfile.h"
#include "online/addresses.h"

#include <QByteArrayView>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace quorvel {

namespace {

// A Linux executable has no version resource, so the build writes its version into its own
// bytes between NULs where ReadFileVersion can find it again. BuildVersion reads it from here,
// which also makes sure the linker keeps this object in every program that asks for a version.
constexpr const char kMarkerPrefix[] = "QUORVEL-FILE-VERSION:";
[[gnu::used]] const char kVersionMarker[] = "\0QUORVEL-FILE-VERSION:" QUORVEL_VERSION_TEXT "\0";
constexpr qsizetype kMarkerPrefixLength = sizeof(kMarkerPrefix) - 1;
constexpr qsizetype kLongestVersion = 64;

// The version after the first marker in `bytes` that is followed by a NUL-ended text.
QString VersionAfterMarker(QByteArrayView bytes) {
    // The needle is taken from the marker itself so that no second copy of it, one that a
    // string literal here would add, can be found in the file.
    const QByteArrayView needle(kVersionMarker + 1, kMarkerPrefixLength);
    qsizetype from = 0;
    while (true) {
        const qsizetype at = bytes.indexOf(needle, from);
        if (at < 0)
            return {};
        const qsizetype start = at + needle.size();
        const qsizetype end = bytes.indexOf('\0', start);
        if (end > start && end - start <= kLongestVersion) {
            const QString version =
                TrimBlanksAndControls(QString::fromLatin1(bytes.sliced(start, end - start)));
            if (!version.isEmpty())
                return version;
        }
        from = at + 1;
    }
}

} // namespace

QString BuildVersion() {
    return QString::fromLatin1(kVersionMarker + 1 + kMarkerPrefixLength);
}

QString ReadFileVersion(const QString& executablePath) {
    QFile file(executablePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    if (size <= 0)
        return {};
    if (const uchar* mapped = file.map(0, size)) {
        const QString version =
            VersionAfterMarker(QByteArrayView(reinterpret_cast<const char*>(mapped), size));
        file.unmap(const_cast<uchar*>(mapped));
        return version;
    }
    return VersionAfterMarker(file.readAll());
}

int Edition() {
    return int(sizeof(void*) * 8);
}

QString UpdatePageAddress(const QString& site) {
    return JoinSiteAndPath(site, QStringLiteral("QVLUpdate.html"));
}

QString UpdateLogAddress(const QString& site) {
    return JoinSiteAndPath(site, QStringLiteral("UpdateLogQVL.html"));
}

QString WhatsNewAddress(const QString& site) {
    return JoinSiteAndPath(site, QStringLiteral("QVLWhatIsNewLog.html"));
}

QString DownloadArchiveAddress(const QString& site, int edition) {
    return JoinSiteAndPath(site, edition == 32 ? QStringLiteral("Quorvel_32bits.zip")
                                               : QStringLiteral("Quorvel_64Bits.zip"));
}

QString FetchWebVersion(const QString& site, const HttpSettings& settings) {
    HttpClient client(settings);
    const Result<HttpResponse> response = client.get(UpdatePageAddress(site));
    if (!response || response->status < 200 || response->status >= 300)
        return {};
    return response->text();
}

std::optional<QString> ParseWebVersion(const QString& pageText) {
    // Split by hand rather than by a regular expression, which refuses a text holding a lone
    // surrogate and would then see the whole page as one line.
    QString text = pageText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    // A final line end closes the last line; it does not open another one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    const qsizetype marker = lines.lastIndexOf(QStringLiteral("<p>***version***</p>"));
    if (marker < 0 || marker + 1 >= lines.size())
        return std::nullopt;
    const QString& versionLine = lines[marker + 1];
    if (versionLine.size() < 10)
        return std::nullopt;
    return versionLine.mid(3, 7);
}

QString WanIpAddress(const QString& ipInfoAddress, const HttpSettings& settings) {
    HttpClient client(settings);
    const Result<HttpResponse> response = client.get(ipInfoAddress);
    if (!response || response->status < 200 || response->status >= 300)
        return {};
    const QString text = response->text();
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (document.isObject()) {
        const QJsonValue ip = document.object().value(QLatin1String("ip"));
        if (ip.isString())
            return ip.toString();
    }
    return text;
}

QString LanIpAddressText() {
    const QString none = QStringLiteral("No. IP Address");
    char host[257] = {};
    if (gethostname(host, sizeof(host) - 1) != 0 || host[0] == '\0')
        return none;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
        return none;

    QString text = none;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || !entry->ai_addr)
            continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        char dotted[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address->sin_addr, dotted, sizeof(dotted))) {
            text = QStringLiteral("LAN IP Address: ") + QString::fromLatin1(dotted);
            break;
        }
    }
    freeaddrinfo(found);
    return text;
}

} // namespace quorvel
