#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace panemark {

inline double milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// One line of figures: the median and the 95th percentile of the times, out of count tries.
inline void printFigures(const char* what, std::vector<double> times, int count, int missed) {
    if (times.empty()) {
        std::printf("%-44s no figures (%d missed)\n", what, missed);
        return;
    }
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %7.3f ms   p95 %7.3f ms   (%d, %d missed)\n", what,
                times[times.size() / 2], times[times.size() * 95 / 100], count, missed);
}

} // namespace panemark
