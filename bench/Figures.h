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

inline double percentile(std::vector<double> times, int percent) {
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() * static_cast<std::size_t>(percent) / 100];
}

// Where a key press stands against what the desktop does on its own: its p95 against one frame
// at 60 Hz, its median against twice the floor's.
inline void printTarget(const std::vector<double>& panemark, const std::vector<double>& floor) {
    if (panemark.empty() || floor.empty()) {
        return;
    }
    const double p95 = percentile(panemark, 95);
    const double median = percentile(panemark, 50);
    const double floorMedian = percentile(floor, 50);
    std::printf("target: p95 %.3f ms %s 16.7 ms (one frame at 60 Hz); median %.3f ms = %.2f x "
                "the floor's %.3f ms (%s 2 x)\n",
                p95, p95 < 16.7 ? "<" : ">=", median, median / floorMedian, floorMedian,
                median <= 2 * floorMedian ? "<=" : ">");
}

} // namespace panemark
