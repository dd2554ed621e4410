// The off-line tab over a large collection: Refresh and a click on an entry, beside the bare
// folder listing they cannot beat, and beside the item widget the list could have been.

#include "bench/bench_end.h"
#include "core/collection.h"
// g++ 12 at -O2 sees the script queues' std::optional<QString> as maybe uninitialised: a
// known false alarm of its middle end, not a fault of the queues.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "tests/support/scripted_services.h"
#pragma GCC diagnostic pop
#include "ui/main/application.h"
#include "ui/main/main_window.h"
#include "ui/main/search_offline_tab.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

using namespace quorvel;

QString CollectionFolder() {
    return qEnvironmentVariable("QUORVEL_BENCH_COLLECTION");
}

// One program for all the benchmarks, started on the collection, its off-line tab on screen.
struct Program {
    QTemporaryDir appDir;
    test::ScriptedServices scripted;
    Services services;
    std::unique_ptr<Application> app;
    SearchOfflineTab* tab = nullptr;
    QListView* list = nullptr;

    Program() {
        scripted.connection.online = false;
        QFile options(appDir.path() + "/Options.ini");
        if (!options.open(QIODevice::WriteOnly))
            return;
        options.write("[Settings]\r\nSavingPath=" + CollectionFolder().toUtf8() + "\r\n");
        options.close();
        services = scripted.services();
        app = std::make_unique<Application>(services, appDir.path() + "/");
        TForm1& main = app->mainWindow();
        main.resize(713, 688);
        main.show();
        main.Pages()->setCurrentIndex(1);
        tab = main.OfflineTab();
        list = tab->findChild<QListView*>(QStringLiteral("MovieList"));
        QCoreApplication::processEvents();
    }
};

void PrintClickSummary(Program& program);

Program* Start(benchmark::State& state) {
    if (CollectionFolder().isEmpty() || !QFileInfo(CollectionFolder()).isDir()) {
        state.SkipWithError("QUORVEL_BENCH_COLLECTION does not name a collection folder");
        return nullptr;
    }
    // Made on first use and closed at the end of the run, while the QApplication is still there.
    static std::unique_ptr<Program> program;
    if (!program) {
        program = std::make_unique<Program>();
        bench::AtEnd([] {
            PrintClickSummary(*program);
            program.reset();
        });
    }
    if (!program->tab || !program->list) {
        state.SkipWithError("the program did not start");
        return nullptr;
    }
    return program.get();
}

