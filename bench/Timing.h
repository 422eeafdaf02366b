#pragma once

#include <algorithm>
#include <chrono>

namespace quorvel::bench {

using Clock = std::chrono::steady_clock;

inline double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The fastest of `runs` runs: the one the rest of the machine disturbed least.
template <typename F> double best(int runs, F&& work) {
    double fastest = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        fastest = std::min(fastest, seconds(Clock::now() - start));
    }
    return fastest;
}

} // namespace quorvel::bench
