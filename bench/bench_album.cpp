// The HTML album of a large collection: the creator window's whole creation beside `cp` of the
// same info texts into a new folder, in the same rounds, in turn, and once more with a 2 GB `dd`
// to the same disk running beside each; and the pages alone. No album can beat `cp` by much:
// each title is one small file read and one written, and the album also puts its pages on the
// disk before it reports them made.

#include "bench/bench_end.h"
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
#include <QElapsedTimer>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

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

// Seconds `cp` takes to copy the named files of `folder` into the new folder `target`.
double TimeCp(const QString& folder, const QStringList& names, const QString& target) {
    QDir().mkpath(target);
    return bench::RunTool(QStringLiteral("cp"), names + QStringList{target}, folder);
}

// Seconds `job` takes while `dd` writes 2 GB to `disk` beside it; dd's end is waited for, and
// its file removed, outside the timing.
double BesideDd(const QString& disk, const std::function<double()>& job) {
    const QString big = disk + QStringLiteral("/dd-beside.bin");
    QProcess dd;
    dd.start(QStringLiteral("dd"), {QStringLiteral("if=/dev/zero"), QStringLiteral("of=") + big,
                                    QStringLiteral("bs=1M"), QStringLiteral("count=2048"),
                                    QStringLiteral("conv=fdatasync"), QStringLiteral("status=none")});
    dd.waitForStarted();
    QThread::msleep(300); // dd well under way
    const double seconds = job();
    dd.waitForFinished(-1);
    QFile::remove(big);
    return seconds;
}

// The window itself: log, bar and pending messages included, the list already filled.
void BM_AlbumBesideCp(benchmark::State& state) {
    if (!HaveCollection(state))
        return;
    const QString folder = CollectionFolder();
    // The album, cp's copies and dd all write to the collection's disk.
    const QString disk = QFileInfo(folder).absolutePath();
    // Every round's pages and copies stay until the end: a folder of 20,000 files removed just
    // before would make the next round's file creations search past its freed inodes (ext4
    // skips inodes freed in the last minutes), a cost that neither cp nor an album run by a user
    // meets, and that varies from round to round.
    QTemporaryDir scratch(disk + QStringLiteral("/album-bench-XXXXXX"));
    QTemporaryDir appDir;
    QFile options(appDir.filePath("Options.ini"));
    if (!scratch.isValid() || !options.open(QIODevice::WriteOnly)) {
        state.SkipWithError("no scratch or application folder");
        return;
    }
    options.write("[Settings]\r\nSavingPath=" + folder.toUtf8() + "\r\n");
    options.close();
    QStringList texts;
    for (const QString& entry : ListCollection(folder))
        if (IsInfoTextEntry(entry))
            texts << entry;
    test::ScriptedServices scripted;
    scripted.connection.online = false;
    Services services = scripted.services();
    Application app(services, appDir.path() + "/");
    TForm7* creator = app.windows().form7;
    creator->show();
    const int titles = creator->findChild<QListView*>("MovieListEdit")->model()->rowCount();
    int round = 0;
    const auto album = [&] {
        const QString target = scratch.filePath(QString::number(++round));
        creator->SetAlbumFolder(target); // a refresh, outside the timing
        scripted.dialogs.answers = {Button::No};
        QElapsedTimer timer;
        timer.start();
        creator->Button8Click();
        return double(timer.nsecsElapsed()) / 1e9;
    };
    const auto cp = [&] {
        return TimeCp(folder, texts, scratch.filePath(QStringLiteral("cp%1").arg(++round)));
    };
    std::vector<double> albums, cps, ratios, loads;
    double ddAlbum = 0;
    double ddCp = 0;
    for (auto _ : state) {
        for (int i = 0; i < bench::Rounds(); ++i) {
            loads.push_back(bench::LoadNow());
            // In turn, so that neither always finds the other's pages still being written out.
            const double first = i % 2 ? album() : cp();
            const double second = i % 2 ? cp() : album();
            albums.push_back(i % 2 ? first : second);
            cps.push_back(i % 2 ? second : first);
            ratios.push_back(albums.back() / cps.back());
        }
        ddCp = BesideDd(disk, cp);
        ddAlbum = BesideDd(disk, album);
    }
    creator->hide();
    state.counters["titles"] = titles;
    if (std::find(cps.begin(), cps.end(), -1.0) != cps.end() || ddCp < 0) {
        state.SkipWithError("cp failed");
        return;
    }
    bench::AtEnd([=] {
        std::printf("Album of %d titles from the window's Create, %zu interleaved rounds, load "
                    "average %s:\n",
                    titles, ratios.size(), bench::Row(loads).constData());
        std::printf("  album %.2f times cp of the %d info texts into a new folder (goal at most "
                    "1.5; rounds %s)\n",
                    bench::Median(ratios), int(texts.size()), bench::Row(ratios).constData());
        std::printf("  beside a 2 GB dd to the same disk: album %.2f times cp (album %.2f s, cp "
                    "%.2f s)\n",
                    ddAlbum / ddCp, ddAlbum, ddCp);
        std::printf("  seconds: album %s; cp %s\n", bench::Row(albums).constData(),
                    bench::Row(cps).constData());
    });
}
BENCHMARK(BM_AlbumBesideCp)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace
