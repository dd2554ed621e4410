#pragma once
// The conversation with the OMDb API: one request per query, every field read from that answer.

#include "core/result.h"
#include "online/http_client.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <atomic>

namespace quorvel {

// Up to 10 characters; trimmed, "tt" (either case) then digits only ("tt" alone counts).
bool IsImdbId(const QString& input);

// base + "/?i=" or "/?t=" + PlusForBlanks(input) + "&y=&plot=full&r=json",
// then "&apikey=" + PlusForBlanks(key) when the key is not empty.
QString BuildOmdbQuery(const QString& baseAddress, const QString& apiKey, const QString& input);

// The same for a stored identifier, always asked by "/?i=", whatever its form.
QString BuildOmdbIdQuery(const QString& baseAddress, const QString& apiKey, const QString& id);

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

// Parses the text, reduces every text in it (escaped ones too) to ASCII and replaces each
// control character (U+0000 to U+001F, U+007F) of a value by a blank, so no value can cut a
// file name or add lines to a record; a text that is not a JSON object fails.
Result<OmdbAnswer> ParseOmdbAnswer(const QString& answerText);

// One GET of `query`. A JSON object is an answer whatever the status (the service sends its
// refusals with 401); an answer that is neither found() nor notFound() always carries a
// serviceError(). Everything else fails with what happened, worded to follow "<input>: ":
// "could not connect to the OMDb service (connection refused)", "the OMDb service answered
// HTTP 503", "the OMDb service did not answer within 30 seconds", "the OMDb service sent an
// answer that is not JSON", "the answer of the OMDb service is larger than 8 MiB", ...; a
// request cancelled through settings.cancel fails with kCancelledText.
Result<OmdbAnswer> FetchOmdbAnswer(const QString& query, const HttpSettings& settings = {});

// The poster's bytes through the long-lived client (20 MiB cap). "N/A", empty and
// non-http(s) addresses fail without a request; so does an error status. With a cancel
// flag, this request ends with Failure(kCancelledText) within 100 ms of the flag being set.
Result<QByteArray> DownloadPoster(HttpClient& posterClient, const QString& address,
                                  const std::atomic<bool>* cancel = nullptr);

} // namespace quorvel
