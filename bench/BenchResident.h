#pragma once

// The process's resident memory in MiB, for benchmarks whose target is a
// bound on memory (reported as the counter rss_mb).

#include <fstream>
#include <unistd.h>

inline double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}
