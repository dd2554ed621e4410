#include "bench/bench_end.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <dirent.h>

namespace quorvel::bench {
namespace {

std::vector<std::function<void()>>& EndWork() {
    static std::vector<std::function<void()>> work;
    return work;
}

} // namespace

void AtEnd(std::function<void()> work) {
    EndWork().push_back(std::move(work));
}

int BareReaddir(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return -1;
    int count = 0;
    while (dirent* entry = ::readdir(dir))
        count += entry->d_type == DT_REG;
    ::closedir(dir);
    return count;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

Timing Time(const std::function<void()>& work) {
    timespec cpuStart{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
    const auto wallStart = std::chrono::steady_clock::now();
    work();
    const auto wallEnd = std::chrono::steady_clock::now();
    timespec cpuEnd{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
    const double cpuNs =
        double(cpuEnd.tv_sec - cpuStart.tv_sec) * 1e9 + double(cpuEnd.tv_nsec - cpuStart.tv_nsec);
    return {std::chrono::duration<double, std::milli>(wallEnd - wallStart).count(), cpuNs / 1e6};
}

int Rounds() {
    return std::max(5, qEnvironmentVariableIntValue("QUORVEL_BENCH_ROUNDS"));
}

double LoadNow() {
    double load[3] = {};
    return ::getloadavg(load, 3) > 0 ? load[0] : -1;
}

double RunTool(const QString& program, const QStringList& arguments, const QString& folder,
               const QByteArray& input) {
    QProcess tool;
    tool.setWorkingDirectory(folder);
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    tool.start(program, arguments);
    if (!tool.waitForStarted())
        return -1;
    tool.write(input);
    tool.closeWriteChannel();
    tool.waitForFinished(-1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0 ? seconds : -1;
}

QByteArray Row(const std::vector<double>& values) {
    QByteArray row;
    for (const double value : values)
        row += QByteArray::number(value, 'f', 2) + ' ';
    return row.trimmed();
}

} // namespace quorvel::bench

// Each bench_*.cpp registers its own benchmarks; this file only starts them, inside the one
// QApplication that the window benchmarks need.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window benchmarks start the whole program, browser engine included, whose sandbox
    // refuses to start as root.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    for (const std::function<void()>& work : quorvel::bench::EndWork())
        work();
    quorvel::bench::EndWork().clear();
    benchmark::Shutdown();
    return 0;
}