void BM_BareEntryList(benchmark::State& state) {
    if (!Start(state))
        return;
    const QString folder = CollectionFolder();
    for (auto _ : state) {
        QStringList names = QDir(folder).entryList(QDir::Files, QDir::Unsorted);
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(BM_BareEntryList)->Unit(benchmark::kMillisecond);

// Refresh after the list held something else: the whole list is replaced and drawn.
void BM_RefreshFill(benchmark::State& state) {
    Program* program = Start(state);
    if (!program)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        program->tab->ShowFilteredList({});
        QCoreApplication::processEvents();
        state.ResumeTiming();
        program->tab->Button17Click();
        QCoreApplication::processEvents();
    }
    state.counters["entries"] = double(program->tab->ListEntries().size());
}
BENCHMARK(BM_RefreshFill)->Unit(benchmark::kMillisecond);

// Refresh of a folder that did not change: also what a failed load's refresh costs.
void BM_RefreshUnchanged(benchmark::State& state) {
    Program* program = Start(state);
    if (!program)
        return;
    program->tab->Button17Click();
    for (auto _ : state) {
        program->tab->Button17Click();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_RefreshUnchanged)->Unit(benchmark::kMillisecond);

// Rows spread over the list whose titles have both files (or lack one), a prime stride apart so
// that no pattern of the generated names lines up with it.
QList<int> RowsToClick(Program& program, bool wantPair) {
    program.tab->Button17Click();
    const QStringList entries = program.tab->ListEntries();
    const QString folder = CollectionFolder();
    QList<int> rows;
    for (qsizetype i = 0; i < entries.size() && rows.size() < 50; i += 97) {
        const QString base = EntryBaseName(entries.at(i));
        const bool pair = QFileInfo::exists(JoinPath(folder, base + ".txt")) &&
                          QFileInfo::exists(JoinPath(folder, base + ".jpg"));
        if (pair == wantPair)
            rows << int(i);
    }
    return rows;
}

// A move onto an entry, as the arrow keys do.
void Click(Program& program, int row, bool wantPair) {
    program.list->setCurrentIndex(program.list->model()->index(row, 0));
    QCoreApplication::processEvents();
    if (!wantPair) {
        // The failed half refreshed the list; the next move needs the selection gone.
        program.list->selectionModel()->clear();
    }
}

bool clickMissingRan = false;

void SelectEntries(benchmark::State& state, bool wantPair) {
    Program* program = Start(state);
    if (!program)
        return;
    const QList<int> rows = RowsToClick(*program, wantPair);
    if (rows.isEmpty()) {
        state.SkipWithError(wantPair ? "no title with both files" : "every title has both files");
        return;
    }
    qsizetype next = 0;
    for (auto _ : state) {
        Click(*program, rows.at(next), wantPair);
        next = (next + 1) % rows.size();
    }
    clickMissingRan = clickMissingRan || !wantPair;
}

// A click on a title lacking a file refreshes the list once; this says what it costs beyond
// that listing, both timed in interleaved rounds.
void PrintClickSummary(Program& program) {
    if (!clickMissingRan || !program.tab)
        return;
    constexpr int kRounds = 15;
    const QList<int> rows = RowsToClick(program, false);
    if (rows.isEmpty())
        return;
    bench::Timings clicks;
    bench::Timings listings;
    for (int round = 0; round < kRounds; ++round) {
        clicks.add(bench::Time([&] { Click(program, rows.at(round % rows.size()), false); }));
        listings.add(
            bench::Time([&] { benchmark::DoNotOptimize(ListCollection(CollectionFolder())); }));
    }
    const bench::Timing click = clicks.median();
    const bench::Timing listing = listings.median();
    std::printf("click on an entry lacking a file, %lld entries: %.1f ms, one listing %.1f ms: "
                "%.1f ms beyond it; processor time %.1f ms and %.1f ms: %.1f ms beyond it "
                "(medians of %d interleaved rounds)\n",
                static_cast<long long>(program.tab->ListEntries().size()), click.wallMs,
                listing.wallMs, click.wallMs - listing.wallMs, click.cpuMs, listing.cpuMs,
                click.cpuMs - listing.cpuMs, kRounds);
}

void BM_ClickEntryWithBothFiles(benchmark::State& state) {
    SelectEntries(state, true);
}
BENCHMARK(BM_ClickEntryWithBothFiles)->Unit(benchmark::kMillisecond);

void BM_ClickEntryMissingAFile(benchmark::State& state) {
    SelectEntries(state, false);
}
BENCHMARK(BM_ClickEntryMissingAFile)->Unit(benchmark::kMillisecond);

// The item widget alternative, emptied and filled the usual way, against the string model
// that MovieList uses.
void BM_ItemWidgetRefill(benchmark::State& state) {
    Program* program = Start(state);
    if (!program)
        return;
    const QStringList entries = ListCollection(CollectionFolder());
    QListWidget widget;
    widget.setUniformItemSizes(true);
    widget.resize(250, 400);
    widget.show();
    for (auto _ : state) {
        widget.clear();
        widget.addItems(entries);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ItemWidgetRefill)->Unit(benchmark::kMillisecond);

void BM_StringModelRefill(benchmark::State& state) {
    Program* program = Start(state);
    if (!program)
        return;
    const QStringList entries = ListCollection(CollectionFolder());
    for (auto _ : state) {
        program->tab->ShowFilteredList({});
        program->tab->ShowFilteredList(entries);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_StringModelRefill)->Unit(benchmark::kMillisecond);

} // namespace
