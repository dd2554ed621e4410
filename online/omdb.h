#pragma once
// The conversation with the OMDb API: one request per query, every field read from that answer.

#include "core/result.h"
#include "online/http_client.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <atomic>

namespace quorvel {

// Up to 10 characters; trimmed, "tt" (either case) then digits only ("tt" alone counts).
bool IsImdbId(const QString& input);

// A title as typed, cut into the name and the year it may end with in parentheses:
// "Dune (1984)" gives {"Dune", "1984"}. The year must be a whole year from 1870 to `latestYear`
// and something must stand before it; anything else ("Dune (1869)", "(1984)", "Dune (84)") is
// the title as typed, with no year.
struct TitleAndYear {
    QString title;
    QString year; // empty when the input names none
};
TitleAndYear SplitTitleYear(const QString& input, int latestYear);
// The same with the next year from today's date as the latest.
TitleAndYear SplitTitleYear(const QString& input);

// An identifier: base + "/?i=" + PlusForBlanks(input) + "&y=&plot=full&r=json"; a title:
// base + "/?t=" + the title + "&y=" + its year (SplitTitleYear, empty when none) +
// "&plot=full&r=json"; then "&apikey=" + PlusForBlanks(key) when the key is not empty.
QString BuildOmdbQuery(const QString& baseAddress, const QString& apiKey, const QString& input);

// The same for a stored identifier, always asked by "/?i=", whatever its form.
QString BuildOmdbIdQuery(const QString& baseAddress, const QString& apiKey, const QString& id);

// One page of the service's search by title ("s="): base + "/?s=" + the title + "&y=" + its year
// (SplitTitleYear) + "&page=" + page + "&r=json", then the key as above. The service gives ten
// matches a page.
QString BuildOmdbSearchQuery(const QString& baseAddress, const QString& apiKey,
                             const QString& input, int page);
inline constexpr int kOmdbMatchesPerPage = 10;
inline constexpr int kOmdbLastSearchPage = 100; // the service gives no page after it
// The pages a search of `totalResults` titles fills, as far as the service gives them.
inline int OmdbSearchPages(qint64 totalResults) {
    const qint64 pages =
        (std::max<qint64>(totalResults, 0) + kOmdbMatchesPerPage - 1) / kOmdbMatchesPerPage;
    return int(std::min<qint64>(pages, kOmdbLastSearchPage));
}

// Accents dropped through ICU's Latin-ASCII, the en dash to "-", anything else non-ASCII "?".
// Takes time in proportion to the text's length, however long it is.
QString ReduceToAscii(const QString& text);

class OmdbAnswer {
public:
    OmdbAnswer() = default;
    explicit OmdbAnswer(QJsonObject object) : object_(std::move(object)) {}

    // Response is exactly "True".
    bool found() const;
    // The service's "Error" member ("Movie not found!", "Invalid API key!", ...), or empty.
    QString serviceError() const;
    // Not found for a reason of the service's own (no key, a refused key, the daily limit),
    // as opposed to a title or identifier it does not know.
    bool refused() const;
    // The service looked and found nothing: Response "False" with no Error (or an empty one),
    // "Incorrect IMDb ID.", or any error of the form "... not found!" ("Movie not found!",
    // "Series or episode not found!", "Series or season not found!", "Episode not found!").
    // Any other Error ("Something went wrong.", "Too many results.", a refusal) is not this:
    // the user is shown the service's own text.
    bool notFound() const;
    // The text of the value (numbers and booleans as their text); "N/A" when the key is absent.
    QString field(const QString& key) const;
    // The 17 values of the info sections in table order ("ANY" has none); with title() they
    // are what ComposeInfoText takes.
    QStringList infoValues() const;
    QString title() const { return field(QStringLiteral("Title")); }
    QString posterAddress() const { return field(QStringLiteral("Poster")); }

private:
    QJsonObject object_;
};

// What an answer that is not found() gives as the reason: the service's own words, or "the OMDb
// service gave no usable answer" when it said nothing.
QString RefusalReason(const OmdbAnswer& answer);

// Parses the text, reduces every text in it (escaped ones too) to ASCII and replaces each
// control character (U+0000 to U+001F, U+007F) of a value by a blank, so no value can cut a
// file name or add lines to a record; a text that is not a JSON object fails.
Result<OmdbAnswer> ParseOmdbAnswer(const QString& answerText);

// One title of a search page, its texts as the service wrote them (accents kept), control
// characters replaced by blanks.
struct OmdbMatch {
    QString imdbId;
    QString title;
    QString year;   // "1984", or a series' range, "2017" en dash "2022"
    QString type;   // "movie", "series", "episode", "game"
    QString poster; // an address, or "N/A"
};

struct OmdbSearchPage {
    // Response and Error only: found(), notFound() ("Movie not found!"), refused() (the key,
    // the daily limit) and serviceError() ("Too many results." ...) as for a title's answer.
    OmdbAnswer status;
    QList<OmdbMatch> matches; // in the service's order; none without an IMDb identifier
    qint64 totalResults = 0;  // of the whole search, every page
    // No match to show: not found, too many, refused, or a found page without one.
    bool empty() const { return matches.isEmpty(); }
};

// Parses the text of a search answer; a text that is not a JSON object fails. A match whose
// imdbID is not an IMDb identifier is left out (there is nothing to look it up by); a
// totalResults that is not a whole number counts as the matches of this page.
Result<OmdbSearchPage> ParseOmdbSearch(const QString& answerText);

// Why a search page of `input` shows no match, in the user's words: the service knows no title
// of that name (or none on a page after the first), too many titles match for it to list, or
// else the service's own words. A refusal (status.refused()) is told the same way, by its words.
QString NoMatchText(const OmdbSearchPage& page, const QString& input, int pageNumber);

// One GET of `query`. A JSON object is an answer whatever the status (the service sends its
// refusals with 401); an answer that is neither found() nor notFound() always carries a
// serviceError(). Everything else fails with what happened, worded to follow "<input>: ":
// "could not connect to the OMDb service (connection refused)", "the OMDb service answered
// HTTP 503", "the OMDb service did not answer within 30 seconds", "the OMDb service sent an
// answer that is not JSON", "the answer of the OMDb service is larger than 8 MiB", ...; a
// request cancelled through settings.cancel fails with kCancelledText.
Result<OmdbAnswer> FetchOmdbAnswer(const QString& query, const HttpSettings& settings = {});

// One GET of a search query (BuildOmdbSearchQuery), failing as FetchOmdbAnswer does.
Result<OmdbSearchPage> FetchOmdbSearch(const QString& query, const HttpSettings& settings = {});

// The poster's bytes through the long-lived client (20 MiB cap). "N/A", empty and
// non-http(s) addresses fail without a request; so does an error status. With a cancel
// flag, this request ends with Failure(kCancelledText) within 100 ms of the flag being set.
Result<QByteArray> DownloadPoster(HttpClient& posterClient, const QString& address,
                                  const std::atomic<bool>* cancel = nullptr);

} // namespace quorvel
