#include "tests/support/fake_web_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

namespace quorvel::test {

namespace {

constexpr std::size_t kFloodBlock = 64 * 1024;

struct Route {
    std::string path;
    FakeParams params; // none: any query
    FakeAnswer answer;
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

FakeAnswer OmdbJson(std::string body, int status) {
    FakeAnswer answer;
    answer.status = status;
    answer.contentType = "application/json; charset=utf-8";
    answer.body = std::move(body);
    return answer;
}

std::string OmdbFoundJson(const std::string& title, const std::string& id,
                          const std::string& posterAddress, const std::string& year,
                          const std::string& type) {
    std::ostringstream json;
    json << R"({"Title":")" << title << R"(","Year":")" << year
         << R"(","Rated":"PG","Released":"01 Jan 1999",)"
         << R"("Runtime":"90 min","Genre":"Drama","Director":"A. Director","Writer":"A. Writer",)"
         << R"("Actors":"An Actor","Plot":"The story of )" << title << " (" << id << R"().",)"
         << R"("Language":"English","Country":"France","Awards":"N/A","Poster":")" << posterAddress
         << R"(","Metascore":"50","imdbRating":"7.0","imdbVotes":"1,000",)"
         << R"("imdbID":")" << id << R"(","Type":")" << type << R"(","Response":"True"})";
    return json.str();
}

