// The backup archive of a whole collection: our writer (deflate where it pays, stored where it
// does not) beside Info-ZIP's `zip -1` on every member and `zip -1 -n .jpg` on the same files,
// in the same run, and the read-back check that follows every backup.

#include "core/backup_archive.h"
#include "core/collection.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <vector>

namespace {

using namespace quorvel;

// Seconds `zip` takes to archive the paths (read from its standard input), or -1 on failure.
double TimeInfoZip(const QStringList& options, const QString& archive, const QStringList& paths) {
    QFile::remove(archive);
    QProcess zip;
    QElapsedTimer timer;
    timer.start();
    zip.start(QStringLiteral("zip"), options + QStringList{archive, QStringLiteral("-@")});
    if (!zip.waitForStarted())
        return -1;
    zip.write(paths.join(QLatin1Char('\n')).toLocal8Bit() + '\n');
    zip.closeWriteChannel();
    zip.waitForFinished(-1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QFile::remove(archive);
    return zip.exitStatus() == QProcess::NormalExit && zip.exitCode() == 0 ? seconds : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void BM_BackupWholeCollection(benchmark::State& state) {
    const QString folder = qEnvironmentVariable("QUORVEL_BENCH_COLLECTION");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        state.SkipWithError("QUORVEL_BENCH_COLLECTION does not name a collection folder");
        return;
    }
    // Beside the collection, so that every writer works on the same disk.
    const QString out = QFileInfo(folder).absolutePath() + QStringLiteral("/backup-bench");
    QDir().mkpath(out);
    const QString archive = out + QStringLiteral("/QVL_Backup.zip");

    QList<ArchiveMember> members;
    QStringList paths;
    qint64 bytes = 0;
    for (const QString& entry : ListCollection(folder)) {
        const QString path = JoinPath(folder, entry);
        members << ArchiveMember{path, StoredEntryName(path, out)};
        paths << path;
        bytes += QFileInfo(path).size();
    }
    std::vector<double> writes;
    std::vector<double> checks;
    qint64 archiveBytes = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const Result<int> written = WriteZipArchive(archive, members);
        writes.push_back(double(timer.nsecsElapsed()) / 1e9);
        timer.restart();
        const Result<int> verified = VerifyZipArchive(archive);
        checks.push_back(double(timer.nsecsElapsed()) / 1e9);
        if (!written || !verified || *verified != members.size()) {
            state.SkipWithError("the backup failed or did not read back");
            return;
        }
        archiveBytes = QFileInfo(archive).size();
        QFile::remove(archive);
    }
    const QString zipArchive = out + QStringLiteral("/infozip.zip");
    const double zipAll = TimeInfoZip({"-1", "-q", "-j"}, zipArchive, paths);
    const double zipStoringJpeg = TimeInfoZip({"-1", "-q", "-j", "-n", ".jpg"}, zipArchive, paths);
    const double write = Median(writes);
    state.counters["members"] = double(members.size());
    state.counters["input_MB"] = double(bytes) / 1e6;
    state.counters["archive_MB"] = double(archiveBytes) / 1e6;
    state.counters["write_s"] = write;
    state.counters["verify_s"] = Median(checks);
    state.counters["zip1_s"] = zipAll;
    state.counters["zip1_n_jpg_s"] = zipStoringJpeg;
    state.counters["x_vs_zip1"] = zipAll > 0 ? zipAll / write : 0; // goal >= 8
    state.counters["x_vs_zip1_n_jpg"] = zipStoringJpeg > 0 ? zipStoringJpeg / write : 0; // >= 1.5
}
BENCHMARK(BM_BackupWholeCollection)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

} // namespace
