#pragma once
// Plain HTTP GET into memory over one libcurl handle, cancellable from another thread.

#include "core/result.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>

namespace quorvel {

inline constexpr qint64 kPageSizeCap = 8LL * 1024 * 1024;   // JSON answers and pages
inline constexpr qint64 kImageSizeCap = 20LL * 1024 * 1024; // posters

// What every cancelled request gives, so a window can tell "the user stopped it" (show
// nothing) from a failure (show it).
inline constexpr const char* kCancelledText = "The request was cancelled.";

struct HttpSettings {
    long connectTimeoutMs = 10'000;
    long totalTimeoutMs = 30'000;   // also stops a server that accepts and never answers
    qint64 maxBytes = kPageSizeCap; // counted while receiving, chunked answers included
    bool cookies = false;           // the long-lived poster client keeps cookies
    // Set to true from any thread to end the request within 100 ms, also while it connects
    // or while a server holds the connection silent. The flag must outlive the request.
    const std::atomic<bool>* cancel = nullptr;
};

struct HttpResponse {
    long status = 0;
    QString contentType;
    QByteArray body;
    // The body decoded by the charset the Content-Type names, UTF-8 when it names none.
    QString text() const;
};

struct HttpFailure;

// Sends only "User-Agent: Mozilla/3.0 (compatible; Indy Library)" and the system's "Accept";
// follows at most 5 redirects, http and https only (file://, ftp:// ... fail unread).
// Requests from several threads take turns: a request waits for the one under way to end
// (its cancel flag still ends the wait within 100 ms); LastFailure tells of the last request
// of whichever thread. Failures (no connection, timeout, cap exceeded, bad scheme) come back as an
// Error with a one-line reason, a cancelled request as Failure(kCancelledText); any HTTP
// status is a response, the caller judges it.
class HttpClient {
public:
    explicit HttpClient(HttpSettings settings = {});
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    Result<HttpResponse> get(const QString& url);
    // The same with a tighter cap for this request only: the smaller of maxBytes and the
    // client's own cap (so a poster never costs more than kImageSizeCap, whatever the client).
    Result<HttpResponse> get(const QString& url, qint64 maxBytes);
    // ... and with a cancel flag of this request's own in place of the settings' one (the
    // long-lived poster client serves requests that are cancelled one by one).
    Result<HttpResponse> get(const QString& url, qint64 maxBytes, const std::atomic<bool>* cancel);

private:
    friend const HttpFailure& LastFailure(const HttpClient& client);
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quorvel
