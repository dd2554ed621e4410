// quorvel add on 200 titles, and quorvel scan on a folder of 200 video files, from a server that
// takes 10 ms per answer, run as the real program would be: the installed executable beside its
// Options.ini, its output not a terminal. Each run should cost little beyond the 400 requests
// (200 answers, 200 posters) themselves, and stay small in memory.

#include "bench/bench_end.h"
#include "online/omdb.h"
#include "tests/support/fake_web_server.h"
#include "tests/support/test_files.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr int kTitles = 200;
constexpr auto kServerDelay = 10ms;

// What the program is asked to do: add a list of titles, or scan a folder of their videos.
enum Command { kAdd, kScan, kCommands };
const char* const kCommandNames[kCommands] = {"add", "scan"};

struct Figures {
    double seconds = 0;
    double cpuSeconds = 0;  // the program's own processor time, user and system
    double bareSeconds = 0; // the same 400 requests from here, nothing saved
    double peakMiB = 0;
    int requests = 0;
    int files = 0;
} figuresOf[kCommands];

[[maybe_unused]] const bool kSummaryAtEnd = [] {
    quorvel::bench::AtEnd([] {
        for (int command = 0; command < kCommands; ++command) {
            const Figures& figures = figuresOf[command];
            if (figures.seconds <= 0)
                continue;
            const double floor = 2.0 * kTitles * double(kServerDelay.count()) / 1e3;
            std::printf("quorvel %s, %d titles: %.2f s for %d requests of %lld ms (%.2f s, "
                        "+%.1f %%), %d files, peak memory %.1f MiB, processor time %.2f s; the "
                        "bare requests from the benchmark itself took %.2f s (+%.1f %%)\n",
                        kCommandNames[command], kTitles, figures.seconds, figures.requests,
                        static_cast<long long>(kServerDelay.count()), floor,
                        (figures.seconds / floor - 1.0) * 100.0, figures.files, figures.peakMiB,
                        figures.cpuSeconds, figures.bareSeconds,
                        (figures.bareSeconds / floor - 1.0) * 100.0);
        }
    });
    return true;
}();

// The program in a folder of its own, as installed: it finds Options.ini beside itself.
bool PlaceProgram(const QString& appFolder) {
    const QString target = appFolder + "quorvel";
    if (::link(QUORVEL_EXECUTABLE, QFile::encodeName(target).constData()) == 0)
        return true;
    return QFile::copy(QStringLiteral(QUORVEL_EXECUTABLE), target) &&
           QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner | QFile::WriteOwner);
}

void BM_CommandLine(benchmark::State& state) {
    const auto command = Command(state.range(0));
    Figures& figures = figuresOf[command];
    quorvel::test::FakeWebServer server;
    server.serveFixture("/posters/p.jpg", "omdb/poster.jpg", "image/jpeg");
    QByteArray titles;
    for (int i = 0; i < kTitles; ++i) {
        const std::string title = "Bench Title " + std::to_string(i);
        const std::string id = "tt" + std::to_string(9000000 + i);
        server.routeQuery("/", "t", title,
                          quorvel::test::OmdbJson(quorvel::test::OmdbFoundJson(
                              title, id, server.address("/posters/p.jpg").toStdString())));
        titles += QByteArray::fromStdString(title) + "\n";
    }
    // The same titles as release names of video files, each with its year.
    QStringList videoFiles;
    for (int i = 0; i < kTitles; ++i)
        videoFiles << QStringLiteral("Bench.Title.%1.%2.1080p.BluRay.x264-GRP.mkv")
                          .arg(i)
                          .arg(1950 + i % 70);
    server.setDelay(kServerDelay);

    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir temp;
        const QString appFolder = temp.path() + "/app/";
        const QString folder = temp.path() + "/Movies";
        const QString videos = temp.path() + "/Videos";
        QDir().mkpath(appFolder);
        QDir().mkpath(folder);
        if (!quorvel::test::MakeEmptyFiles(videos, videoFiles)) {
            state.SkipWithError("cannot make the folder of videos");
            return;
        }
        QFile options(appFolder + "Options.ini");
        QFile list(temp.path() + "/titles.txt");
        if (!PlaceProgram(appFolder) || !options.open(QIODevice::WriteOnly) ||
            !list.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot prepare the program's folder");
            return;
        }
        options.write(
            ("[Settings]\nSavingPath=" + folder + "\nOmdbAddress=" + server.baseAddress() + "\n")
                .toUtf8());
        options.close();
        list.write(titles);
        list.close();
        server.resetCounts();
        const QByteArray program = QFile::encodeName(appFolder + "quorvel");
        const QByteArray input = QFile::encodeName(command == kAdd ? list.fileName() : videos);
        char* argv[] = {const_cast<char*>(program.constData()),
                        const_cast<char*>(kCommandNames[command]),
                        const_cast<char*>(input.constData()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        state.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        if (posix_spawn(&child, program.constData(), &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start the program");
            return;
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        figures.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        state.PauseTiming();
        posix_spawn_file_actions_destroy(&actions);
        figures.peakMiB = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
        figures.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        figures.requests = server.totalRequests();
        figures.files = int(QDir(folder).entryList(QDir::Files).size());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || figures.files != 2 * kTitles) {
            state.SkipWithError("the run did not add every title");
            return;
        }
        state.ResumeTiming();
    }
    // The yardstick on this machine as it is loaded now: the same answers and posters fetched
    // one after another, parsed, and thrown away.
    const auto bareStart = std::chrono::steady_clock::now();
    quorvel::HttpClient posterClient(
        quorvel::HttpSettings{.maxBytes = quorvel::kImageSizeCap, .cookies = true});
    for (int i = 0; i < kTitles; ++i) {
        // Scan asks with the year the file name gives.
        const QString title = command == kAdd
                                  ? QStringLiteral("Bench Title %1").arg(i)
                                  : QStringLiteral("Bench Title %1 (%2)").arg(i).arg(1950 + i % 70);
        const auto answer =
            quorvel::FetchOmdbAnswer(quorvel::BuildOmdbQuery(server.baseAddress(), {}, title));
        if (!answer || !answer->found() ||
            !quorvel::DownloadPoster(posterClient, answer->posterAddress())) {
            state.SkipWithError("the bare requests failed");
            return;
        }
    }
    figures.bareSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - bareStart).count();
    state.counters["requests"] = figures.requests;
    state.counters["peak_MiB"] = figures.peakMiB;
    state.counters["over_the_requests_pct"] =
        (figures.seconds / (2.0 * kTitles * double(kServerDelay.count()) / 1e3) - 1.0) * 100.0;
}

BENCHMARK(BM_CommandLine)
    ->Arg(kAdd)
    ->Arg(kScan)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
