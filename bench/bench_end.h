#pragma once
// Work a benchmark file leaves for the end of the run, done while the QApplication still
// exists: summary lines, and closing the windows the window benchmarks opened (destroyed by the
// exit handlers instead, after the QApplication, they crash the run).

#include <functional>
#include <vector>

namespace quorvel::bench {

// Runs `work` after every benchmark has run, in the order of registration.
void AtEnd(std::function<void()> work);

// Median of the values; 0 for none.
double Median(std::vector<double> values);

} // namespace quorvel::bench
