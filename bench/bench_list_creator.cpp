// The Info List Creator's genre and text filters over a large collection, beside
// `grep -l -r -i` looking for the same word in the same info texts, in interleaved rounds of
// one run. The goal is at most 1.5 times grep's time.

#include "bench/bench_end.h"
#include "core/collection.h"
// g++ 12 at -O2 sees the script queues' std::optional<QString> as maybe uninitialised: a
// known false alarm of its middle end, not a fault of the queues.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "tests/support/scripted_services.h"
#pragma GCC diagnostic pop
#include "ui/main/application.h"
#include "ui/tools/info_list_creator.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

using namespace quorvel;

constexpr int kRounds = 5;
const QString kGenre = QStringLiteral("DRAMA");
const QString kQuery = QStringLiteral("ridley scott");

// The window on screen over the collection, in the program whose Options.ini names it; the
// filters need nothing of the other windows.
struct Creator {
    test::ScriptedServices scripted;
    Services services = scripted.services();
    QTemporaryDir appDir;
    std::unique_ptr<Application> app;
    TForm12* form = nullptr;

    explicit Creator(const QString& folder) {
        QFile options(appDir.path() + QStringLiteral("/Options.ini"));
        if (options.open(QIODevice::WriteOnly))
            options.write("[Settings]\r\nSavingPath=" + folder.toUtf8() + "\r\n");
        options.close();
        app = std::make_unique<Application>(services, appDir.path() + QStringLiteral("/"));
        form = app->windows().form12;
        form->show();
        QCoreApplication::processEvents();
    }
};

// What one filter costs from a freshly listed collection: the walk, the rebuilt list and the
// ticks of "Auto Select all", drawn.
bench::Timing TimeFilter(Creator& creator, bool genre) {
    creator.form->Button1Click();
    QCoreApplication::processEvents();
    return bench::Time([&] {
        if (genre) {
            QComboBox* box = creator.form->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
            box->setCurrentIndex(box->findText(kGenre));
            creator.form->ComboBox1Select();
        } else {
            creator.form->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(kQuery);
            creator.form->Button10Click();
        }
        QCoreApplication::processEvents();
    });
}

// grep over the info texts only, its output thrown away; -1 when it did not run.
bench::Timing TimeGrep(const QString& folder, const QString& word) {
    bool ran = false;
    bench::Timing timing = bench::Time([&] {
        QProcess grep;
        grep.setStandardOutputFile(QProcess::nullDevice());
        grep.start(QStringLiteral("grep"),
                   {QStringLiteral("-l"), QStringLiteral("-r"), QStringLiteral("-i"),
                    QStringLiteral("--include=*.txt"), word, folder});
        ran = grep.waitForFinished(-1) && grep.exitStatus() == QProcess::NormalExit;
    });
    // A child's processor time is not this thread's: wall-clock time is what compares.
    if (!ran)
        timing.wallMs = -1;
    return timing;
}

void BM_ListCreatorFiltersBesideGrep(benchmark::State& state) {
    const QString folder = qEnvironmentVariable("QUORVEL_BENCH_COLLECTION");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        state.SkipWithError("QUORVEL_BENCH_COLLECTION does not name a collection folder");
        return;
    }
    Creator creator(folder);
    const int texts = int(creator.form->ListEntries().size());
    bench::Timings genre;
    bench::Timings text;
    std::vector<double> grepGenre;
    std::vector<double> grepText;
    int keptByGenre = 0;
    int keptByText = 0;
    for (auto _ : state) {
        // One round first to warm the cache for everybody, untimed.
        TimeFilter(creator, true);
        TimeGrep(folder, kGenre);
        for (int round = 0; round < kRounds; ++round) {
            genre.add(TimeFilter(creator, true));
            keptByGenre = int(creator.form->ListEntries().size());
            grepGenre.push_back(TimeGrep(folder, kGenre).wallMs);
            text.add(TimeFilter(creator, false));
            keptByText = int(creator.form->ListEntries().size());
            grepText.push_back(TimeGrep(folder, kQuery).wallMs);
        }
    }
    const double genreMs = genre.median().wallMs;
    const double textMs = text.median().wallMs;
    const double grepGenreMs = bench::Median(grepGenre);
    const double grepTextMs = bench::Median(grepText);
    state.counters["texts"] = texts;
    state.counters["genre_ms"] = genreMs;
    state.counters["grep_genre_ms"] = grepGenreMs;
    state.counters["text_ms"] = textMs;
    state.counters["grep_text_ms"] = grepTextMs;
    state.counters["x_genre_vs_grep"] = grepGenreMs > 0 ? genreMs / grepGenreMs : 0; // <= 1.5
    state.counters["x_text_vs_grep"] = grepTextMs > 0 ? textMs / grepTextMs : 0;     // <= 1.5
    std::printf("Info List Creator over %d texts, medians of %d interleaved rounds: genre %s "
                "%.0f ms (%d kept, processor %.0f ms), grep -l -r -i %.0f ms: %.2f times; text "
                "\"%s\" %.0f ms (%d kept, processor %.0f ms), grep %.0f ms: %.2f times\n",
                texts, kRounds, qPrintable(kGenre), genreMs, keptByGenre, genre.median().cpuMs,
                grepGenreMs, grepGenreMs > 0 ? genreMs / grepGenreMs : 0, qPrintable(kQuery),
                textMs, keptByText, text.median().cpuMs, grepTextMs,
                grepTextMs > 0 ? textMs / grepTextMs : 0);
    creator.form->hide();
}
BENCHMARK(BM_ListCreatorFiltersBesideGrep)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
