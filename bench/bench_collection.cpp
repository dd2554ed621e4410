// The collection folder itself: listing and counting it, and reading every info text in it, as
// the off-line tab and the collection tools do on each refresh; and the listing at several
// sizes beside the bare folder reading it cannot beat.

#include "bench/bench_end.h"
#include "core/collection.h"
#include "core/infotext.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <map>

#include <dirent.h>

namespace {

using namespace quorvel;

QString BenchFolder() {
    return qEnvironmentVariable("QUORVEL_BENCH_COLLECTION");
}

bool HaveFolder(benchmark::State& state) {
    const QString folder = BenchFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        state.SkipWithError("QUORVEL_BENCH_COLLECTION does not name a collection folder");
        return false;
    }
    return true;
}

// The listing folders, "SIZE=FOLDER" separated by ";", as bench/run.sh sets them.
std::map<int, QString> ListingFolders() {
    std::map<int, QString> folders;
    const QStringList items =
        qEnvironmentVariable("QUORVEL_BENCH_LISTING").split(u';', Qt::SkipEmptyParts);
    for (const QString& item : items) {
        const qsizetype equals = item.indexOf(u'=');
        bool ok = false;
        const int size = item.left(equals).toInt(&ok);
        if (equals > 0 && ok)
            folders[size] = item.mid(equals + 1);
    }
    return folders;
}

// Sizes whose listing benchmarks ran, for the summary lines.
std::map<int, QString>& ListedSizes() {
    static std::map<int, QString> sizes;
    return sizes;
}

void BM_BareReaddir(benchmark::State& state, const QString& folder) {
    const QByteArray encoded = QFile::encodeName(folder);
    int count = 0;
    for (auto _ : state) {
        count = bench::BareReaddir(encoded);
        benchmark::DoNotOptimize(count);
    }
    if (count < 0)
        state.SkipWithError("the folder cannot be read");
    state.counters["files"] = count;
}

void BM_ListCollection(benchmark::State& state, int size, const QString& folder) {
    qsizetype entries = 0;
    for (auto _ : state) {
        const QStringList listed = ListCollection(folder);
        entries = listed.size();
        benchmark::DoNotOptimize(listed);
    }
    if (entries == 0) {
        state.SkipWithError("the folder holds no collection entry");
        return;
    }
    state.counters["entries"] = double(entries);
    ListedSizes()[size] = folder;
}

// The second of two listings in a row with nothing written in between, as at start-up.
void BM_ListUnchangedAgain(benchmark::State& state, const QString& folder) {
    CollectionListing listing;
    listing.List(folder);
    for (auto _ : state) {
        const QStringList listed = listing.List(folder);
        benchmark::DoNotOptimize(listed);
    }
    if (!listing.LastWasReused())
        state.SkipWithError("the folder changed less than two seconds ago, or holds links");
}

// One line per size: the listing against the bare reading in interleaved rounds, so that a
// load on the machine weighs on both alike.
void PrintListingRatios() {
    constexpr int kRounds = 15;
    for (const auto& [size, folder] : ListedSizes()) {
        const QByteArray encoded = QFile::encodeName(folder);
        bench::Timings bare;
        bench::Timings listing;
        qsizetype entries = 0;
        for (int round = 0; round < kRounds; ++round) {
            bare.add(bench::Time([&] { benchmark::DoNotOptimize(bench::BareReaddir(encoded)); }));
            listing.add(bench::Time([&] { entries = ListCollection(folder).size(); }));
        }
        const bench::Timing b = bare.median();
        const bench::Timing l = listing.median();
        std::printf("listing %d titles (%lld entries): ListCollection %.1f ms, bare readdir %.1f "
                    "ms: %.2f times; processor time %.1f ms and %.1f ms: %.2f times (medians of "
                    "%d interleaved rounds)\n",
                    size, static_cast<long long>(entries), l.wallMs, b.wallMs,
                    l.wallMs / std::max(b.wallMs, 1e-9), l.cpuMs, b.cpuMs,
                    l.cpuMs / std::max(b.cpuMs, 1e-9), kRounds);
    }
}

[[maybe_unused]] const bool kListingBenchmarks = [] {
    for (const auto& [size, folder] : ListingFolders()) {
        const QByteArray bare = "BM_BareReaddir/" + QByteArray::number(size);
        const QByteArray listing = "BM_ListCollection/" + QByteArray::number(size);
        benchmark::RegisterBenchmark(bare.constData(), BM_BareReaddir, folder)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(listing.constData(), BM_ListCollection, size, folder)
            ->Unit(benchmark::kMillisecond);
        const QByteArray again = "BM_ListUnchangedAgain/" + QByteArray::number(size);
        benchmark::RegisterBenchmark(again.constData(), BM_ListUnchangedAgain, folder)
            ->Unit(benchmark::kMicrosecond);
    }
    bench::AtEnd(PrintListingRatios);
    return true;
}();

void BM_ListAndCountCollection(benchmark::State& state) {
    if (!HaveFolder(state))
        return;
    const QString folder = BenchFolder();
    CollectionCount count;
    for (auto _ : state) {
        const QStringList entries = ListCollection(folder);
        count = CountCollection(entries);
        benchmark::DoNotOptimize(count);
    }
    state.counters["texts"] = count.texts;
    state.counters["posters"] = count.posters;
}
BENCHMARK(BM_ListAndCountCollection)->Unit(benchmark::kMillisecond);

void BM_LoadEveryInfoText(benchmark::State& state) {
    if (!HaveFolder(state))
        return;
    const QString folder = BenchFolder();
    QStringList paths;
    for (const QString& entry : ListCollection(folder))
        if (IsInfoTextEntry(entry))
            paths << JoinPath(folder, entry);
    if (paths.isEmpty()) {
        state.SkipWithError("the collection holds no info text");
        return;
    }
    qint64 lines = 0;
    int failures = 0;
    for (auto _ : state) {
        lines = 0;
        failures = 0;
        for (const QString& path : paths) {
            const Result<TextFile> file = LoadInfoText(path);
            if (file)
                lines += file->lines.size();
            else
                ++failures;
        }
        benchmark::DoNotOptimize(lines);
    }
    if (failures)
        state.SkipWithError("some info texts could not be read");
    state.counters["files"] = double(paths.size());
    state.counters["lines"] = double(lines);
    state.SetItemsProcessed(state.iterations() * paths.size());
}
BENCHMARK(BM_LoadEveryInfoText)->Unit(benchmark::kMillisecond);

} // namespace
