#include "online/omdb.h"

#include "core/infotext.h"
#include "core/textfile.h"
#include "online/addresses.h"
#include "online/http_failure.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QUrl>

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <variant>

namespace quorvel {

namespace {

// Latin-ASCII works on pieces of about this many UTF-16 units (see TransliterateInPieces).
constexpr qsizetype kReductionPiece = 256;
constexpr qsizetype kLongestUncut = 256;

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

// Whether Latin-ASCII gives the same result for "x" + "y" as for "xy" whenever y begins with
// the code point c. The transliterator decomposes (NFD), deletes the nonspacing marks that
// follow a Latin letter or a digit, recomposes (NFC) and maps single characters without
// context. So a cut is exact before a character that interacts with nothing before it under
// either normalization and is not a mark the deletion would take from the letter before it.
bool IsExactCut(char32_t c) {
    if (c < 0x80)
        return true;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return false;
    return u_charType(UChar32(c)) != U_NON_SPACING_MARK && nfd->hasBoundaryBefore(UChar32(c)) &&
           nfc->hasBoundaryBefore(UChar32(c));
}

bool IsAscii(QStringView text) {
    for (const QChar c : text)
        if (c.unicode() > 0x7F)
            return false;
    return true;
}

QString TransliteratedWhole(const icu::Transliterator& latin, QStringView text) {
    icu::UnicodeString unicode(reinterpret_cast<const UChar*>(text.utf16()),
                               static_cast<int32_t>(text.size()));
    latin.transliterate(unicode);
    return QString(reinterpret_cast<const QChar*>(unicode.getBuffer()), unicode.length());
}

// ICU rewrites one long string in time growing with the square of its length, so the text is
// cut into pieces of about kReductionPiece units, each at an exact cut. Only a character
// followed by more than kLongestUncut units of marks (no real title or plot) may be cut
// inside its marks, which then keep their "?" instead of being dropped.
QString TransliterateInPieces(const icu::Transliterator& latin, const QString& text) {
    const qsizetype size = text.size();
    QString out;
    out.reserve(size);
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = std::min(size, start + kReductionPiece);
        const qsizetype latest = std::min(size, end + kLongestUncut);
        while (end < size) {
            const QChar c = text[end];
            if (c.isLowSurrogate() && text[end - 1].isHighSurrogate()) {
                ++end; // never between the halves of a pair
                continue;
            }
            const bool pair =
                c.isHighSurrogate() && end + 1 < size && text[end + 1].isLowSurrogate();
            const char32_t code = pair ? QChar::surrogateToUcs4(c, text[end + 1]) : c.unicode();
            if (IsExactCut(code) || end >= latest)
                break;
            end += pair ? 2 : 1;
        }
        const QStringView piece = QStringView(text).sliced(start, end - start);
        if (IsAscii(piece))
            out += piece;
        else
            out += TransliteratedWhole(latin, piece);
        start = end;
    }
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

namespace {

// The year form's bounds: no film is older than the first moving pictures.
constexpr int kEarliestYear = 1870;

QString BuildQuery(const QString& baseAddress, const QString& apiKey, QLatin1String parameter,
                   const QString& subject, const QString& year, const QString& rest) {
    QString query = JoinSiteAndPath(baseAddress, QStringLiteral("?") + parameter + u'=') +
                    PlusForBlanks(subject) + QStringLiteral("&y=") + year + rest;
    if (!apiKey.isEmpty())
        query += QStringLiteral("&apikey=") + PlusForBlanks(apiKey);
    return query;
}

const QString kRecordRest = QStringLiteral("&plot=full&r=json");

} // namespace

TitleAndYear SplitTitleYear(const QString& input, int latestYear) {
    static const QRegularExpression form(QStringLiteral("^(.*\\S)\\s*\\(([0-9]{4})\\)\\s*$"),
                                         QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = form.match(input);
    if (!match.hasMatch())
        return {input, {}};
    const int year = match.captured(2).toInt();
    if (year < kEarliestYear || year > latestYear)
        return {input, {}};
    return {match.captured(1), match.captured(2)};
}

TitleAndYear SplitTitleYear(const QString& input) {
    return SplitTitleYear(input, QDate::currentDate().year() + 1);
}

QString BuildOmdbQuery(const QString& baseAddress, const QString& apiKey, const QString& input) {
    if (IsImdbId(input))
        return BuildQuery(baseAddress, apiKey, QLatin1String("i"), input, {}, kRecordRest);
    const TitleAndYear asked = SplitTitleYear(input);
    return BuildQuery(baseAddress, apiKey, QLatin1String("t"), asked.title, asked.year,
                      kRecordRest);
}

QString BuildOmdbIdQuery(const QString& baseAddress, const QString& apiKey, const QString& id) {
    return BuildQuery(baseAddress, apiKey, QLatin1String("i"), id, {}, kRecordRest);
}

QString BuildOmdbSearchQuery(const QString& baseAddress, const QString& apiKey,
                             const QString& input, int page) {
    const TitleAndYear asked = SplitTitleYear(input);
    return BuildQuery(baseAddress, apiKey, QLatin1String("s"), asked.title, asked.year,
                      QStringLiteral("&page=%1&r=json").arg(page));
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

QString RefusalReason(const OmdbAnswer& answer) {
    const QString error = answer.serviceError();
    return error.isEmpty() ? QStringLiteral("the OMDb service gave no usable answer") : error;
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

std::variant<QJsonObject, Unreadable> ParsedObject(const QString& answerText) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(answerText.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return Unreadable::NotJson;
    if (!document.isObject())
        return Unreadable::NotAnObject;
    return document.object();
}

std::variant<OmdbAnswer, Unreadable> ParsedAnswer(const QString& answerText) {
    // Parsed before the reduction, not after: Latin-ASCII turns curly quotes into '"', which
    // inside a JSON string would end it early and lose the whole answer.
    std::variant<QJsonObject, Unreadable> parsed = ParsedObject(answerText);
    if (const auto* unreadable = std::get_if<Unreadable>(&parsed))
        return *unreadable;
    return OmdbAnswer(ReducedObject(std::get<QJsonObject>(parsed)));
}

// A text of a match as the service wrote it; numbers as their text, anything else "N/A".
QString MatchText(const QJsonObject& match, QLatin1String key) {
    const QJsonValue value = match.value(key);
    if (value.isString())
        return WithoutControls(value.toString());
    if (value.isDouble())
        return value.toVariant().toString();
    return QString::fromLatin1(kNotAvailable);
}

std::variant<OmdbSearchPage, Unreadable> ParsedSearch(const QString& answerText) {
    std::variant<QJsonObject, Unreadable> parsed = ParsedObject(answerText);
    if (const auto* unreadable = std::get_if<Unreadable>(&parsed))
        return *unreadable;
    const QJsonObject& object = std::get<QJsonObject>(parsed);
    OmdbSearchPage page;
    // Only what tells found from not found, in the form a title's answer has.
    QJsonObject status;
    for (const QLatin1String key : {QLatin1String("Response"), QLatin1String("Error")})
        if (object.contains(key))
            status.insert(key, ReducedValue(object.value(key)));
    page.status = OmdbAnswer(status);
    if (!page.status.found())
        return page;
    for (const QJsonValue item : object.value(QLatin1String("Search")).toArray()) {
        const QJsonObject match = item.toObject();
        const QString id = TrimBlanksAndControls(MatchText(match, QLatin1String("imdbID")));
        if (id.size() <= 2 || !IsImdbId(id))
            continue;
        page.matches.append(
            {id, MatchText(match, QLatin1String("Title")), MatchText(match, QLatin1String("Year")),
             MatchText(match, QLatin1String("Type")), MatchText(match, QLatin1String("Poster"))});
    }
    bool whole = false;
    const qint64 total = MatchText(object, QLatin1String("totalResults")).toLongLong(&whole);
    page.totalResults = whole && total >= page.matches.size() ? total : page.matches.size();
    return page;
}

template <typename Answer> Result<Answer> ParseResult(std::variant<Answer, Unreadable>&& parsed) {
    if (auto* answer = std::get_if<Answer>(&parsed))
        return std::move(*answer);
    return Failure(std::get<Unreadable>(parsed) == Unreadable::NotJson
                       ? QStringLiteral("The answer is not JSON.")
                       : QStringLiteral("The answer is not a JSON object."));
}

bool IsCancelled(const HttpSettings& settings) {
    return settings.cancel && settings.cancel->load();
}

const OmdbAnswer& StatusOf(const OmdbAnswer& answer) {
    return answer;
}

const OmdbAnswer& StatusOf(const OmdbSearchPage& page) {
    return page.status;
}

// One GET of `query` read by `parse`; what FetchOmdbAnswer says of every failure.
template <typename Answer>
Result<Answer> FetchParsed(const QString& query, const HttpSettings& settings,
                           std::variant<Answer, Unreadable> (*parse)(const QString&)) {
    const QString service = QStringLiteral("the OMDb service");
    HttpClient client(settings);
    Result<HttpResponse> response = client.get(query);
    if (!response)
        return Failure(DescribeFailure(LastFailure(client), service));

    const long status = response->status;
    const QString statusText = QStringLiteral("%1 answered HTTP %2").arg(service).arg(status);
    const bool success = status >= 200 && status < 300;
    std::variant<Answer, Unreadable> parsed = parse(response->text());
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
    Answer& answer = std::get<Answer>(parsed);
    // An answer that says neither what was found nor what went wrong has nothing to show.
    const OmdbAnswer& said = StatusOf(answer);
    if (!said.found() && !said.notFound() && said.serviceError().trimmed().isEmpty())
        return Failure(success ? QStringLiteral("%1 sent an answer without a result").arg(service)
                               : statusText);
    return std::move(answer);
}

} // namespace

Result<OmdbAnswer> ParseOmdbAnswer(const QString& answerText) {
    return ParseResult(ParsedAnswer(answerText));
}

Result<OmdbSearchPage> ParseOmdbSearch(const QString& answerText) {
    return ParseResult(ParsedSearch(answerText));
}

QString NoMatchText(const OmdbSearchPage& page, const QString& input, int pageNumber) {
    const QString error = page.status.serviceError().trimmed();
    if (page.status.notFound() || (page.status.found() && page.matches.isEmpty())) {
        if (pageNumber > 1)
            return QStringLiteral("The OMDb service has no more titles named \"%1\" after page %2.")
                .arg(input)
                .arg(pageNumber - 1);
        return QStringLiteral("The OMDb service knows no title named \"%1\".").arg(input);
    }
    if (error == u"Too many results.")
        return QStringLiteral("Too many titles match \"%1\" for the OMDb service to list them: "
                              "type more of the title, or its year as in \"Dune (1984)\".")
            .arg(input);
    return error;
}

Result<OmdbAnswer> FetchOmdbAnswer(const QString& query, const HttpSettings& settings) {
    return FetchParsed(query, settings, &ParsedAnswer);
}

Result<OmdbSearchPage> FetchOmdbSearch(const QString& query, const HttpSettings& settings) {
    return FetchParsed(query, settings, &ParsedSearch);
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
