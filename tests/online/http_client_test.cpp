#include "online/http_client.h"
#include "online/http_failure.h"
#include "tests/support/fake_web_server.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace quorvel {
namespace {

using test::FakeAnswer;
using test::FakeWebServer;
using namespace std::chrono_literals;

TEST(HttpClient, SendsOnlyTheTwoHeadersOfThisProgram) {
    FakeWebServer server;
    server.serveText("/page", "hello");
    HttpClient client;
    const Result<HttpResponse> response = client.get(server.address("/page"));
    ASSERT_TRUE(response.ok()) << response.error().toStdString();
    EXPECT_EQ(response->status, 200);
    EXPECT_EQ(response->body, "hello");

    const test::FakeHeaders headers = server.lastRequestHeaders();
    const test::FakeHeaders expected{
        {"Host", "127.0.0.1:" + std::to_string(server.port())},
        {"User-Agent", "Mozilla/3.0 (compatible; Indy Library)"},
        {"Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
    };
    EXPECT_EQ(headers, expected);
}

TEST(HttpClient, DecodesTheBodyByTheCharsetOfTheAnswer) {
    FakeWebServer server;
    server.serveText("/latin", "Caf\xe9 cr\xe8me", "text/html; charset=windows-1252");
    server.serveText("/quoted", "Caf\xe9", "text/html; charset=\"ISO-8859-1\"");
    server.serveText("/none", "Caf\xc3\xa9", "text/plain");
    server.serveText("/unknown", "Caf\xc3\xa9", "text/plain; charset=no-such-charset");
    HttpClient client;

    const auto text = [&](const char* path) {
        const Result<HttpResponse> response = client.get(server.address(path));
        return response.ok() ? response->text() : QStringLiteral("<failed>");
    };
    EXPECT_EQ(text("/latin"), QStringLiteral("Caf\u00e9 cr\u00e8me"));
    EXPECT_EQ(text("/quoted"), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(text("/none"), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(text("/unknown"), QStringLiteral("Caf\u00e9"));
}

TEST(HttpClient, AnErrorStatusIsAResponseForTheCallerToJudge) {
    FakeWebServer server;
    server.serveText("/broken", "Internal error", "text/plain", 500);
    HttpClient client;
    const Result<HttpResponse> response = client.get(server.address("/broken"));
    ASSERT_TRUE(response.ok());
    EXPECT_EQ(response->status, 500);
    EXPECT_EQ(response->body, "Internal error");
}

TEST(HttpClient, ConnectionsThatBreakOrNeverAnswerFail) {
    FakeWebServer server;
    FakeAnswer dropped;
    dropped.kind = FakeAnswer::Kind::CloseConnection;
    server.route("/dropped", dropped);
    FakeAnswer silent;
    silent.kind = FakeAnswer::Kind::NeverAnswer;
    server.route("/silent", silent);

    HttpClient client(HttpSettings{.connectTimeoutMs = 500, .totalTimeoutMs = 500});
    const Result<HttpResponse> broken = client.get(server.address("/dropped"));
    EXPECT_FALSE(broken.ok());
    EXPECT_FALSE(broken.error().isEmpty());
    EXPECT_FALSE(broken.error().contains(u'\n'));

    const Result<HttpResponse> waited = client.get(server.address("/silent"));
    EXPECT_FALSE(waited.ok());
    EXPECT_EQ(server.requestCount("/silent"), 1);

    // The same client serves again after a failure.
    server.serveText("/fine", "ok");
    const Result<HttpResponse> after = client.get(server.address("/fine"));
    ASSERT_TRUE(after.ok()) << after.error().toStdString();
    EXPECT_EQ(after->body, "ok");
}

TEST(HttpClient, RefusedConnectionFails) {
    QString address;
    {
        FakeWebServer gone;
        address = gone.address("/");
    }
    HttpClient client(HttpSettings{.connectTimeoutMs = 500, .totalTimeoutMs = 1000});
    const Result<HttpResponse> response = client.get(address);
    EXPECT_FALSE(response.ok());
}

TEST(HttpClient, StopsAnAnswerLargerThanTheCapWithOrWithoutLength) {
    constexpr qint64 cap = 256 * 1024;
    FakeWebServer server;
    for (const bool chunked : {false, true}) {
        FakeAnswer big;
        big.kind = FakeAnswer::Kind::Flood;
        big.floodBytes = cap + 1;
        big.chunked = chunked;
        server.route(chunked ? "/chunked" : "/sized", big);
        FakeAnswer exact = big;
        exact.floodBytes = cap;
        server.route(chunked ? "/chunked-exact" : "/sized-exact", exact);
    }
    HttpClient client(HttpSettings{.maxBytes = cap});

    for (const char* path : {"/sized", "/chunked"}) {
        const Result<HttpResponse> response = client.get(server.address(path));
        EXPECT_FALSE(response.ok()) << path;
        EXPECT_TRUE(response.error().contains(QStringLiteral("larger than"))) << path;
    }
    for (const char* path : {"/sized-exact", "/chunked-exact"}) {
        const Result<HttpResponse> response = client.get(server.address(path));
        ASSERT_TRUE(response.ok()) << path << response.error().toStdString();
        EXPECT_EQ(response->body.size(), cap) << path;
    }
    // A per-request cap can only tighten the client's own.
    const Result<HttpResponse> tighter = client.get(server.address("/sized-exact"), cap - 1);
    EXPECT_FALSE(tighter.ok());
    const Result<HttpResponse> looser = client.get(server.address("/sized"), 2 * cap);
    EXPECT_FALSE(looser.ok());
}

TEST(HttpClient, FollowsFiveRedirectsOverHttpOnly) {
    FakeWebServer server;
    // /hop0 -> /hop1 -> ... -> /hop6 -> /end
    for (int i = 0; i <= 6; ++i) {
        FakeAnswer hop;
        hop.kind = FakeAnswer::Kind::Redirect;
        hop.location = i == 6 ? "/end" : "/hop" + std::to_string(i + 1);
        server.route("/hop" + std::to_string(i), hop);
    }
    server.serveText("/end", "arrived");
    FakeAnswer toFile;
    toFile.kind = FakeAnswer::Kind::Redirect;
    toFile.location = "file:///etc/passwd";
    server.route("/to-file", toFile);

    HttpClient client;
    const Result<HttpResponse> five = client.get(server.address("/hop2"));
    ASSERT_TRUE(five.ok()) << five.error().toStdString();
    EXPECT_EQ(five->body, "arrived");

    const Result<HttpResponse> six = client.get(server.address("/hop1"));
    EXPECT_FALSE(six.ok());

    const Result<HttpResponse> file = client.get(server.address("/to-file"));
    EXPECT_FALSE(file.ok());
    EXPECT_EQ(server.requestCount("/to-file"), 1);

    for (const char* address : {"file:///etc/passwd", "ftp://127.0.0.1/x", "", "gopher://x"}) {
        const Result<HttpResponse> direct = client.get(QString::fromLatin1(address));
        EXPECT_FALSE(direct.ok()) << address;
        EXPECT_FALSE(direct.error().isEmpty()) << address;
    }
}

// A port on 127.0.0.1 whose accept queue is full, so a new connection hangs in its handshake.
class HangingListener {
public:
    HangingListener() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        listen(listener_, 0);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        for (int i = 0; i < 3; ++i) {
            const int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            connect(filler, reinterpret_cast<sockaddr*>(&address), length);
            fillers_.push_back(filler);
        }
    }
    ~HangingListener() {
        for (const int filler : fillers_)
            close(filler);
        close(listener_);
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1/").arg(port_); }

private:
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

// Sets the flag after `after`, and gives what the request returned and how long it went on.
template <typename Request>
std::pair<Result<HttpResponse>, double>
CancelledAfter(std::atomic<bool>& flag, std::chrono::milliseconds after, Request request) {
    std::future<Result<HttpResponse>> running = std::async(std::launch::async, request);
    std::this_thread::sleep_for(after);
    const auto set = std::chrono::steady_clock::now();
    flag = true;
    Result<HttpResponse> result = running.get();
    return {std::move(result),
            std::chrono::duration<double>(std::chrono::steady_clock::now() - set).count()};
}

TEST(HttpClient, ACancelEndsTheRequestAtOnceWhateverItIsWaitingFor) {
    FakeWebServer server;
    FakeAnswer silent;
    silent.kind = FakeAnswer::Kind::NeverAnswer;
    server.route("/silent", silent);
    server.route("/slow", FakeAnswer{.body = "late", .delay = 5s});
    FakeAnswer trickle;
    trickle.kind = FakeAnswer::Kind::Flood;
    trickle.floodBytes = 64;
    trickle.delay = 5s;
    server.route("/trickle", trickle);
    HangingListener hanging;

    const QString addresses[] = {server.address("/silent"), server.address("/slow"),
                                 server.address("/trickle"), hanging.address()};
    for (const QString& address : addresses) {
        std::atomic<bool> flag{false};
        HttpClient client(HttpSettings{.cancel = &flag});
        auto [result, seconds] = CancelledAfter(flag, 150ms, [&] { return client.get(address); });
        EXPECT_FALSE(result.ok()) << address.toStdString();
        EXPECT_EQ(result.error(), QString::fromLatin1(kCancelledText)) << address.toStdString();
        EXPECT_LT(seconds, 0.5) << address.toStdString();
    }

    // The long-lived client takes a flag per request, and serves the next one after a cancel.
    server.serveText("/fine", "ok");
    HttpClient posterClient(HttpSettings{.cookies = true});
    std::atomic<bool> flag{false};
    auto [result, seconds] = CancelledAfter(flag, 150ms, [&] {
        return posterClient.get(server.address("/silent"), kImageSizeCap, &flag);
    });
    EXPECT_EQ(result.error(), QString::fromLatin1(kCancelledText));
    EXPECT_LT(seconds, 0.5);
    const Result<HttpResponse> after = posterClient.get(server.address("/fine"));
    ASSERT_TRUE(after.ok()) << after.error().toStdString();
    EXPECT_EQ(after->body, "ok");

    // A flag already set sends nothing.
    server.resetCounts();
    const Result<HttpResponse> early = posterClient.get(server.address("/fine"), 1024, &flag);
    EXPECT_EQ(early.error(), QString::fromLatin1(kCancelledText));
    EXPECT_EQ(server.totalRequests(), 0);
}

// Two threads on the one poster client: each request gets its own answer, and one waiting
// for its turn still ends at its cancel.
TEST(HttpClient, RequestsFromTwoThreadsTakeTurns) {
    FakeWebServer server;
    server.route("/a", FakeAnswer{.body = "first", .delay = 300ms});
    server.serveText("/b", "second");
    HttpClient posterClient(HttpSettings{.cookies = true});
    auto first =
        std::async(std::launch::async, [&] { return posterClient.get(server.address("/a")); });
    std::this_thread::sleep_for(50ms);
    std::atomic<bool> flag{false};
    auto [waiting, seconds] = CancelledAfter(
        flag, 50ms, [&] { return posterClient.get(server.address("/b"), kImageSizeCap, &flag); });
    EXPECT_EQ(waiting.error(), QString::fromLatin1(kCancelledText));
    EXPECT_LT(seconds, 0.2);
    const Result<HttpResponse> second = posterClient.get(server.address("/b"));
    const Result<HttpResponse> firstDone = first.get();
    ASSERT_TRUE(firstDone.ok() && second.ok());
    EXPECT_EQ(firstDone->body, "first");
    EXPECT_EQ(second->body, "second");
    EXPECT_EQ(server.requestCount("/b"), 1);
}

// The words of the failures that only libcurl's codes tell apart, for any service.
TEST(HttpClient, FailuresAreWordedFromWhatLibcurlReported) {
    FakeWebServer server;
    FakeAnswer dropped;
    dropped.kind = FakeAnswer::Kind::CloseConnection;
    server.route("/dropped", dropped);
    FakeAnswer loop;
    loop.kind = FakeAnswer::Kind::Redirect;
    loop.location = "/loop";
    server.route("/loop", loop);
    HangingListener hanging;
    const QString service = QStringLiteral("the maker's site");
    const std::pair<QString, const char*> cases[] = {
        {hanging.address(), "could not connect to the maker's site within 0.3 seconds"},
        {server.address("/dropped"),
         "the maker's site broke the connection off before its answer was complete"},
        {server.address("/loop"), "the maker's site redirected the request more than 5 times"},
        {QStringLiteral("ftp://127.0.0.1/x"),
         "the maker's site can only be reached over http or https"},
        {QStringLiteral("http://no-such-host.invalid/"),
         "could not connect to the maker's site (its host name is unknown)"},
    };
    for (const auto& [address, words] : cases) {
        HttpClient client(HttpSettings{.connectTimeoutMs = 300, .totalTimeoutMs = 2000});
        EXPECT_FALSE(client.get(address).ok()) << words;
        EXPECT_EQ(DescribeFailure(LastFailure(client), service), QString::fromLatin1(words));
    }
    EXPECT_EQ(SizeText(kImageSizeCap), QStringLiteral("20 MiB"));
    EXPECT_EQ(SizeText(256 * 1024), QStringLiteral("256 KiB"));
    EXPECT_EQ(SizeText(1000), QStringLiteral("1000 bytes"));
}

TEST(HttpClient, KeepsCookiesOnlyWhenAsked) {
    FakeWebServer server;
    FakeAnswer setter;
    setter.body = "set";
    setter.headers = {{"Set-Cookie", "session=abc123; Path=/"}};
    server.route("/login", setter);
    server.serveText("/next", "next");

    for (const bool cookies : {true, false}) {
        HttpClient client(HttpSettings{.cookies = cookies});
        ASSERT_TRUE(client.get(server.address("/login")).ok());
        ASSERT_TRUE(client.get(server.address("/next")).ok());
        const test::FakeHeaders headers = server.lastRequestHeaders();
        const auto cookie = headers.find("Cookie");
        if (cookies) {
            ASSERT_NE(cookie, headers.end());
            EXPECT_EQ(cookie->second, "session=abc123");
        } else {
            EXPECT_EQ(cookie, headers.end());
        }
    }
}

} // namespace
} // namespace quorvel
