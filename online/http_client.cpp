#include "online/http_client.h"

#include <QStringDecoder>
#include <QStringList>

#include <curl/curl.h>

#include <algorithm>
#include <exception>
#include <mutex>

namespace quorvel {

namespace {

constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
constexpr const char* kAcceptHeader =
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
constexpr long kMaxRedirects = 5;

// curl_global_init is not thread-safe on every build of libcurl, and clients are made on
// worker threads: do it exactly once, whoever comes first.
bool EnsureCurlReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

// The charset parameter of a Content-Type value, or empty.
QByteArray CharsetOf(const QString& contentType) {
    const QStringList parts = contentType.split(u';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString part = parts[i].trimmed();
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0 || part.left(eq).trimmed().compare(u"charset", Qt::CaseInsensitive) != 0)
            continue;
        QString value = part.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        return value.toLatin1();
    }
    return {};
}

} // namespace

QString HttpResponse::text() const {
    const QByteArray charset = CharsetOf(contentType);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    return utf8.decode(body);
}

struct HttpClient::Impl {
    HttpSettings settings;
    CURL* handle = nullptr;
    curl_slist* headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};

    // Per request.
    QByteArray body;
    qint64 cap = 0;
    bool capExceeded = false;

    static size_t Write(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Impl*>(user);
        const size_t bytes = size * count;
        // Counted here rather than trusted to CURLOPT_MAXFILESIZE: a chunked answer carries no
        // length for libcurl to check in advance.
        if (self->body.size() + qint64(bytes) > self->cap) {
            self->capExceeded = true;
            return 0;
        }
        self->body.append(data, qsizetype(bytes));
        return bytes;
    }

    bool setUp() {
        if (!EnsureCurlReady())
            return false;
        handle = curl_easy_init();
        if (!handle)
            return false;
        // The Accept line replaces libcurl's own "Accept: */*"; nothing else of ours is sent.
        headers = curl_slist_append(nullptr, kAcceptHeader);
        if (!headers)
            return false;

        bool ok = true;
        auto set = [&](CURLoption option, auto value) {
            ok = ok && curl_easy_setopt(handle, option, value) == CURLE_OK;
        };
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_ERRORBUFFER, errorText);
        set(CURLOPT_USERAGENT, kUserAgent);
        set(CURLOPT_HTTPHEADER, headers);
        set(CURLOPT_PROXY, "");
        set(CURLOPT_PROTOCOLS_STR, "http,https");
        set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        set(CURLOPT_FOLLOWLOCATION, 1L);
        set(CURLOPT_MAXREDIRS, kMaxRedirects);
        set(CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
        set(CURLOPT_TIMEOUT_MS, settings.totalTimeoutMs);
        set(CURLOPT_WRITEFUNCTION, &Impl::Write);
        set(CURLOPT_WRITEDATA, this);
        if (settings.cookies)
            set(CURLOPT_COOKIEFILE, "");
        return ok;
    }

    ~Impl() {
        if (handle)
            curl_easy_cleanup(handle);
        curl_slist_free_all(headers);
    }

    Result<HttpResponse> get(const QString& url, qint64 maxBytes) {
        if (!handle)
            return Failure(QStringLiteral("The HTTP client could not be started."));
        const QByteArray address = url.toUtf8();
        if (address.isEmpty())
            return Failure(QStringLiteral("No address to request."));

        body.clear();
        cap = maxBytes;
        capExceeded = false;
        errorText[0] = '\0';
        curl_easy_setopt(handle, CURLOPT_URL, address.constData());
        // An announced length over the cap stops the transfer before any byte is read.
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(maxBytes));

        const CURLcode code = curl_easy_perform(handle);
        if (code != CURLE_OK) {
            QByteArray received;
            received.swap(body);
            if (capExceeded || code == CURLE_FILESIZE_EXCEEDED)
                return Failure(QStringLiteral("The answer from %1 is larger than %2 bytes.")
                                   .arg(url)
                                   .arg(maxBytes));
            const QString detail = errorText[0] != '\0'
                                       ? QString::fromUtf8(errorText).trimmed()
                                       : QString::fromUtf8(curl_easy_strerror(code));
            return Failure(QStringLiteral("Request for %1 failed: %2").arg(url, detail));
        }

        HttpResponse response;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &response.status);
        char* type = nullptr;
        if (curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
            response.contentType = QString::fromLatin1(type);
        response.body.swap(body);
        return response;
    }
};

HttpClient::HttpClient(HttpSettings settings) : impl_(std::make_unique<Impl>()) {
    impl_->settings = settings;
    if (!impl_->setUp() && impl_->handle) {
        curl_easy_cleanup(impl_->handle);
        impl_->handle = nullptr;
    }
}

HttpClient::~HttpClient() = default;

Result<HttpResponse> HttpClient::get(const QString& url) {
    return get(url, impl_->settings.maxBytes);
}

Result<HttpResponse> HttpClient::get(const QString& url, qint64 maxBytes, const std::atomic<bool>*) {
    return get(url, maxBytes);
}

Result<HttpResponse> HttpClient::get(const QString& url, qint64 maxBytes) {
    try {
        return impl_->get(url, std::min(maxBytes, impl_->settings.maxBytes));
    } catch (const std::exception& e) {
        return Failure(
            QStringLiteral("Request for %1 failed: %2").arg(url, QString::fromUtf8(e.what())));
    } catch (...) {
        return Failure(QStringLiteral("Request for %1 failed.").arg(url));
    }
}

} // namespace quorvel
