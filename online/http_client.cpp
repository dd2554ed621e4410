#include "online/http_client.h"

#include "online/http_failure.h"

#include <QStringDecoder>
#include <QStringList>
#include <QtGlobal>

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <mutex>

namespace quorvel {

namespace {

constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
constexpr const char* kAcceptHeader =
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
constexpr long kMaxRedirects = 5;
// How long one wait for the network may last before the cancel flag is looked at again.
constexpr int kPollMs = 20;

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

// The reason of a failed connection as the user's system words it, lower-case first.
QString OsErrorText(int osError, const QString& fallback) {
    switch (osError) {
    case 0:
        return fallback;
    case ECONNREFUSED:
        return QStringLiteral("connection refused");
    case ENETUNREACH:
        return QStringLiteral("network unreachable");
    case EHOSTUNREACH:
        return QStringLiteral("host unreachable");
    default:
        break;
    }
    QString text = qt_error_string(osError);
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
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
    std::timed_mutex turn; // held for the whole of one request
    CURLM* multi = nullptr;
    CURL* handle = nullptr;
    curl_slist* headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};

    // Per request.
    QByteArray body;
    qint64 cap = 0;
    bool capExceeded = false;
    HttpFailure failure;

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
        multi = curl_multi_init();
        handle = curl_easy_init();
        if (!multi || !handle)
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
        // A request cancelled while its host name is being resolved leaves the resolver thread
        // to finish alone; otherwise libcurl would wait for it, as long as DNS takes.
        set(CURLOPT_QUICK_EXIT, 1L);
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
        if (multi)
            curl_multi_cleanup(multi);
        curl_slist_free_all(headers);
    }

    static bool Cancelled(const std::atomic<bool>* cancel) {
        return cancel && cancel->load(std::memory_order_relaxed);
    }

    // Runs the transfer through the multi interface: curl_easy_perform could only be stopped
    // from its progress callback, which libcurl calls about once a second while nothing
    // arrives; a short poll sees the cancel flag within kPollMs whatever the transfer does.
    // Gives CURLE_ABORTED_BY_CALLBACK for a cancelled transfer.
    CURLcode perform(const std::atomic<bool>* cancel) {
        if (curl_multi_add_handle(multi, handle) != CURLM_OK)
            return CURLE_FAILED_INIT;
        CURLcode code = CURLE_FAILED_INIT;
        while (true) {
            if (Cancelled(cancel)) {
                code = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK)
                break;
            bool done = false;
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == handle) {
                    code = message->data.result;
                    done = true;
                }
            }
            if (done || running == 0)
                break;
            if (curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK)
                break;
        }
        // Also ends a transfer still under way: its connection is closed, not reused.
        curl_multi_remove_handle(multi, handle);
        return code;
    }

    HttpFailure::Kind KindOf(CURLcode code) const {
        using Kind = HttpFailure::Kind;
        switch (code) {
        case CURLE_ABORTED_BY_CALLBACK:
            return Kind::Cancelled;
        case CURLE_UNSUPPORTED_PROTOCOL:
            return Kind::RefusedScheme;
        case CURLE_URL_MALFORMAT:
            return Kind::BadAddress;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return Kind::NoHost;
        case CURLE_COULDNT_CONNECT:
            return Kind::NoConnection;
        case CURLE_OPERATION_TIMEDOUT: {
            curl_off_t connected = 0;
            curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connected);
            return connected == 0 ? Kind::ConnectTimedOut : Kind::TimedOut;
        }
        case CURLE_WRITE_ERROR:
        case CURLE_FILESIZE_EXCEEDED:
            return capExceeded || code == CURLE_FILESIZE_EXCEEDED ? Kind::TooLarge : Kind::Other;
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            return Kind::BrokenOff;
        case CURLE_TOO_MANY_REDIRECTS:
            return Kind::TooManyRedirects;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
            return Kind::Secure;
        default:
            return Kind::Other;
        }
    }

    Result<HttpResponse> get(const QString& url, qint64 maxBytes, const std::atomic<bool>* cancel) {
        failure = {};
        if (!handle || !multi) {
            failure.kind = HttpFailure::Kind::NotStarted;
            return Failure(QStringLiteral("The HTTP client could not be started."));
        }
        const QByteArray address = url.toUtf8();
        if (address.isEmpty()) {
            failure.kind = HttpFailure::Kind::BadAddress;
            return Failure(QStringLiteral("No address to request."));
        }

        body.clear();
        cap = maxBytes;
        capExceeded = false;
        errorText[0] = '\0';
        curl_easy_setopt(handle, CURLOPT_URL, address.constData());
        // An announced length over the cap stops the transfer before any byte is read.
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(maxBytes));

        const CURLcode code = perform(cancel);
        if (code != CURLE_OK) {
            QByteArray received;
            received.swap(body);
            failure.kind = KindOf(code);
            failure.detail = errorText[0] != '\0' ? QString::fromUtf8(errorText).trimmed()
                                                  : QString::fromUtf8(curl_easy_strerror(code));
            switch (failure.kind) {
            case HttpFailure::Kind::Cancelled:
                return Failure(QString::fromLatin1(kCancelledText));
            case HttpFailure::Kind::TooLarge:
                failure.capBytes = maxBytes;
                return Failure(QStringLiteral("The answer from %1 is larger than %2 bytes.")
                                   .arg(url)
                                   .arg(maxBytes));
            case HttpFailure::Kind::ConnectTimedOut:
                failure.limitMs = std::min(settings.connectTimeoutMs, settings.totalTimeoutMs);
                break;
            case HttpFailure::Kind::TimedOut:
                failure.limitMs = settings.totalTimeoutMs;
                break;
            case HttpFailure::Kind::NoConnection:
            case HttpFailure::Kind::BrokenOff: {
                long osError = 0;
                curl_easy_getinfo(handle, CURLINFO_OS_ERRNO, &osError);
                failure.osError = int(osError);
                break;
            }
            default:
                break;
            }
            return Failure(QStringLiteral("Request for %1 failed: %2").arg(url, failure.detail));
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
    return get(url, impl_->settings.maxBytes, impl_->settings.cancel);
}

