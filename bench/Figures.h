#pragma once

// What the benchmarks share to take their figures.

#include <algorithm>
#include <ctime>
#include <utility>
#include <vector>

// CPU time of the calling thread in milliseconds: unlike wall time it does
// not grow when other processes take the machine's cores. The benchmarks
// run on Linux; this is their one call of the system's thread clock.
inline double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The median and the largest of the figures; zeros when there are none.
inline std::pair<double, double> medianAndWorst(std::vector<double> v)
{
    if (v.empty())
        return {0, 0};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
}

inline double median(std::vector<double> v)
{
    return medianAndWorst(std::move(v)).first;
}
