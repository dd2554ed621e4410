// Walking a folder of 20,000 video files and guessing every title in it, beside a bare
// `find FOLDER -type f` over the same tree: the walk should take at most twice find's time.

#include "bench/bench_end.h"
#include "core/video_guess.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace quorvel;

constexpr int kRounds = 15;

const char* const kAdjectives[] = {
    "Silent", "Broken", "Golden", "Last",   "Hidden", "Crimson", "Distant",  "Frozen",
    "Wild",   "Dark",   "Lost",   "Hollow", "Iron",   "Burning", "Quiet",    "Endless",
    "Secret", "Pale",   "Bright", "Savage", "Velvet", "Bitter",  "Electric", "Northern"};
const char* const kNouns[] = {"River",   "Empire",  "Garden",   "Harbour", "Mountain", "Witness",
                              "Signal",  "Station", "Kingdom",  "Shadow",  "Horizon",  "Promise",
                              "Journey", "Island",  "Frontier", "Machine", "Echo",     "Winter",
                              "Road",    "Storm",   "Circle",   "Mirror",  "Heart",    "Voyage",
                              "Sky",     "Dream",   "Fortune",  "Coast",   "Ember",    "Orchard"};
const char* const kGroups[] = {"SPARKS", "GECKOS", "AMIABLE", "FGT", "NTG", "EVO", "YIFY", "CMRG"};

QByteArray TitleOf(int n) {
    constexpr int adjectives = int(std::size(kAdjectives));
    constexpr int nouns = int(std::size(kNouns));
    const QByteArray adjective = kAdjectives[n % adjectives];
    const QByteArray noun = kNouns[(n / adjectives) % nouns];
    const int shape = n / (adjectives * nouns);
    if (shape == 0)
        return "The " + adjective + " " + noun;
    if (shape == 1)
        return adjective + " " + noun;
    return noun + " of the " + adjective + " " + kNouns[(n + shape) % nouns] + " " +
           QByteArray::number(shape);
}

QByteArray Dotted(QByteArray text) {
    return text.replace(' ', '.');
}

QByteArray Padded(int n) {
    return QByteArray::number(n).rightJustified(2, '0');
}

