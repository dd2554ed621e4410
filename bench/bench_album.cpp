// The HTML album of a large collection: the creator window's whole creation and the pages
// alone, beside copying as many small files, which no album can beat by much: each title is
// one small file read and one written.

#include "core/album.h"
#include "core/collection.h"
#include "core/textfile.h"
// g++ 12 at -O2 sees the script queues' std::optional<QString> as maybe uninitialised: a
// known false alarm of its middle end, not a fault of the queues.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "tests/support/scripted_services.h"
#pragma GCC diagnostic pop
#include "ui/main/application.h"
#include "ui/main/main_window.h"
#include "ui/tools/album_creator.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QTemporaryDir>

#include <memory>

namespace {

using namespace quorvel;

QString CollectionFolder() {
    return qEnvironmentVariable("QUORVEL_BENCH_COLLECTION");
}

QStringList Titles() {
    QStringList titles;
    for (const QString& entry : ListCollection(CollectionFolder()))
        if (IsInfoTextEntry(entry))
            titles << EntryBaseName(entry);
    return titles;
}

bool HaveCollection(benchmark::State& state) {
    if (CollectionFolder().isEmpty() || !QFileInfo(CollectionFolder()).isDir()) {
        state.SkipWithError("QUORVEL_BENCH_COLLECTION does not name a collection folder");
        return false;
    }
    return true;
}

// A fresh, empty folder for each round, removed outside the timing.
struct Scratch {
    QTemporaryDir root;
    int round = 0;
    QString Next() { return root.filePath(QString::number(++round)); }
};

void BM_CopyInfoTextsAnchor(benchmark::State& state) {
    if (!HaveCollection(state))
        return;
    const QString folder = CollectionFolder();
    const QStringList titles = Titles();
    Scratch scratch;
    for (auto _ : state) {
        state.PauseTiming();
        const QString target = scratch.Next();
        QDir().mkpath(target);
        state.ResumeTiming();
        for (const QString& title : titles)
            QFile::copy(JoinPath(folder, title + ".txt"), JoinPath(target, title + ".html"));
        state.PauseTiming();
        QDir(target).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["files"] = double(titles.size());
}
BENCHMARK(BM_CopyInfoTextsAnchor)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_AlbumPagesOnly(benchmark::State& state) {
    if (!HaveCollection(state))
        return;
    const QString folder = CollectionFolder();
    const QStringList titles = Titles();
    Scratch scratch;
    int failures = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString target = scratch.Next();
        QDir().mkpath(target);
        state.ResumeTiming();
        FolderSync sync(target);
        failures =
            WriteAlbumPage(AlbumPagePath(target, "index"), AlbumIndexPage(folder, titles), &sync)
                ? 0
                : 1;
        for (const QString& title : titles) {
            const TitlePageOutcome made = CreateTitlePage(folder, target, title, &sync);
            failures += !made.readFailure.isEmpty() || !made.writeFailure.isEmpty();
        }
        failures += sync.Sync() ? 0 : 1;
        state.PauseTiming();
        QDir(target).removeRecursively();
        state.ResumeTiming();
    }
    if (failures)
        state.SkipWithError("some pages failed");
    state.counters["titles"] = double(titles.size());
}
BENCHMARK(BM_AlbumPagesOnly)->Unit(benchmark::kMillisecond)->Iterations(1);

// The window itself: log, bar and pending messages included, the list already filled.
void BM_AlbumWindowCreation(benchmark::State& state) {
    if (!HaveCollection(state))
        return;
    QTemporaryDir appDir;
    Scratch scratch;
    QFile options(appDir.filePath("Options.ini"));
    if (!options.open(QIODevice::WriteOnly)) {
        state.SkipWithError("no application folder");
        return;
    }
    options.write("[Settings]\r\nSavingPath=" + CollectionFolder().toUtf8() + "\r\n");
    options.close();
    test::ScriptedServices scripted;
    scripted.connection.online = false;
    Services services = scripted.services();
    Application app(services, appDir.path() + "/");
    TForm7* creator = app.windows().form7;
    creator->show();
    const int titles = creator->findChild<QListView*>("MovieListEdit")->model()->rowCount();
    for (auto _ : state) {
        state.PauseTiming();
        const QString target = scratch.Next();
        creator->SetAlbumFolder(target); // a refresh, outside the timing
        scripted.dialogs.answers = {Button::No};
        state.ResumeTiming();
        creator->Button8Click();
        state.PauseTiming();
        QDir(target).removeRecursively();
        state.ResumeTiming();
    }
    creator->hide();
    state.counters["titles"] = titles;
}
BENCHMARK(BM_AlbumWindowCreation)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
