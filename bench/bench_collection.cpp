// The collection folder itself: listing and counting it, and reading every info text in it, as
// the off-line tab and the collection tools do on each refresh.

#include "core/collection.h"
#include "core/infotext.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>

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