bool MakeFile(const QByteArray& root, const QByteArray& path) {
    for (qsizetype slash = path.indexOf('/'); slash >= 0; slash = path.indexOf('/', slash + 1))
        ::mkdir((root + '/' + path.left(slash)).constData(), 0755);
    const int fd = ::open((root + '/' + path).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// 6,000 films in folders of their own in four naming shapes, 1,000 films in two parts, 400
// DVD folders of five VOB files, and 100 series of five seasons of 20 episodes: 20,000 files.
// The paths made go to `paths`; returns how many files were made.
int MakeTree(const QByteArray& root, std::vector<QByteArray>& paths) {
    int files = 0;
    auto make = [&](const QByteArray& path) {
        files += MakeFile(root, path) ? 1 : 0;
        paths.push_back(path);
    };
    int n = 0;
    for (int i = 0; i < 6000; ++i, ++n) {
        const QByteArray title = TitleOf(n);
        const QByteArray year = QByteArray::number(1930 + n % 95);
        const QByteArray group = kGroups[n % std::size(kGroups)];
        const QByteArray shelf = "Films/" + title.left(1) + "/";
        switch (i % 4) {
        case 0: {
            const QByteArray release = Dotted(title) + "." + year + ".1080p.BluRay.x264-" + group;
            make(shelf + release + "/" + release + ".mkv");
            break;
        }
        case 1:
            make(shelf + title + " (" + year + ")/" + title + " (" + year + ").mkv");
            break;
        case 2:
            make(shelf + title + " (" + year + ") [1080p] [YTS.MX]/" + Dotted(title) + "." + year +
                 ".1080p.WEBRip.x264-[YTS.MX].mp4");
            break;
        default:
            make(shelf + Dotted(title) + "." + year + ".2160p.UHD.BluRay.REMUX.HDR.HEVC.Atmos-" +
                 group + ".mkv");
        }
    }
    for (int i = 0; i < 1000; ++i, ++n) {
        const QByteArray title = TitleOf(n);
        const QByteArray folder = "Films/" + title.left(1) + "/" + title + " (" +
                                  QByteArray::number(1950 + n % 70) + ")/";
        for (int part = 1; part <= 2; ++part)
            make(folder + Dotted(title) + ".DVDRip.XviD.CD" + QByteArray::number(part) + ".avi");
    }
    for (int i = 0; i < 400; ++i, ++n) {
        const QByteArray folder =
            "DVD/" + TitleOf(n) + " (" + QByteArray::number(1960 + n % 60) + ")/VIDEO_TS/";
        for (int vob = 1; vob <= 5; ++vob)
            make(folder + "VTS_01_" + QByteArray::number(vob) + ".VOB");
    }
    for (int show = 0; show < 100; ++show, ++n) {
        const QByteArray name = TitleOf(n);
        for (int season = 1; season <= 5; ++season)
            for (int episode = 1; episode <= 20; ++episode)
                make("Series/" + name + "/Season " + QByteArray::number(season) + "/" +
                     Dotted(name) + ".S" + Padded(season) + "E" + Padded(episode) +
                     ".720p.HDTV.x264-" + kGroups[episode % std::size(kGroups)] + ".mkv");
    }
    return files;
}

struct Tree {
    QTemporaryDir folder;
    int files = 0;
    std::vector<QByteArray> paths; // relative
};

const Tree& TheTree() {
    static Tree tree;
    static const bool made = [] {
        tree.files = MakeTree(QFile::encodeName(tree.folder.path()), tree.paths);
        return true;
    }();
    (void)made;
    return tree;
}

// `find FOLDER -type f` with its output thrown away; its wall-clock and processor time (its
// own, user and system) in milliseconds, or a negative wall time when it did not run.
bench::Timing RunFind(const QByteArray& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char find[] = "find";
    char type[] = "-type";
    char f[] = "f";
    QByteArray path = folder;
    char* argv[] = {find, path.data(), type, f, nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, "find", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {-1, 0};
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {-1, 0};
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return {std::chrono::duration<double, std::milli>(end - start).count(),
            ms(usage.ru_utime) + ms(usage.ru_stime)};
}

bool WalkRan = false;

void BM_WalkAndGuessVideos(benchmark::State& state) {
    const Tree& tree = TheTree();
    size_t titles = 0;
    for (auto _ : state) {
        const Result<VideoWalk> walk = WalkVideos(tree.folder.path());
        if (!walk || walk->videoFiles != tree.files) {
            state.SkipWithError("the walk did not see every file of the tree");
            return;
        }
        titles = walk->titles.size();
        benchmark::DoNotOptimize(titles);
    }
    state.counters["files"] = tree.files;
    state.counters["titles"] = double(titles);
    WalkRan = true;
}
BENCHMARK(BM_WalkAndGuessVideos)->Unit(benchmark::kMillisecond);

// The guessing alone, from the same paths, without the file system.
void BM_GuessVideoPaths(benchmark::State& state) {
    const Tree& tree = TheTree();
    for (auto _ : state)
        for (const QByteArray& path : tree.paths)
            benchmark::DoNotOptimize(GuessVideo(path));
    state.SetItemsProcessed(state.iterations() * qint64(tree.paths.size()));
}
BENCHMARK(BM_GuessVideoPaths)->Unit(benchmark::kMillisecond);

void BM_FindTypeF(benchmark::State& state) {
    const QByteArray folder = QFile::encodeName(TheTree().folder.path());
    for (auto _ : state) {
        if (RunFind(folder).wallMs < 0) {
            state.SkipWithError("find did not run");
            return;
        }
    }
}
BENCHMARK(BM_FindTypeF)->Unit(benchmark::kMillisecond);

// One line: the walk against find in interleaved rounds, so that a load on the shared machine
// weighs on both alike; the median of the rounds' ratios.
void PrintWalkRatio() {
    if (!WalkRan)
        return;
    const Tree& tree = TheTree();
    const QByteArray folder = QFile::encodeName(tree.folder.path());
    std::vector<double> wallRatios;
    std::vector<double> cpuRatios;
    bench::Timings walks;
    bench::Timings finds;
    size_t titles = 0;
    for (int round = 0; round < kRounds; ++round) {
        const bench::Timing find = RunFind(folder);
        const bench::Timing walk = bench::Time([&] {
            const Result<VideoWalk> result = WalkVideos(tree.folder.path());
            titles = result ? result->titles.size() : 0;
        });
        if (find.wallMs <= 0)
            return;
        finds.add(find);
        walks.add(walk);
        wallRatios.push_back(walk.wallMs / find.wallMs);
        cpuRatios.push_back(walk.cpuMs / std::max(find.cpuMs, 1e-3));
    }
    double load[3] = {0, 0, 0};
    ::getloadavg(load, 3);
    const bench::Timing w = walks.median();
    const bench::Timing f = finds.median();
    std::printf("walking and guessing %d video files (%zu titles): %.1f ms, find -type f %.1f ms: "
                "%.2f times (goal at most 2); processor time %.1f ms and %.1f ms: %.2f times "
                "(medians of %d interleaved rounds' ratios); load average %.2f %.2f %.2f\n",
                tree.files, titles, w.wallMs, f.wallMs, bench::Median(wallRatios), w.cpuMs, f.cpuMs,
                bench::Median(cpuRatios), kRounds, load[0], load[1], load[2]);
}

[[maybe_unused]] const bool kWalkSummaryAtEnd = [] {
    bench::AtEnd(PrintWalkRatio);
    return true;
}();

} // namespace
