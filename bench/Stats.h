#pragma once
// Timing and the summary figures of a series of samples.
#include <windows.h>

#include <vector>

namespace shubiao::bench {

// Milliseconds since the stopwatch was made (QueryPerformanceCounter).
class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double Ms() const {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(Frequency());
    }

private:
    static LONGLONG Frequency() {
        static const LONGLONG f = [] {
            LARGE_INTEGER v{};
            QueryPerformanceFrequency(&v);
            return v.QuadPart;
        }();
        return f;
    }
    LARGE_INTEGER start_{};
};

struct Summary {
    size_t count = 0;
    double median = 0;
    double p95 = 0;
    double min = 0;
    double max = 0;
};

// Median and 95th percentile (nearest rank) of the samples; all zero when empty.
Summary Summarise(std::vector<double> samples);

}  // namespace shubiao::bench