std::string ReadFixture(const std::string& relativePath) {
    std::ifstream in(std::string(QUORVEL_FIXTURES) + "/" + relativePath, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct FakeWebServer::Impl {
    httplib::Server server;
    std::thread thread;
    int port = 0;

    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::vector<Route> routes;
    std::chrono::milliseconds delay{0};
    std::map<std::string, int> counts;
    int total = 0;
    FakeHeaders lastHeaders;
    std::string lastTarget;
    std::string refusedPath;
    int refusedFrom = 0;
    FakeAnswer refusal;

    // Waits `length` or until stop(), whichever is first; true when stopping.
    bool pause(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds length) {
        if (length.count() > 0)
            wake.wait_for(lock, length, [this] { return stopping; });
        return stopping;
    }

    std::optional<FakeAnswer> find(const httplib::Request& request) const {
        const Route* plain = nullptr;
        for (auto it = routes.rbegin(); it != routes.rend(); ++it) {
            if (it->path != request.path)
                continue;
            if (it->params.empty()) {
                if (!plain)
                    plain = &*it;
            } else if (std::all_of(it->params.begin(), it->params.end(), [&](const auto& p) {
                           return request.has_param(p.first) &&
                                  request.get_param_value(p.first) == p.second;
                       })) {
                return it->answer;
            }
        }
        if (plain)
            return plain->answer;
        return std::nullopt;
    }

    void handle(const httplib::Request& request, httplib::Response& response) {
        std::unique_lock lock(mutex);
        ++counts[request.path];
        ++total;
        lastTarget = request.target;
        lastHeaders.clear();
        for (const auto& [name, value] : request.headers)
            // httplib files the peer's address among the headers; no client sent those.
            if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" &&
                name != "LOCAL_PORT")
                lastHeaders.emplace(name, value);

        const bool refused =
            refusedFrom > 0 && request.path == refusedPath && counts[request.path] >= refusedFrom;
        const std::optional<FakeAnswer> found =
            refused ? std::optional<FakeAnswer>(refusal) : find(request);
        if (!found) {
            response.status = 404;
            response.set_content("<html>Not found</html>", "text/html");
            return;
        }
        const FakeAnswer answer = *found;
        if (pause(lock, delay + answer.delay)) {
            response.status = 503;
            return;
        }

        switch (answer.kind) {
        case FakeAnswer::Kind::Reply:
            response.status = answer.status;
            for (const auto& [name, value] : answer.headers)
                response.set_header(name, value);
            response.set_content(answer.body, answer.contentType);
            break;
        case FakeAnswer::Kind::Redirect:
            response.set_redirect(
                answer.location, answer.status >= 300 && answer.status < 400 ? answer.status : 302);
            break;
        case FakeAnswer::Kind::CloseConnection:
            response.status = 200;
            response.set_content_provider(
                std::max<std::size_t>(answer.body.size(), 1024), answer.contentType,
                [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
            break;
        case FakeAnswer::Kind::NeverAnswer:
            wake.wait(lock, [this] { return stopping; });
            response.status = 503;
            break;
        case FakeAnswer::Kind::Flood: {
            const std::size_t bytes = answer.floodBytes;
            auto block = std::make_shared<std::string>(kFloodBlock, 'x');
            response.status = 200;
            if (answer.chunked) {
                response.set_chunked_content_provider(
                    answer.contentType,
                    [this, bytes, block](std::size_t offset, httplib::DataSink& sink) {
                        if (isStopping())
                            return false;
                        if (offset >= bytes) {
                            sink.done();
                            return true;
                        }
                        return sink.write(block->data(), std::min(kFloodBlock, bytes - offset));
                    });
            } else {
                response.set_content_provider(
                    bytes, answer.contentType,
                    [this, block](std::size_t, std::size_t length, httplib::DataSink& sink) {
                        if (isStopping())
                            return false;
                        return sink.write(block->data(), std::min(kFloodBlock, length));
                    });
            }
            break;
        }
        }
    }

    bool isStopping() const {
        std::lock_guard lock(mutex);
        return stopping;
    }
};

FakeWebServer::FakeWebServer() : impl_(std::make_unique<Impl>()) {
    // A client that gives up mid-answer (a size cap, a timeout) must not kill the test run
    // with SIGPIPE when the server writes on.
    std::signal(SIGPIPE, SIG_IGN);

    impl_->server.set_keep_alive_timeout(1);
    // Headers and body leave in two writes: with Nagle's rule the body of an answer on a kept
    // connection waits for the client's delayed acknowledgement, some 25 ms a request.
    impl_->server.set_tcp_nodelay(true);
    impl_->server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        impl_->handle(request, response);
    });
    impl_->port = impl_->server.bind_to_any_port("127.0.0.1");
    if (impl_->port <= 0) {
        ADD_FAILURE() << "the fake web server could not bind 127.0.0.1";
        return;
    }
    impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
    // stop() is ignored by a server that has not started running yet.
    while (!impl_->server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FakeWebServer::~FakeWebServer() {
    stop();
}

void FakeWebServer::stop() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->wake.notify_all();
    impl_->server.stop();
    if (impl_->thread.joinable())
        impl_->thread.join();
}

QString FakeWebServer::baseAddress() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(impl_->port);
}

QString FakeWebServer::address(const std::string& path) const {
    return baseAddress() + QString::fromStdString(path);
}

int FakeWebServer::port() const {
    return impl_->port;
}

void FakeWebServer::route(const std::string& path, FakeAnswer answer) {
    std::lock_guard lock(impl_->mutex);
    impl_->routes.push_back(Route{path, {}, std::move(answer)});
}

void FakeWebServer::routeQuery(const std::string& path, const std::string& name,
                               const std::string& value, FakeAnswer answer) {
    routeQuery(path, FakeParams{{name, value}}, std::move(answer));
}

void FakeWebServer::routeQuery(const std::string& path, const FakeParams& params,
                               FakeAnswer answer) {
    std::lock_guard lock(impl_->mutex);
    impl_->routes.push_back(Route{path, params, std::move(answer)});
}

void FakeWebServer::serveText(const std::string& path, const std::string& body,
                              const std::string& contentType, int status) {
    FakeAnswer answer;
    answer.status = status;
    answer.contentType = contentType;
    answer.body = body;
    route(path, std::move(answer));
}

void FakeWebServer::serveFixture(const std::string& path, const std::string& fixture,
                                 const std::string& contentType, int status) {
    std::string body = ReadFixture(fixture);
    ReplaceAll(body, "@BASE@", baseAddress().toStdString());
    serveText(path, body, contentType, status);
}

void FakeWebServer::serveOmdbTitle(const std::string& title, const std::string& fixture,
                                   int status) {
    std::string body = ReadFixture(fixture);
    ReplaceAll(body, "@BASE@", baseAddress().toStdString());
    FakeAnswer answer;
    answer.status = status;
    answer.contentType = "application/json; charset=utf-8";
    answer.body = std::move(body);
    routeQuery("/", "t", title, std::move(answer));
}

void FakeWebServer::serveOmdbId(const std::string& id, const std::string& fixture, int status) {
    std::string body = ReadFixture(fixture);
    ReplaceAll(body, "@BASE@", baseAddress().toStdString());
    FakeAnswer answer;
    answer.status = status;
    answer.contentType = "application/json; charset=utf-8";
    answer.body = std::move(body);
    routeQuery("/", "i", id, std::move(answer));
}

void FakeWebServer::serveOmdbSearch(const std::string& title, int page,
                                    const std::string& fixture) {
    std::string body = ReadFixture(fixture);
    ReplaceAll(body, "@BASE@", baseAddress().toStdString());
    routeQuery("/", FakeParams{{"s", title}, {"page", std::to_string(page)}}, OmdbJson(body));
}

void FakeWebServer::refuseFrom(const std::string& path, int nth, FakeAnswer answer) {
    std::lock_guard lock(impl_->mutex);
    impl_->refusedPath = path;
    impl_->refusedFrom = nth;
    impl_->refusal = std::move(answer);
}

void FakeWebServer::setDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(impl_->mutex);
    impl_->delay = delay;
}

int FakeWebServer::requestCount(const std::string& path) const {
    std::lock_guard lock(impl_->mutex);
    const auto it = impl_->counts.find(path);
    return it == impl_->counts.end() ? 0 : it->second;
}

int FakeWebServer::totalRequests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->total;
}

FakeHeaders FakeWebServer::lastRequestHeaders() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastHeaders;
}

std::string FakeWebServer::lastRequestTarget() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastTarget;
}

void FakeWebServer::resetCounts() {
    std::lock_guard lock(impl_->mutex);
    impl_->counts.clear();
    impl_->total = 0;
    impl_->lastHeaders.clear();
    impl_->lastTarget.clear();
}

} // namespace quorvel::test
