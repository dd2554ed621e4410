// A whole title search against a server that takes 50 ms per answer: the one-request search
// beside the field-by-field sequence it replaced (the same query sent 20 times, then the poster).

#include "bench/bench_end.h"
#include "core/infotext.h"
#include "online/omdb.h"
#include "tests/support/fake_web_server.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace {

using namespace quorvel;
using namespace std::chrono_literals;

constexpr auto kServerDelay = 50ms;
const QString kTitle = QStringLiteral("The Shawshank Redemption");

test::FakeWebServer& Server() {
    static test::FakeWebServer server;
    return server;
}

struct Timings {
    double oneRequest = 0;   // seconds per search
    double fieldByField = 0; // seconds per search
} timings;

[[maybe_unused]] const bool kSummaryAtEnd = [] {
    bench::AtEnd([] {
        if (timings.oneRequest > 0 && timings.fieldByField > 0)
            std::printf("whole search: %.1f ms with 2 requests, %.1f ms with 21 requests; "
                        "the old sequence takes %.1f times as long\n",
                        timings.oneRequest * 1e3, timings.fieldByField * 1e3,
                        timings.fieldByField / timings.oneRequest);
    });
    return true;
}();

void PrepareServer() {
    test::FakeWebServer& server = Server();
    server.serveOmdbTitle(kTitle.toStdString(), "omdb/shawshank.json");
    server.serveFixture("/posters/shawshank.jpg", "omdb/poster.jpg", "image/jpeg");
    server.setDelay(kServerDelay);
    server.resetCounts();
}

double SecondsPerIteration(const benchmark::State& state, std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count() / double(state.iterations());
}

void BM_SearchOneRequest(benchmark::State& state) {
    PrepareServer();
    const QString query = BuildOmdbQuery(Server().baseAddress(), {}, kTitle);
    HttpClient posterClient(HttpSettings{.maxBytes = kImageSizeCap, .cookies = true});
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const Result<OmdbAnswer> answer = FetchOmdbAnswer(query);
        if (!answer || !answer->found()) {
            state.SkipWithError("the search found nothing");
            return;
        }
        benchmark::DoNotOptimize(answer->infoValues());
        const Result<QByteArray> poster = DownloadPoster(posterClient, answer->posterAddress());
        if (!poster) {
            state.SkipWithError("no poster");
            return;
        }
        benchmark::DoNotOptimize(poster->size());
    }
    timings.oneRequest = SecondsPerIteration(state, std::chrono::steady_clock::now() - start);
    state.counters["requests_per_search"] =
        double(Server().totalRequests()) / double(state.iterations());
}

// One field as the old client fetched it: a fresh client, the whole answer, one key.
QString FetchOneField(const QString& query, const QString& key) {
    HttpClient client;
    const Result<HttpResponse> response = client.get(query);
    if (!response)
        return {};
    const Result<OmdbAnswer> answer = ParseOmdbAnswer(response->text());
    return answer ? answer->field(key) : response->text();
}

void BM_SearchFieldByField(benchmark::State& state) {
    PrepareServer();
    const QString query = BuildOmdbQuery(Server().baseAddress(), {}, kTitle);
    HttpClient posterClient(HttpSettings{.maxBytes = kImageSizeCap, .cookies = true});
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (FetchOneField(query, QStringLiteral("Response")) != u"True") {
            state.SkipWithError("the search found nothing");
            return;
        }
        QStringList values{FetchOneField(query, QStringLiteral("Title"))};
        for (const InfoSection& section : kInfoSections)
            if (section.omdbKey)
                values << FetchOneField(query, QString::fromLatin1(section.omdbKey));
        benchmark::DoNotOptimize(values);
        const QString posterAddress = FetchOneField(query, QStringLiteral("Poster"));
        const Result<QByteArray> poster = DownloadPoster(posterClient, posterAddress);
        if (!poster) {
            state.SkipWithError("no poster");
            return;
        }
        benchmark::DoNotOptimize(poster->size());
    }
    timings.fieldByField = SecondsPerIteration(state, std::chrono::steady_clock::now() - start);
    state.counters["requests_per_search"] =
        double(Server().totalRequests()) / double(state.iterations());
    if (timings.oneRequest > 0)
        state.counters["times_the_one_request_search"] = timings.fieldByField / timings.oneRequest;
}

BENCHMARK(BM_SearchOneRequest)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchFieldByField)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
