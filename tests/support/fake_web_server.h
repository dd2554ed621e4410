#pragma once
// A web server on 127.0.0.1 (random port, own thread) that answers from canned routes, so the
// OMDb client, the update check and the windows can be tested without the outside world.

#include <QString>

#include <chrono>
#include <map>
#include <memory>
#include <string>

namespace quorvel::test {

// Request or answer headers by name.
using FakeHeaders = std::multimap<std::string, std::string>;
// Query parameters a route asks for, by name.
using FakeParams = std::map<std::string, std::string>;

// What one route does when it is asked.
struct FakeAnswer {
    enum class Kind {
        Reply,           // status, content type and body as given
        Redirect,        // status (302 by default) with "Location: location"
        CloseConnection, // a 200 header, then the connection is dropped before the body
        NeverAnswer,     // holds the connection without a byte until the server stops
        Flood,           // floodBytes of "x", with a Content-Length or chunked without one
    };
    Kind kind = Kind::Reply;
    int status = 200;
    std::string contentType = "text/html";
    std::string body{};
    FakeHeaders headers{};              // Reply: extra answer headers ("Set-Cookie" ...)
    std::string location{};             // Redirect: any address, file:///etc/passwd included
    std::size_t floodBytes = 0;         // Flood: how much to send
    bool chunked = false;               // Flood: chunked transfer, no Content-Length
    std::chrono::milliseconds delay{0}; // waited before answering (cut short by stop())
};

class FakeWebServer {
public:
    // Starts listening at once; the server is ready when the constructor returns.
    FakeWebServer();
    // Stops the server and joins its thread.
    ~FakeWebServer();
    FakeWebServer(const FakeWebServer&) = delete;
    FakeWebServer& operator=(const FakeWebServer&) = delete;

    // "http://127.0.0.1:<port>", no trailing slash.
    QString baseAddress() const;
    // baseAddress() + path.
    QString address(const std::string& path) const;
    int port() const;

    // Answers GETs of `path` (query ignored). A later route for the same path replaces it.
    void route(const std::string& path, FakeAnswer answer);
    // Answers GETs of `path` whose query parameter `name` equals `value` (decoded, "+" read
    // as a blank); preferred to a plain route of the same path. OMDb form: ("/", "t", title)
    // or ("/", "i", id).
    void routeQuery(const std::string& path, const std::string& name, const std::string& value,
                    FakeAnswer answer);
    // The same for several parameters at once, each equal to its value ("y" "" for an empty
    // year); among matching routes the one added last answers.
    void routeQuery(const std::string& path, const FakeParams& params, FakeAnswer answer);

    // Shorthands for route(). serveFixture reads tests/fixtures/<fixture> now and replaces
    // every "@BASE@" in it by baseAddress(), so an answer can name a poster on this server.
    void serveText(const std::string& path, const std::string& body,
                   const std::string& contentType = "text/html", int status = 200);
    void serveFixture(const std::string& path, const std::string& fixture,
                      const std::string& contentType, int status = 200);
    // The OMDb answer for a title (t=) or an identifier (i=) on path "/", from a fixture.
    void serveOmdbTitle(const std::string& title, const std::string& fixture, int status = 200);
    void serveOmdbId(const std::string& id, const std::string& fixture, int status = 200);
    // A page of the search by title (s=, page=) from a fixture.
    void serveOmdbSearch(const std::string& title, int page, const std::string& fixture);

    // From the nth GET of `path` on (counted since the last resetCounts), each GET of it gets
    // `answer` instead of its route, as a service past its daily limit answers; nth 0 lifts it.
    void refuseFrom(const std::string& path, int nth, FakeAnswer answer);

    // Waited before every answer, on top of a route's own delay.
    void setDelay(std::chrono::milliseconds delay);

    // GETs received for `path` (query ignored), and in total, unknown paths included.
    int requestCount(const std::string& path) const;
    int totalRequests() const;
    // The headers and the target (path and query, as sent) of the last request received.
    FakeHeaders lastRequestHeaders() const;
    std::string lastRequestTarget() const;
    // Forgets the counts and the last request, keeps the routes.
    void resetCounts();

    // Stops at once, also while routes hold or delay connections; safe to call twice.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A JSON answer as the OMDb service sends it.
FakeAnswer OmdbJson(std::string body, int status = 200);
// The answer for a title the service found: every field filled from the title and the
// identifier (the plot names both), the poster at `posterAddress` ("N/A" for none).
std::string OmdbFoundJson(const std::string& title, const std::string& id,
                          const std::string& posterAddress, const std::string& year = "1999",
                          const std::string& type = "movie");

// The bytes of tests/fixtures/<relativePath>; empty when it cannot be read.
std::string ReadFixture(const std::string& relativePath);

} // namespace quorvel::test
