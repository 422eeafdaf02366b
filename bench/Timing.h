#pragma once

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>

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

// The peak of the process's resident memory, in megabytes, since it began or since the last
// forgetPeak: the kernel's own count (VmHWM), so that what a library allocates counts too.
inline double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    return 0;
}

// The peak starts again from what the process holds now.
inline void forgetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace quorvel::bench
