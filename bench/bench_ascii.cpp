// Reducing a long accented answer to ASCII: the time must grow with the text's length, not its
// square (ICU over one 400,000-letter string took 6.4 s), since anyone on the plain-http path
// can send such an answer.

#include "online/omdb.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>

namespace {

using namespace quorvel;

std::map<long, double>& SecondsByLength() {
    static std::map<long, double> seconds;
    return seconds;
}

struct Summary {
    ~Summary() {
        const auto& seconds = SecondsByLength();
        const auto small = seconds.find(100'000);
        const auto large = seconds.find(400'000);
        if (small != seconds.end() && large != seconds.end())
            std::printf("ASCII reduction: 400,000 accented letters in %.3f s, 100,000 in %.3f s "
                        "(%.1f times as long for 4 times the text)\n",
                        large->second, small->second, large->second / small->second);
    }
} summary;

void BM_ReduceAccentedLetters(benchmark::State& state) {
    const long letters = long(state.range(0));
    // Precomposed and combining accents, a letter that expands, no ASCII to cut at.
    const QString unit = QStringLiteral("\u00e9\u00e8e\u0301\u00c6\u00df\u00f1\u00e7\u00f8");
    QString text;
    while (text.size() < letters)
        text += unit;
    text.truncate(letters);

    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReduceToAscii(text));
    SecondsByLength()[letters] =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        double(state.iterations());
}

BENCHMARK(BM_ReduceAccentedLetters)
    ->Arg(100'000)
    ->Arg(400'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace
