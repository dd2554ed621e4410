#pragma once
// The conversation with the OMDb API: one request per query, every field read from that answer.

#include "core/result.h"
#include "online/http_client.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace quorvel {

// Up to 10 characters; lower-cased and trimmed, "tt" then digits only ("tt" alone counts).
bool IsImdbId(const QString& input);

// base + "/?i=" or "/?t=" + PlusForBlanks(input) + "&y=&plot=full&r=json",
// then "&apikey=" + key when the key is not empty.
QString BuildOmdbQuery(const QString& baseAddress, const QString& apiKey, const QString& input);

// The same for a stored identifier, always asked by "/?i=", whatever its form.
QString BuildOmdbIdQuery(const QString& baseAddress, const QString& apiKey, const QString& id);

// Accents dropped through ICU's Latin-ASCII, the en dash to "-", anything else non-ASCII "?".
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

// Parses the text and reduces every text in it (escaped ones too) to ASCII; a text that is not
// a JSON object fails.
Result<OmdbAnswer> ParseOmdbAnswer(const QString& answerText);

// One GET of `query`. A failed request, an error status without a JSON body, or a body that is
// not a JSON object fails; a JSON body is an answer whatever the status (the service sends
// its refusals with 401).
Result<OmdbAnswer> FetchOmdbAnswer(const QString& query, const HttpSettings& settings = {});

// The poster's bytes through the long-lived client (20 MiB cap). "N/A", empty and
// non-http(s) addresses fail without a request; so does an error status.
Result<QByteArray> DownloadPoster(HttpClient& posterClient, const QString& address,
                                  const std::atomic<bool>* cancel = nullptr);

} // namespace quorvel
