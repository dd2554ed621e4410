#include "online/omdb.h"

#include "core/infotext.h"
#include "core/textfile.h"
#include "online/addresses.h"
#include "online/http_failure.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QUrl>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <variant>

namespace quorvel {

namespace {

// Latin-ASCII works on pieces of this many UTF-16 units at a time: ICU's rewriting of one long
// string costs time in proportion to the square of its length.
constexpr int32_t kReductionPiece = 1024;

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

// ICU's incremental mode over a buffer that holds only what is still open: each piece is
// appended, transliterated as far as no later text can change it, and the finished part (less
// the context the rules may look back at) moves to the result. The outcome is the one of the
// whole text at once; the work per piece is bounded.
QString TransliterateInPieces(const icu::Transliterator& latin, const QString& text) {
    const int32_t lookBack = std::max<int32_t>(latin.getMaximumContextLength(), 0);
    QString out;
    out.reserve(text.size());
    icu::UnicodeString open;
    UTransPosition position{0, 0, 0, 0};
    qsizetype next = 0;
    while (next < text.size()) {
        qsizetype end = std::min<qsizetype>(text.size(), next + kReductionPiece);
        if (end < text.size() && text[end - 1].isHighSurrogate())
            ++end; // never between the halves of a pair
        open.append(reinterpret_cast<const UChar*>(text.utf16() + next), int32_t(end - next));
        next = end;
        position.contextLimit = position.limit = open.length();
        UErrorCode status = U_ZERO_ERROR;
        latin.transliterate(open, position, status);
        if (U_FAILURE(status))
            return text;
        const int32_t finished = std::max<int32_t>(0, position.start - lookBack);
        if (finished > 0) {
            out.append(reinterpret_cast<const QChar*>(open.getBuffer()), finished);
            open.remove(0, finished);
            position.contextStart = std::max<int32_t>(0, position.contextStart - finished);
            position.start -= finished;
            position.limit -= finished;
            position.contextLimit -= finished;
        }
    }
    latin.finishTransliteration(open, position);
    out.append(reinterpret_cast<const QChar*>(open.getBuffer()), open.length());
    return out;
}

// A control character in a title would cut the file name at a NUL or break it over lines, and
// one in any value would add lines to the record.
QString WithoutControls(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    return text;
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
        return WithoutControls(ReduceToAscii(value.toString()));
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
    const QString text = AsciiUpper(TrimBlanksAndControls(input));
    if (text.size() < 2 || text[0] != u'T' || text[1] != u'T')
        return false;
    for (qsizetype i = 2; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    return true;
}

QString BuildOmdbQuery(const QString& baseAddress, const QString& apiKey, const QString& input) {
    QString query = JoinSiteAndPath(baseAddress, IsImdbId(input) ? u"?i=" : u"?t=") +
                    PlusForBlanks(input) + QStringLiteral("&y=&plot=full&r=json");
    if (!apiKey.isEmpty())
        query += QStringLiteral("&apikey=") + PlusForBlanks(apiKey);
    return query;
}

QString ReduceToAscii(const QString& text) {
    if (IsAscii(text))
        return text;
    const icu::Transliterator* latin = LatinToAscii();
    const QString reduced = latin ? TransliterateInPieces(*latin, text) : text;

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

bool OmdbAnswer::notFound() const {
    const QJsonValue response = object_.value(QLatin1String("Response"));
    if (!response.isString() || response.toString() != u"False")
        return false;
    const QString error = serviceError().trimmed();
    return error.isEmpty() || error == u"Incorrect IMDb ID." ||
           error.endsWith(QLatin1String(" not found!"), Qt::CaseInsensitive);
}

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

namespace {

enum class Unreadable { NotJson, NotAnObject };

std::variant<OmdbAnswer, Unreadable> ParsedAnswer(const QString& answerText) {
    // Parsed before the reduction, not after: Latin-ASCII turns curly quotes into '"', which
    // inside a JSON string would end it early and lose the whole answer.
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(answerText.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return Unreadable::NotJson;
    if (!document.isObject())
        return Unreadable::NotAnObject;
    return OmdbAnswer(ReducedObject(document.object()));
}

bool IsCancelled(const HttpSettings& settings) {
    return settings.cancel && settings.cancel->load();
}

} // namespace

Result<OmdbAnswer> ParseOmdbAnswer(const QString& answerText) {
    std::variant<OmdbAnswer, Unreadable> parsed = ParsedAnswer(answerText);
    if (auto* answer = std::get_if<OmdbAnswer>(&parsed))
        return std::move(*answer);
    return Failure(std::get<Unreadable>(parsed) == Unreadable::NotJson
                       ? QStringLiteral("The answer is not JSON.")
                       : QStringLiteral("The answer is not a JSON object."));
}

Result<OmdbAnswer> FetchOmdbAnswer(const QString& query, const HttpSettings& settings) {
    const QString service = QStringLiteral("the OMDb service");
    HttpClient client(settings);
    Result<HttpResponse> response = client.get(query);
    if (!response)
        return Failure(DescribeFailure(LastFailure(client), service));

    const long status = response->status;
    const QString statusText = QStringLiteral("%1 answered HTTP %2").arg(service).arg(status);
    const bool success = status >= 200 && status < 300;
    std::variant<OmdbAnswer, Unreadable> parsed = ParsedAnswer(response->text());
    // Reducing a long answer takes a while: a cancel during it is honoured too.
    if (IsCancelled(settings))
        return Failure(QString::fromLatin1(kCancelledText));
    if (const auto* unreadable = std::get_if<Unreadable>(&parsed)) {
        if (!success)
            return Failure(statusText);
        return Failure(
            *unreadable == Unreadable::NotJson
                ? QStringLiteral("%1 sent an answer that is not JSON").arg(service)
                : QStringLiteral("%1 sent an answer that is not a JSON object").arg(service));
    }
    OmdbAnswer& answer = std::get<OmdbAnswer>(parsed);
    // An answer that says neither what was found nor what went wrong has nothing to show.
    if (!answer.found() && !answer.notFound() && answer.serviceError().trimmed().isEmpty())
        return Failure(success ? QStringLiteral("%1 sent an answer without a result").arg(service)
                               : statusText);
    return std::move(answer);
}

Result<QByteArray> DownloadPoster(HttpClient& posterClient, const QString& address,
                                  const std::atomic<bool>* cancel) {
    if (address.isEmpty() || address == QLatin1String(kNotAvailable))
        return Failure(QStringLiteral("The service has no poster for this title."));
    if (!IsHttpAddress(address))
        return Failure(
            QStringLiteral("The poster address %1 is not an http or https address.").arg(address));
    Result<HttpResponse> response = cancel ? posterClient.get(address, kImageSizeCap, cancel)
                                           : posterClient.get(address, kImageSizeCap);
    if (!response)
        return Failure(response.error());
    if (response->status < 200 || response->status >= 300)
        return Failure(QStringLiteral("The poster request answered with HTTP status %1.")
                           .arg(response->status));
    return std::move(response).value().body;
}

} // namespace quorvel
