// The backup archive of a whole collection beside Info-ZIP's `zip -1` on every member and
// `zip -1 -n .jpg` (posters stored) on the same files, in the same rounds, in turn; then the
// read-back check that follows every backup, timed on its own.

#include "bench/bench_end.h"
#include "core/backup_archive.h"
#include "core/collection.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace {

using namespace quorvel;

void BM_BackupBesideZip(benchmark::State& state) {
    const QString folder = qEnvironmentVariable("QUORVEL_BENCH_COLLECTION");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        state.SkipWithError("QUORVEL_BENCH_COLLECTION does not name a collection folder");
        return;
    }
    // Beside the collection, so that every writer works on the same disk.
    const QString out = QFileInfo(folder).absolutePath() + QStringLiteral("/backup-bench");
    QDir().mkpath(out);
    const QString archive = out + QStringLiteral("/QVL_Backup.zip");
    const QString zipArchive = out + QStringLiteral("/infozip.zip");

    QList<ArchiveMember> members;
    QByteArray paths;
    qint64 bytes = 0;
    for (const QString& entry : ListCollection(folder)) {
        const QString path = JoinPath(folder, entry);
        members << ArchiveMember{path, StoredEntryName(path, out)};
        paths += QFile::encodeName(path) + '\n';
        bytes += QFileInfo(path).size();
    }
    const auto zip = [&](QStringList options) {
        QFile::remove(zipArchive);
        const double seconds = bench::RunTool(
            QStringLiteral("zip"), options << zipArchive << QStringLiteral("-@"), {}, paths);
        QFile::remove(zipArchive);
        return seconds;
    };
    std::vector<double> ours, checks, zipAll, zipStoring, loads;
    bool failed = false;
    for (auto _ : state) {
        for (int round = 0; round < bench::Rounds() && !failed; ++round) {
            loads.push_back(bench::LoadNow());
            // Each round starts with another of the three, so none always comes first.
            for (int turn = 0; turn < 3; ++turn) {
                switch ((round + turn) % 3) {
                case 0: {
                    QElapsedTimer timer;
                    timer.start();
                    const Result<int> written = WriteZipArchive(archive, members);
                    ours.push_back(double(timer.nsecsElapsed()) / 1e9);
                    timer.restart();
                    const Result<int> verified = VerifyZipArchive(archive);
                    checks.push_back(double(timer.nsecsElapsed()) / 1e9);
                    failed |= !written || !verified || *verified != members.size();
                    QFile::remove(archive);
                    break;
                }
                case 1:
                    zipAll.push_back(zip({"-1", "-q", "-j"}));
                    break;
                default:
                    zipStoring.push_back(zip({"-1", "-q", "-j", "-n", ".jpg"}));
                }
            }
            failed |= zipAll.back() < 0 || zipStoring.back() < 0;
        }
    }
    if (failed) {
        state.SkipWithError("the backup or zip failed, or the archive did not read back");
        return;
    }
    std::vector<double> vsAll, vsStoring;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        vsAll.push_back(zipAll[i] / ours[i]);
        vsStoring.push_back(zipStoring[i] / ours[i]);
    }
    state.counters["members"] = double(members.size());
    const int count = int(members.size());
    bench::AtEnd([=] {
        std::printf("Backup of %d files (%.0f MB), %zu interleaved rounds, load average %s:\n",
                    count, double(bytes) / 1e6, ours.size(), bench::Row(loads).constData());
        std::printf("  backup %.2f times faster than zip -1 -q -j (goal 8; rounds %s)\n",
                    bench::Median(vsAll), bench::Row(vsAll).constData());
        std::printf("  backup %.2f times faster than zip -1 -q -j -n .jpg (goal 1.5; rounds %s)\n",
                    bench::Median(vsStoring), bench::Row(vsStoring).constData());
        std::printf("  seconds: backup %s; zip -1 %s; zip -1 -n .jpg %s\n",
                    bench::Row(ours).constData(), bench::Row(zipAll).constData(),
                    bench::Row(zipStoring).constData());
        std::printf("  read-back check after it: median %.2f s (rounds %s)\n",
                    bench::Median(checks), bench::Row(checks).constData());
    });
}
BENCHMARK(BM_BackupBesideZip)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
