#include "online/omdb.h"

#include "core/textfile.h"

#include "core/infotext.h"
#include "online/addresses.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QUrl>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace quorvel {

namespace {

// One transliterator per thread: searches run on worker threads and ICU does not promise that
// one instance may be shared between them.
const icu::Transliterator* LatinToAscii() {
    thread_local std::unique_ptr<icu::Transliterator> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(
            icu::UnicodeString::fromUTF8("Latin-ASCII"), UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            made.reset();
        return made;
    }();
    return instance.get();
}

bool IsAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0x7F)
            return false;
    return true;
}

QJsonValue ReducedValue(const QJsonValue& value);

QJsonObject ReducedObject(const QJsonObject& object) {
    QJsonObject out;
    for (auto it = object.begin(); it != object.end(); ++it)
        out.insert(ReduceToAscii(it.key()), ReducedValue(it.value()));
    return out;
}

QJsonValue ReducedValue(const QJsonValue& value) {
    if (value.isString())
        return ReduceToAscii(value.toString());
    if (value.isObject())
        return ReducedObject(value.toObject());
    if (value.isArray()) {
        QJsonArray out;
        for (const QJsonValue& item : value.toArray())
            out.append(ReducedValue(item));
        return out;
    }
    return value;
}

bool IsHttpAddress(const QString& address) {
    const QString scheme = QUrl(address).scheme().toLower();
    return scheme == u"http" || scheme == u"https";
}

} // namespace

bool IsImdbId(const QString& input) {
    if (input.size() > 10)
        return false;
    QString text = input;
    for (QChar& c : text)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    text = TrimBlanksAndControls(text);
    if (text.size() < 2 || text[0] != u't' || text[1] != u't')
        return false;
    for (qsizetype i = 2; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    return true;
}

namespace {

QString BuildQuery(const QString& baseAddress, const QString& apiKey, const QString& parameter,
                   const QString& input) {
    QString base = baseAddress;
    while (base.endsWith(u'/'))
        base.chop(1);
    QString query = base + QStringLiteral("/?") + parameter + QLatin1Char('=') +
                    PlusForBlanks(input) + QStringLiteral("&y=&plot=full&r=json");
    if (!apiKey.isEmpty())
        query += QStringLiteral("&apikey=") + PlusForBlanks(apiKey);
    return query;
}

} // namespace

QString BuildOmdbQuery(const QString& baseAddress, const QString& apiKey, const QString& input) {
    return BuildQuery(baseAddress, apiKey,
                      IsImdbId(input) ? QStringLiteral("i") : QStringLiteral("t"), input);
}

QString BuildOmdbIdQuery(const QString& baseAddress, const QString& apiKey, const QString& id) {
    return BuildQuery(baseAddress, apiKey, QStringLiteral("i"), id);
}

QString ReduceToAscii(const QString& text) {
    if (IsAscii(text))
        return text;
    icu::UnicodeString unicode(reinterpret_cast<const UChar*>(text.utf16()),
                               static_cast<int32_t>(text.size()));
    if (const icu::Transliterator* latin = LatinToAscii())
        latin->transliterate(unicode);
    const QString reduced(reinterpret_cast<const QChar*>(unicode.getBuffer()), unicode.length());

    // Whatever has no ASCII look-alike (other scripts, symbols) is one "?" per character.
    QString out;
    out.reserve(reduced.size());
    for (qsizetype i = 0; i < reduced.size(); ++i) {
        const QChar c = reduced[i];
        if (c.unicode() <= 0x7F) {
            out += c;
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < reduced.size() && reduced[i + 1].isLowSurrogate())
            ++i;
        out += u'?';
    }
    return out;
}

bool OmdbAnswer::found() const {
    const QJsonValue response = object_.value(QLatin1String("Response"));
    return response.isString() && response.toString() == u"True";
}

QString OmdbAnswer::serviceError() const {
    const QJsonValue error = object_.value(QLatin1String("Error"));
    return error.isUndefined() || error.isNull() ? QString() : field(QStringLiteral("Error"));
}

bool OmdbAnswer::refused() const {
    if (found())
        return false;
    // The service's refusals all concern the access key ("No API key provided.",
    // "Invalid API key!", "This key is not activated") or the daily quota ("Request limit
    // reached!"); its answers about unknown titles and identifiers ("Movie not found!",
    // "Incorrect IMDb ID.", "Series or season not found!", "Too many results.") never mention
    // either. A missing Error member is a plain "not found".
    const QString error = serviceError();
    return error.contains(QLatin1String("key"), Qt::CaseInsensitive) ||
           error.contains(QLatin1String("limit"), Qt::CaseInsensitive);
}

bool OmdbAnswer::notFound() const { return !found() && !refused(); }

QString OmdbAnswer::field(const QString& key) const {
    const QJsonValue value = object_.value(key);
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return value.toVariant().toString();
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        break;
    }
    return QString::fromLatin1(kNotAvailable);
}

QStringList OmdbAnswer::infoValues() const {
    QStringList values;
    for (const InfoSection& section : kInfoSections)
        if (section.omdbKey)
            values << field(QString::fromLatin1(section.omdbKey));
    return values;
}

Result<OmdbAnswer> ParseOmdbAnswer(const QString& answerText) {
    // Parsed before the reduction, not after: Latin-ASCII turns curly quotes into '"', which
    // inside a JSON string would end it early and lose the whole answer.
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(answerText.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return Failure(QStringLiteral("The answer is not JSON: %1.").arg(error.errorString()));
    if (!document.isObject())
        return Failure(QStringLiteral("The answer is not a JSON object."));
    return OmdbAnswer(ReducedObject(document.object()));
}

Result<OmdbAnswer> FetchOmdbAnswer(const QString& query, const HttpSettings& settings) {
    HttpClient client(settings);
    Result<HttpResponse> response = client.get(query);
    if (!response)
        return Failure(response.error());
    Result<OmdbAnswer> answer = ParseOmdbAnswer(response->text());
    if (!answer && (response->status < 200 || response->status >= 300))
        return Failure(
            QStringLiteral("The service answered with HTTP status %1.").arg(response->status));
    return answer;
}

Result<QByteArray> DownloadPoster(HttpClient& posterClient, const QString& address,
                                  const std::atomic<bool>*) {
    if (address.isEmpty() || address == QLatin1String(kNotAvailable))
        return Failure(QStringLiteral("The service has no poster for this title."));
    if (!IsHttpAddress(address))
        return Failure(
            QStringLiteral("The poster address %1 is not an http or https address.").arg(address));
    Result<HttpResponse> response = posterClient.get(address, kImageSizeCap);
    if (!response)
        return Failure(response.error());
    if (response->status < 200 || response->status >= 300)
        return Failure(QStringLiteral("The poster request answered with HTTP status %1.")
                           .arg(response->status));
    return std::move(response).value().body;
}

} // namespace quorvel
