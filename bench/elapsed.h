#pragma once

#include <sys/resource.h>

#include <chrono>

namespace ornavox::bench {

// Wall time, and processor time of this process (RUSAGE_SELF, every thread)
// or of its finished children (RUSAGE_CHILDREN).
struct Times {
    std::chrono::steady_clock::time_point wall;
    double cpu = 0;

    static Times now(int who)
    {
        rusage usage{};
        getrusage(who, &usage);
        const auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; };
        return {std::chrono::steady_clock::now(), seconds(usage.ru_utime) + seconds(usage.ru_stime)};
    }
};

struct Elapsed {
    double wall = 0; // seconds
    double cpu = 0;  // seconds
};

inline Elapsed since(const Times& start, int who)
{
    const Times end = Times::now(who);
    return {std::chrono::duration<double>(end.wall - start.wall).count(), end.cpu - start.cpu};
}

} // namespace ornavox::bench