Result<HttpResponse> HttpClient::get(const QString& url, qint64 maxBytes) {
    return get(url, maxBytes, impl_->settings.cancel);
}

Result<HttpResponse> HttpClient::get(const QString& url, qint64 maxBytes,
                                     const std::atomic<bool>* cancel) {
    // The poster client serves a window's thumbnails and the search tab's poster, each from
    // the worker of its own wait: one waits for the other's request to end, and may be
    // cancelled meanwhile.
    std::unique_lock turn(impl_->turn, std::defer_lock);
    while (!turn.try_lock_for(std::chrono::milliseconds(kPollMs)))
        if (Impl::Cancelled(cancel))
            return Failure(QString::fromLatin1(kCancelledText));
    try {
        return impl_->get(url, std::min(maxBytes, impl_->settings.maxBytes), cancel);
    } catch (const std::exception& e) {
        impl_->failure.kind = HttpFailure::Kind::Other;
        impl_->failure.detail = QString::fromUtf8(e.what());
        return Failure(
            QStringLiteral("Request for %1 failed: %2").arg(url, QString::fromUtf8(e.what())));
    } catch (...) {
        impl_->failure.kind = HttpFailure::Kind::Other;
        return Failure(QStringLiteral("Request for %1 failed.").arg(url));
    }
}

const HttpFailure& LastFailure(const HttpClient& client) {
    return client.impl_->failure;
}

QString DurationText(long milliseconds) {
    if (milliseconds == 1000)
        return QStringLiteral("1 second");
    if (milliseconds % 1000 == 0)
        return QStringLiteral("%1 seconds").arg(milliseconds / 1000);
    return QStringLiteral("%1 seconds").arg(double(milliseconds) / 1000.0, 0, 'g', 3);
}

QString SizeText(qint64 bytes) {
    constexpr qint64 kib = 1024;
    constexpr qint64 mib = 1024 * kib;
    if (bytes > 0 && bytes % mib == 0)
        return QStringLiteral("%1 MiB").arg(bytes / mib);
    if (bytes > 0 && bytes % kib == 0)
        return QStringLiteral("%1 KiB").arg(bytes / kib);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString DescribeFailure(const HttpFailure& failure, const QString& service) {
    using Kind = HttpFailure::Kind;
    switch (failure.kind) {
    case Kind::None:
    case Kind::Other:
        break;
    case Kind::Cancelled:
        return QString::fromLatin1(kCancelledText);
    case Kind::NotStarted:
        return QStringLiteral("the request to %1 could not be started").arg(service);
    case Kind::BadAddress:
        return QStringLiteral("the address of %1 is not a valid address").arg(service);
    case Kind::RefusedScheme:
        return QStringLiteral("%1 can only be reached over http or https").arg(service);
    case Kind::NoHost:
        return QStringLiteral("could not connect to %1 (its host name is unknown)").arg(service);
    case Kind::NoConnection:
        return QStringLiteral("could not connect to %1 (%2)")
            .arg(service, OsErrorText(failure.osError, failure.detail));
    case Kind::ConnectTimedOut:
        return QStringLiteral("could not connect to %1 within %2")
            .arg(service, DurationText(failure.limitMs));
    case Kind::TimedOut:
        return QStringLiteral("%1 did not answer within %2")
            .arg(service, DurationText(failure.limitMs));
    case Kind::TooLarge:
        return QStringLiteral("the answer of %1 is larger than %2")
            .arg(service, SizeText(failure.capBytes));
    case Kind::BrokenOff:
        return QStringLiteral("%1 broke the connection off before its answer was complete")
            .arg(service);
    case Kind::TooManyRedirects:
        return QStringLiteral("%1 redirected the request more than %2 times")
            .arg(service)
            .arg(kMaxRedirects);
    case Kind::Secure:
        return QStringLiteral("the secure connection to %1 failed (%2)")
            .arg(service, failure.detail);
    }
    return failure.detail.isEmpty()
               ? QStringLiteral("the request to %1 failed").arg(service)
               : QStringLiteral("the request to %1 failed (%2)").arg(service, failure.detail);
}

} // namespace quorvel
