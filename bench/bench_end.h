#pragma once
// Work a benchmark file leaves for the end of the run, done while the QApplication still
// exists: summary lines, and closing the windows the window benchmarks opened (destroyed by the
// exit handlers instead, after the QApplication, they crash the run).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quorvel::bench {

// Runs `work` after every benchmark has run, in the order of registration.
void AtEnd(std::function<void()> work);

// What any listing has to do at least: read every name of the folder once. The count of its
// files, -1 when it cannot be read.
int BareReaddir(const QByteArray& folder);

// Median of the values; 0 for none.
double Median(std::vector<double> values);

// Wall-clock and this thread's processor time of one piece of work, in milliseconds. The
// machines the benchmarks run on are often shared: processor time leaves out the waits for a
// core that another program holds.
struct Timing {
    double wallMs = 0;
    double cpuMs = 0;
};
Timing Time(const std::function<void()>& work);

// Medians of both, kept apart.
struct Timings {
    std::vector<double> wall;
    std::vector<double> cpu;
    void add(const Timing& timing) {
        wall.push_back(timing.wallMs);
        cpu.push_back(timing.cpuMs);
    }
    Timing median() const { return {Median(wall), Median(cpu)}; }
};

// The rounds a job is timed in beside the tools a user would otherwise run:
// QUORVEL_BENCH_ROUNDS, 5 at least.
int Rounds();

// The one-minute load average now.
double LoadNow();

// Seconds the program took, run in `folder` with `input` on its standard input; -1 when it
// could not run or failed.
double RunTool(const QString& program, const QStringList& arguments, const QString& folder = {},
               const QByteArray& input = {});

// The values as one line of a table, two decimals each.
QByteArray Row(const std::vector<double>& values);

} // namespace quorvel::bench
