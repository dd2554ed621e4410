#include "online/http_client.h"
#include "tests/support/fake_web_server.h"

#include <gtest/gtest.h>

#include <chrono>

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
