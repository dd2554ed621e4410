// Every window's list of the collection as a user refreshes it, beside a bare reading of the same
// folder in the same rounds; and the backup window's Select all and Invert select over the whole
// list. Run on QUORVEL_BENCH_COLLECTION (the 100,000 titles with QUORVEL_BENCH_LARGE=1).

#include "bench/bench_end.h"
#include "tests/support/scripted_services.h"
#include "ui/main/application.h"
#include "ui/main/main_window.h"
#include "ui/main/search_offline_tab.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/backup.h"
#include "ui/tools/info_list_creator.h"
#include "ui/tools/info_text_editor.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <dirent.h>

namespace {

using namespace quorvel;
using bench::Median;

constexpr int kRounds = 9;

// The resident memory of this process, in MiB.
double ResidentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double Ms(const std::function<void()>& work) {
    return bench::Time(work).wallMs;
}

void BM_WindowListsBesideReaddir(benchmark::State& state) {
    const QString folder = qEnvironmentVariable("QUORVEL_BENCH_COLLECTION");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        state.SkipWithError("QUORVEL_BENCH_COLLECTION does not name a collection folder");
        return;
    }
    // The program lives until the end of the run, while the QApplication is still there.
    struct Program {
        QTemporaryDir appDir;
        test::ScriptedServices scripted;
        Services services;
        std::unique_ptr<Application> app;
    };
    const double residentBefore = ResidentMiB();
    auto* program = new Program;
    QFile options(program->appDir.path() + "/Options.ini");
    if (!options.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write Options.ini");
        return;
    }
    options.write("[Settings]\r\nSavingPath=" + folder.toUtf8() + "\r\n");
    options.close();
    program->scripted.connection.online = false;
    program->services = program->scripted.services();
    program->app = std::make_unique<Application>(program->services, program->appDir.path() + "/");
    WindowSet& w = program->app->windows();
    TForm1& main = program->app->mainWindow();
    main.show();
    main.Pages()->setCurrentWidget(main.OfflineTab());
    for (QWidget* window : std::initializer_list<QWidget*>{w.form5, w.form7, w.form12, w.form16})
        window->show();
    QCoreApplication::processEvents();
    const double programMiB = ResidentMiB() - residentBefore;

    const auto click = [](QWidget* window, const char* button) {
        return [window, button] {
            window->findChild<QPushButton*>(QLatin1String(button))->click();
            QCoreApplication::processEvents();
        };
    };
    const std::vector<std::pair<const char*, std::function<void()>>> refreshes{
        {"off-line tab", click(main.OfflineTab(), "Button17")},
        {"Manage Info Text", click(w.form5, "Button1")},
        {"Info List Creator", click(w.form12, "Button1")},
        {"album creator", click(w.form7, "Button3")},
        {"backup", click(w.form16, "Button1")},
    };
    const QByteArray encoded = QFile::encodeName(folder);
    std::map<std::string, std::vector<double>> ratios;
    std::vector<double> readdirMs;
    std::vector<double> selectAll;
    std::vector<double> invert;
    const int entries = int(w.form16->ListEntries().size());
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            const double bare = Ms([&] { benchmark::DoNotOptimize(bench::BareReaddir(encoded)); });
            readdirMs.push_back(bare);
            for (const auto& [name, refresh] : refreshes)
                ratios[name].push_back(Ms(refresh) / bare);
            selectAll.push_back(Ms(click(w.form16, "Button2")));
            invert.push_back(Ms(click(w.form16, "Button4")));
        }
    }
    double load[3] = {};
    ::getloadavg(load, 3);
    const double bare = Median(readdirMs);
    const double all = Median(selectAll);
    const double inverted = Median(invert);
    state.counters["entries"] = entries;
    bench::AtEnd([ratios, bare, all, inverted, entries, load, program, programMiB] {
        std::printf("Refresh of each window's list, %d entries, beside a bare readdir of %.1f ms "
                    "(medians of %d interleaved rounds, load average %.2f):\n",
                    entries, bare, kRounds, load[0]);
        for (const auto& [name, values] : ratios)
            std::printf("  %-18s %.2f times the readdir\n", name.c_str(), Median(values));
        std::printf("Backup window, %d entries: Select all %.1f ms, Invert select %.1f ms\n",
                    entries, all, inverted);
        std::printf("Memory the program took with the off-line tab and the four list windows "
                    "shown: %.0f MiB\n",
                    programMiB);
        delete program;
    });
}

BENCHMARK(BM_WindowListsBesideReaddir)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
