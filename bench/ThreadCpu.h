#pragma once

// CPU time of the calling thread in milliseconds: unlike wall time it does
// not grow when other processes take the machine's cores. The benchmarks
// run on Linux; this is their one call of the system's thread clock.

#include <ctime>

inline double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}
