// The real program started on collections of 0, 20,000 and (with QUORVEL_BENCH_LARGE=1) 100,000
// titles, timed from the start of its process to its main window painted: what a user waits
// for. Sizes are interleaved round by round so that a machine busy for a while weighs on all of
// them alike; the summary gives the medians and each size's median ratio to the empty start.

#include "bench/bench_end.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using quorvel::bench::Median;

constexpr int kRounds = 5;

struct Start {
    double seconds = -1; // to the first paint; negative when the window never came
    double peakMiB = 0;
};

// The program in a folder of its own, as installed, with an Options.ini naming the collection.
bool PlaceProgram(const QString& appFolder, const QString& collection) {
    QDir().mkpath(appFolder);
    const QString target = appFolder + "quorvel";
    if (::link(QUORVEL_EXECUTABLE, QFile::encodeName(target).constData()) != 0 &&
        !(QFile::copy(QStringLiteral(QUORVEL_EXECUTABLE), target) &&
          QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner | QFile::WriteOwner)))
        return false;
    QFile options(appFolder + "Options.ini");
    if (!options.open(QIODevice::WriteOnly))
        return false;
    // No service to reach: the start must not wait on the network.
    options.write(("[Settings]\r\nSavingPath=" + collection +
                   "\r\nOmdbAddress=http://127.0.0.1:9\r\nUpdateSite=http://127.0.0.1:9\r\n")
                      .toUtf8());
    return true;
}

// Starts the program, waits for its "shown" line, then for its end.
Start RunOnce(const QString& appFolder) {
    Start start;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return start;
    const QByteArray program = QFile::encodeName(appFolder + "quorvel");
    char* argv[] = {const_cast<char*>(program.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<QByteArray> env{"QUORVEL_QUIT_WHEN_SHOWN=1"};
    std::vector<char*> envp;
    for (QByteArray& item : env)
        envp.push_back(item.data());
    for (char** item = environ; *item; ++item) {
        if (qstrncmp(*item, "QUORVEL_QUIT_WHEN_SHOWN=", 24) != 0)
            envp.push_back(*item);
    }
    envp.push_back(nullptr);

    const auto begun = std::chrono::steady_clock::now();
    pid_t child = 0;
    const bool spawned =
        posix_spawn(&child, program.constData(), &actions, nullptr, argv, envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (!spawned) {
        ::close(pipeFds[0]);
        return start;
    }
    QByteArray said;
    pollfd watch{pipeFds[0], POLLIN, 0};
    while (!said.contains("shown\n") && ::poll(&watch, 1, 120'000) > 0) {
        char buffer[256];
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        said.append(buffer, got);
    }
    if (said.contains("shown\n"))
        start.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    start.peakMiB = double(usage.ru_maxrss) / 1024.0;
    return start;
}

std::map<int, QString> CollectionsBySize() {
    std::map<int, QString> folders;
    for (const QString& item :
         qEnvironmentVariable("QUORVEL_BENCH_LISTING").split(u';', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        bool ok = false;
        const int size = item.left(equals).toInt(&ok);
        if (equals > 0 && ok && (size == 20000 || size == 100000))
            folders[size] = item.mid(equals + 1);
    }
    return folders;
}

void BM_StartUp(benchmark::State& state) {
    QTemporaryDir temp;
    const QString empty = temp.path() + "/empty";
    QDir().mkpath(empty);
    std::map<int, QString> collections = CollectionsBySize();
    collections[0] = empty;
    std::map<int, QString> apps;
    for (const auto& [size, folder] : collections) {
        apps[size] = temp.path() + QStringLiteral("/app%1/").arg(size);
        if (!PlaceProgram(apps[size], folder)) {
            state.SkipWithError("cannot prepare the program's folder");
            return;
        }
    }
    std::map<int, std::vector<double>> seconds;
    std::map<int, std::vector<double>> ratios;
    std::map<int, double> peak;
    for (auto _ : state) {
        // A first start of each, untimed: the files and libraries come into the cache.
        for (const auto& [size, app] : apps)
            RunOnce(app);
        for (int round = 0; round < kRounds; ++round) {
            std::map<int, double> thisRound;
            for (const auto& [size, app] : apps) {
                const Start start = RunOnce(app);
                if (start.seconds < 0) {
                    state.SkipWithError("the main window was never shown");
                    return;
                }
                thisRound[size] = start.seconds;
                seconds[size].push_back(start.seconds);
                peak[size] = std::max(peak[size], start.peakMiB);
            }
            for (const auto& [size, s] : thisRound)
                ratios[size].push_back(s / thisRound[0]);
        }
    }
    double load[3] = {};
    ::getloadavg(load, 3);
    for (const auto& [size, values] : seconds) {
        state.counters[QStringLiteral("s_%1").arg(size).toStdString()] = Median(values);
        state.counters[QStringLiteral("peak_MiB_%1").arg(size).toStdString()] = peak[size];
    }
    quorvel::bench::AtEnd([seconds, ratios, peak, load] {
        std::printf("Start-up to the painted main window, medians of %d interleaved rounds "
                    "(load average %.2f):\n",
                    kRounds, load[0]);
        for (const auto& [size, values] : seconds)
            std::printf("  %6d titles: %.3f s, %.2f times the empty start, peak memory %.0f "
                        "MiB\n",
                        size, Median(values), Median(ratios.at(size)), peak.at(size));
    });
}

BENCHMARK(BM_StartUp)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
